#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the utility and starts it on the built-in simulated box. Extra arguments go to the
# program (for example --trace).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): run this in a desktop session." >&2
    exit 2
fi
source scripts/packages.sh
ensure_packages "${ZELVARIN_PACKAGES[@]}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target zelvarin -j"$(nproc)"
exec build/app/zelvarin --simulate "$@"
