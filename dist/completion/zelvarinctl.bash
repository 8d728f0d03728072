# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# bash completion for zelvarinctl. The words come from the program itself
# (`zelvarinctl __complete WORD...`), so commands, setting names and their values, EDID sources
# and the rest are always those of the installed program; this script only hands them to bash.

_zelvarinctl()
{
    local program=${COMP_WORDS[0]}
    # The words as typed, split at blanks only: bash splits NAME=VALUE at '=' and hex at ':',
    # the program wants them whole.
    local line=${COMP_LINE:0:COMP_POINT}
    local -a words
    read -r -a words <<<"$line"
    if [[ -z $line || $line == *[[:space:]] ]]; then
        words+=("")
    fi
    local typed=${words[-1]}
    local candidate files=0
    local -a found=()
    while IFS= read -r candidate; do
        if [[ $candidate == @file ]]; then
            files=1
        elif [[ -n $candidate ]]; then
            found+=("$candidate")
        fi
    done < <("$program" __complete "${words[@]:1}" 2>/dev/null)

    # What bash replaces is only the part of the word after its last '=' or ':'.
    local cur=${COMP_WORDS[COMP_CWORD]}
    local head=${typed%"$cur"}
    [[ $cur == = || $cur == : ]] && head=$typed
    COMPREPLY=()
    for candidate in "${found[@]}"; do
        COMPREPLY+=("${candidate#"$head"}")
    done
    # NAME= wants its value typed straight after it.
    if [[ ${#COMPREPLY[@]} -gt 0 && ${found[*]} == *= ]]; then
        compopt -o nospace 2>/dev/null
    fi
    if ((files)); then
        compopt -o filenames 2>/dev/null
        local file
        while IFS= read -r file; do
            COMPREPLY+=("$file")
        done < <(compgen -f -- "$typed")
    fi
}

complete -F _zelvarinctl zelvarinctl
