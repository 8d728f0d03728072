// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidDecoded.h"

#include <QByteArray>

// Turns the bytes of an EDID table into an EdidDecoded. Any input is accepted: a table that is
// short, of an odd size, has bad checksums or nonsense lengths decodes as far as it can, with
// warnings, and nothing outside the input is ever read.
namespace EdidDecoder {

// Blocks past this many are not looked at (a warning says so); real tables have at most four.
constexpr int MAX_BLOCKS = 256;
// The tags of the extension blocks the decoder reads.
constexpr quint8 CTA_EXTENSION_TAG = 0x02;
constexpr quint8 DISPLAYID_EXTENSION_TAG = 0x70;

EdidDecoded decode(const QByteArray &bytes);

// One 18-byte detailed timing descriptor.
EdidDetailedTiming detailedTiming(const quint8 *d);

} // namespace EdidDecoder
