// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidDecoded.h"

// Reads one CTA-861 extension block (128 bytes, tag 0x02) into a CtaBlock.
namespace CtaDecoder {

CtaBlock decode(const quint8 *block, int blockIndex, DecodeWarnings &warnings);

// The offsets of the block's detailed timings: from byte 2's start (held to 4..127, as decode()
// reads a start out of range) up to the first that begins with a zero pixel clock or the padding
// before the checksum. The editor numbers timings by the same walk, so that "timing N" is the one
// the decoder lists as N.
QVector<int> detailedTimingOffsets(const quint8 *block);

} // namespace CtaDecoder
