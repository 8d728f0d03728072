// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidImage.h"

#include <QByteArray>

// What an EDID file holds. A file whose first byte is 0x00 (every EDID header starts with one, and
// so does an empty file) is a raw table; anything else is taken as hex text.
namespace EdidFile {

// Only the start of a file is looked at: a raw table is 256 bytes, hex text of one fits in 1024.
constexpr int READ_LIMIT = 1024;

bool isBinaryTable(const QByteArray &fileData);

// Whether `bytes` start with the EDID header.
bool startsWithHeader(const QByteArray &bytes);

// Whether the file holds an EDID table at all: a raw one is a whole number of 128-byte blocks
// starting with the EDID header; hex text holds only hex pairs (and blanks) and starts with the
// header too. A picture, an empty file or random bytes are none.
bool holdsEdid(const QByteArray &fileData);

// Bytes 0-255 of the file; a shorter file reads as if padded with 0x00.
EdidImage tableFromBinary(const QByteArray &fileData);

// Hex text as written by other tools (lines of 16 pairs, each pair followed by a space, ended by
// CR LF or LF) turned into the program's own layout: the trailing space and the line end become a
// single line feed. The column is counted from the start of the data and reset only by a
// converted line end, so once a line has another shape the rest is copied unchanged. At most
// READ_LIMIT bytes are looked at and the text ends at the first 0x00 byte.
QByteArray hexTextFromFile(const QByteArray &fileData);

} // namespace EdidFile
