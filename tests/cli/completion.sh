#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Drives the bash completion of zelvarinctl as bash would after a Tab: COMP_LINE, COMP_POINT and
# COMP_WORDS (split at '=' and ':' too, as bash splits them) set, the function called, COMPREPLY
# looked at.
# Usage: completion.sh ZELVARINCTL COMPLETION_SCRIPT
set -u
program=$1
source "$2"
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# complete LINE WORD... : the line up to the cursor and bash's words of it; the last is the one
# under the cursor. Sets `reply` to the sorted candidates, one line each.
complete_line() {
    COMP_LINE=$1
    COMP_POINT=${#COMP_LINE}
    shift
    COMP_WORDS=("$program" "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$program ${COMP_LINE#zelvarinctl }"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _zelvarinctl "$program" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    reply=$(printf '%s\n' "${COMPREPLY[@]}" | sort)
}

# expect NAME EXPECTED LINE WORD... : the candidates are exactly EXPECTED (blank-separated).
expect() {
    local name=$1 expected
    expected=$(tr ' ' '\n' <<<"$2" | sort)
    shift 2
    complete_line "$@"
    if [[ $reply != "$expected" ]]; then
        echo "FAIL: $name: got [$(tr '\n' ' ' <<<"$reply")] expected [$(tr '\n' ' ' <<<"$expected")]"
        failures=$((failures + 1))
    else
        echo "PASS: $name"
    fi
}

# contains NAME WORD LINE WORD... : WORD is among the candidates.
contains() {
    local name=$1 word=$2
    shift 2
    complete_line "$@"
    if ! grep -qxF -- "$word" <<<"$reply"; then
        echo "FAIL: $name: no [$word] in [$(tr '\n' ' ' <<<"$reply")]"
        failures=$((failures + 1))
    else
        echo "PASS: $name"
    fi
}

commands="status get set settings edid cec infoframe reset list watch help"
expect "commands" "$commands" "zelvarinctl " ""
expect "commands after global options" "status" "zelvarinctl --serial 2023 --json st" --serial 2023 --json st
expect "command prefix" "set settings" "zelvarinctl se" se
expect "subcommands" "read write check fix decode" "zelvarinctl edid " edid ""
expect "EDID sources" "box tv-a tv-b" "zelvarinctl edid read " edid read ""
expect "reset targets" "settings edid all" "zelvarinctl reset " reset ""
expect "store slots" "1 2" "zelvarinctl cec store " cec store ""
expect "InfoFrame kinds" "hdr avi" "zelvarinctl infoframe decode --type " infoframe decode --type ""
expect "help's commands" "$commands" "zelvarinctl help " help ""
expect "help's subcommands" "hdr avi decode" "zelvarinctl help infoframe " help infoframe ""
expect "nothing after an unknown command" "" "zelvarinctl frobnicate " frobnicate ""
expect "no hex to offer" "" "zelvarinctl cec send 40:" cec send 40 :
contains "global option after the command" "--json" "zelvarinctl status --j" status --j
contains "a command's own option" "--fix-checksums" "zelvarinctl edid write --f" edid write --f

# The setting names and values are the program's: those its status prints, with the values its
# help lists for them.
settings=$("$program" --simulate status | sed -n 's/^\([a-z0-9.-]*\): .*/\1/p' | grep -vx 'firmware\|busy' | paste -sd' ' -)
[[ $(wc -w <<<"$settings") -eq 25 ]] || { echo "FAIL: status lists $(wc -w <<<"$settings") settings"; failures=$((failures + 1)); }
expect "setting names" "$settings" "zelvarinctl get " get ""
expect "a second setting name" "input" "zelvarinctl get hdcp inp" get hdcp inp
expect "assignments" "$(sed 's/\([^ ]*\)/\1=/g' <<<"$settings")" "zelvarinctl set " set ""
expect "values after =" "port-a port-b matrix-thru matrix-swap" "zelvarinctl set input=" set input =
expect "values after = and a prefix" "port-a port-b" "zelvarinctl set input=p" set input = p
expect "values with a dot in the name" "on off" "zelvarinctl set edid-5.1=" set edid-5.1 =
values=$("$program" help set | sed -n 's/^  input  *\([^ ]*\)$/\1/p' | tr '|' ' ')
expect "the values help lists" "$values" "zelvarinctl set input=" set input =

# Files where a file goes, and only there.
touch "$work/table.bin" "$work/preset.json"
contains "file to write" "$work/table.bin" "zelvarinctl edid write $work/ta" edid write "$work/ta"
contains "file after -o" "$work/table.bin" "zelvarinctl edid read tv-a -o $work/t" edid read tv-a -o "$work/t"
contains "preset file" "$work/preset.json" "zelvarinctl settings load $work/p" settings load "$work/p"
expect "no file for a setting" "" "zelvarinctl get $work/t" get "$work/t"

# The hidden command is offered nowhere.
complete_line "zelvarinctl __" __
[[ -z $reply ]] || { echo "FAIL: __complete offered: $reply"; failures=$((failures + 1)); }

echo "$failures failures"
[[ $failures -eq 0 ]]
