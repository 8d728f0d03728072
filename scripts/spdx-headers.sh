#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Puts the licence header on every C++, CMake, shell and Python source of ours that has none.
# Arguments: files or folders to look at (default: every file git knows). Running it again
# changes nothing. A header goes first, or right after a #! line.
set -euo pipefail
cd "$(dirname "$0")/.."

# REUSE-IgnoreStart
license_line='SPDX-License-Identifier: GPL-3.0-or-later'
copyright_line='SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers'
# REUSE-IgnoreEnd

comment_for() {
    local f=$1 base=${1##*/}
    case "$base" in
    *.cpp | *.cc | *.cxx | *.h | *.hpp) echo '//' ;;
    CMakeLists.txt | *.cmake | *.sh | *.py) echo '#' ;;
    *)
        # Scripts without an extension (.ci/run): known by their #! line.
        if head -n1 "$f" | grep -qE '^#!.*\b(sh|bash|python3?)\b'; then echo '#'; fi
        ;;
    esac
}

add_header() {
    local f=$1 mark
    mark=$(comment_for "$f")
    [ -n "$mark" ] || return 0
    head -n 15 "$f" | grep -q 'SPDX-License-Identifier' && return 0
    local tmp
    tmp=$(mktemp)
    {
        if head -n1 "$f" | grep -q '^#!'; then
            head -n1 "$f"
            printf '%s %s\n%s %s\n' "$mark" "$copyright_line" "$mark" "$license_line"
            tail -n +2 "$f"
        else
            printf '%s %s\n%s %s\n\n' "$mark" "$copyright_line" "$mark" "$license_line"
            cat "$f"
        fi
    } >"$tmp"
    # Keep the file's mode (scripts stay executable).
    cat "$tmp" >"$f"
    rm -f "$tmp"
    echo "header added: $f"
}

[ $# -gt 0 ] || set -- .
git ls-files -z -- "$@" | while IFS= read -r -d '' f; do
    [ -f "$f" ] && add_header "$f"
done
