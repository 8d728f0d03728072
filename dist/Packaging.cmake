# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The Debian package: `cpack -G DEB` in the build folder. Everything `cmake --install` puts in
# place goes into the package under /usr; the dependencies come from dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME zelvarin)
set(CPACK_PACKAGE_VENDOR "The ZELVARIN Utility developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure the ZELVARIN 4K HDMI matrix box over USB")
set(CPACK_PACKAGE_HOMEPAGE_URL ${ZELVARIN_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

set(CPACK_DEBIAN_PACKAGE_NAME zelvarin)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZELVARIN_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The desktop program of the ZELVARIN, a USB-attached 4K HDMI matrix box: pick
the active input, set the box's options, watch the incoming signal, read, edit,
check, save and upload EDID tables, send HDMI-CEC commands and inject HDR and
AVI InfoFrames. A built-in simulated box (zelvarin --simulate) runs it without
the hardware.")
# Files under /usr/share/doc and the man pages must not be world-writable or executable; the
# folders CPack creates get the usual modes.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
