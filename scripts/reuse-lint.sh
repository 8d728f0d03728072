#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Checks the licensing data with `reuse lint`. The licensing lives in REUSE.toml, which reuse reads
# from version 3.1 on; Debian 12 ships reuse 1.1.2, which only knows .reuse/dep5. With such a reuse
# the check runs on a copy of the tree where REUSE.toml has been turned into the equivalent dep5
# file (the last matching entry wins in both; dep5's * also crosses folders, like **).
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(reuse --version | grep -oE '[0-9]+\.[0-9]+' | head -n1)
major=${version%%.*}
minor=${version#*.}
if [ "$major" -gt 3 ] || { [ "$major" -eq 3 ] && [ "$minor" -ge 1 ]; }; then
    exec reuse lint "$@"
fi

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
git ls-files -z --cached --others --exclude-standard \
    | while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done \
    | xargs -0 cp --parents -t "$copy"
mkdir -p "$copy/.reuse"
python3 - REUSE.toml > "$copy/.reuse/dep5" <<'PY'
import sys, tomllib
with open(sys.argv[1], "rb") as f:
    data = tomllib.load(f)
print("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
print("Upstream-Name:", data.get("SPDX-PackageName", ""))
for a in data.get("annotations", []):
    paths = a["path"] if isinstance(a["path"], list) else [a["path"]]
    paths = [p.replace("**", "*") for p in paths]
    copyright = a["SPDX-FileCopyrightText"]
    if isinstance(copyright, list):
        copyright = "\n ".join(copyright)
    print()
    print("Files:", " ".join(paths))
    print("Copyright:", copyright)
    print("License:", a["SPDX-License-Identifier"])
PY
cd "$copy"
reuse lint "$@"
