// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidDecoded.h"

// Reads one CTA-861 extension block (128 bytes, tag 0x02) into a CtaBlock.
namespace CtaDecoder {

CtaBlock decode(const quint8 *block, int blockIndex, DecodeWarnings &warnings);

} // namespace CtaDecoder
