// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>
#include <array>

// One 256-byte EDID table: block 0 (checksum at byte 127) and block 1 (checksum at byte 255).
constexpr int EDID_SIZE = 256;
constexpr int EDID_BLOCK_SIZE = 128;
using EdidImage = std::array<quint8, EDID_SIZE>;
// The eight bytes every EDID table starts with.
constexpr std::array<quint8, 8> EDID_HEADER = { 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00 };
