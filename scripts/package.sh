#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds everything the package holds and makes the Debian package, in build-package/, with
# Debian's hardening flags (dpkg-buildflags, hardening=+all: fortified functions, a read-only
# relocation table resolved at start-up, position-independent executables), for the programs and
# zelvarinctl's module alike. Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${ZELVARIN_PACKAGES[@]}" dpkg-dev file

export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
# zelvarinctl's private module goes where Debian keeps a package's own libraries of an
# architecture, /usr/lib/<multiarch>/zelvarin/ (out of ldconfig's folders, which need no trigger).
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
# The package's own folder, so that the flags and the options without tests never mix with the
# build/ of scripts/test.sh.
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZELVARIN_BUILD_TESTS=OFF -DZELVARIN_BUILD_BENCH=OFF "-DCMAKE_INSTALL_LIBDIR=lib/$multiarch" \
    "-DCMAKE_CXX_FLAGS=$cppflags $cxxflags" \
    "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" "-DCMAKE_SHARED_LINKER_FLAGS=$ldflags" \
    "-DCMAKE_MODULE_LINKER_FLAGS=$ldflags" >/dev/null
cmake --build build-package -j"$(nproc)"
rm -f build-package/zelvarin_*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls build-package/zelvarin_*.deb
