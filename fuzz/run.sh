#!/bin/sh
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every fuzz/*_fuzz.cpp with clang++ and libFuzzer and runs each one briefly.
#
# A target names the product sources it needs, relative to the repository root, on a line
#     // FUZZ_SOURCES: some/File.cpp other/File.cpp
# The source root is the include path, as in the CMake build. Targets link QtCore only.
# Seeds are taken from fuzz/corpus/<target>/ when that folder exists, and from the folders a
# target names, relative to the repository root, on a line
#     // FUZZ_SEEDS: tests/data/edid
# (seed folders are never written to).
#
# Environment: FUZZ_SECONDS (default 20) per target, FUZZ_BUILD (default a temporary folder),
# CXX (default clang++).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${FUZZ_SECONDS:-20}
cxx=${CXX:-clang++}
case "$cxx" in *clang*) ;; *) cxx=clang++ ;; esac
build=${FUZZ_BUILD:-$(mktemp -d "${TMPDIR:-/tmp}/zelvarin-fuzz.XXXXXX")}
mkdir -p "$build"

qt_flags=$(pkg-config --cflags --libs Qt6Core)
status=0

for target in "$here"/*_fuzz.cpp; do
    [ -e "$target" ] || continue
    name=$(basename "$target" .cpp)
    sources=$(sed -n 's|^// FUZZ_SOURCES:||p' "$target" | head -n 1)
    srcs=""
    for s in $sources; do
        srcs="$srcs $root/$s"
    done

    echo "== $name: build"
    # shellcheck disable=SC2086
    if ! "$cxx" -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
            -fno-sanitize-recover=undefined -I"$root" "$target" $srcs $qt_flags \
            -o "$build/$name"; then
        echo "== $name: BUILD FAILED"
        status=1
        continue
    fi

    corpus="$build/$name.corpus"
    mkdir -p "$corpus"
    seeds=""
    [ -d "$here/corpus/$name" ] && seeds="$here/corpus/$name"
    for folder in $(sed -n 's|^// FUZZ_SEEDS:||p' "$target" | head -n 1); do
        seeds="$seeds $root/$folder"
    done

    echo "== $name: run ${seconds}s"
    # shellcheck disable=SC2086
    if ! "$build/$name" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
            -artifact_prefix="$build/$name-" "$corpus" $seeds; then
        echo "== $name: FAILED (artifacts in $build)"
        status=1
    fi
done

exit $status
