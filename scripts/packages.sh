# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Sourced by the set-up scripts: makes sure the Debian packages the build needs are installed.
# As root it installs what is missing (running apt-get update first); otherwise it prints the one
# apt-get line to run and stops.

ZELVARIN_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libusb-1.0-0-dev
    libmosquitto-dev
    fontconfig fonts-dejavu-core
    scdoc
)
# The test command needs these too: the emulated USB device for the libusb tests; the JSON Schema
# validator that checks zelvarinctl's JSON against the schemas the package ships; edid-decode, the
# independent decoder the EDID editor's results are checked against; the broker, its password
# tool and openssl (for a test certificate authority) for the MQTT bridge's tests; a D-Bus daemon
# (dbus-run-session) for the service's tests.
ZELVARIN_TEST_PACKAGES=(umockdev libumockdev-dev python3 python3-jsonschema edid-decode
    mosquitto mosquitto-clients openssl dbus-daemon)
# Only CI needs these: the fuzzing compiler with libFuzzer, the layout check, and the packaging
# checks.
ZELVARIN_FUZZ_PACKAGES=(clang libclang-rt-14-dev clang-format)
ZELVARIN_PACKAGING_PACKAGES=(reuse appstream desktop-file-utils lintian dpkg-dev file gzip)

ensure_packages() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages. Run this once, then try again:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}" >&2
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}
