// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

// The value that makes the 128 bytes of an EDID block sum to 0 modulo 256. `block` points at the
// first of the block's 128 bytes; byte 127, the checksum itself, is not added.
quint8 edidChecksum(const quint8 *block);
