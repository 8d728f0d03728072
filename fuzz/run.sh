#!/bin/sh
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every fuzz/*_fuzz.cpp with clang++ and libFuzzer and runs each one briefly.
#
# A target names the product sources it needs, relative to the repository root, on a line
#     // FUZZ_SOURCES: some/File.cpp other/File.cpp
# The folders of those sources are on the include path. Targets link QtCore only.
# Seeds are taken from fuzz/corpus/<target>/ when that folder exists (it is never written to).
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
    # The folders of the sources, and the root for includes named by their folder.
    includes="-I$root"
    srcs=""
    for s in $sources; do
        srcs="$srcs $root/$s"
        includes="$includes -I$root/$(dirname "$s")"
    done

    echo "== $name: build"
    # shellcheck disable=SC2086
    if ! "$cxx" -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
            -fno-sanitize-recover=undefined $includes "$target" $srcs $qt_flags \
            -o "$build/$name"; then
        echo "== $name: BUILD FAILED"
        status=1
        continue
    fi

    corpus="$build/$name.corpus"
    mkdir -p "$corpus"
    seeds=""
    [ -d "$here/corpus/$name" ] && seeds="$here/corpus/$name"

    echo "== $name: run ${seconds}s"
    # shellcheck disable=SC2086
    if ! "$build/$name" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
            -artifact_prefix="$build/$name-" "$corpus" $seeds; then
        echo "== $name: FAILED (artifacts in $build)"
        status=1
    fi
done

exit $status
