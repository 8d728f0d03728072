// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidDecoded.h"

// Reads one DisplayID extension block (128 bytes, tag 0x70): its section's version, product type
// and extension count, the detailed timings of its type I (1.x) and type VII (2.x) timing data
// blocks, and the tags of the other data blocks.
namespace DisplayIdDecoder {

DisplayIdBlock decode(const quint8 *block, int blockIndex, DecodeWarnings &warnings);

} // namespace DisplayIdDecoder
