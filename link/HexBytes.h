// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>

// The hex text the CEC and InfoFrame fields take: bytes of two hex digits separated by single
// colons ("54:44:01"), letter case free. The conversion is deliberately forgiving; it never
// complains about what it is given, and what it makes of malformed text is pinned down below.

// Every conversion fills an output of this many bytes.
constexpr int HEX_OUTPUT_LEN = 100;
using HexOutput = std::array<quint8, HEX_OUTPUT_LEN>;

// A load frame holds the three head bytes and at most a full output.
constexpr int HEX_FRAME_MAX = 3 + HEX_OUTPUT_LEN;

// The text as the box's frames carry it: upper case, Latin-1 (characters without a Latin-1 form
// become '?'), with a carriage return appended. Its size is the prepared length n.
QByteArray prepareHexText(const QString &plain);

// One byte from two characters. Each is upper-cased (ASCII letters only) and valued as its code
// minus 0x37 above '9', else minus 0x30, in 8 bits; the byte is 16 * first + second modulo 256.
// Any character converts; only hex digits give their usual values.
quint8 hexPairToByte(char first, char second);

// Converts the prepared text (`length` bytes at `text`) into `out`, which is zero-filled first, and
// returns the number of bytes produced. With `withCount`, out[1] is reserved for the number of
// bytes after the first (a CEC message: header, count, operands).
//
// The conversion reads the two characters before every colon and the two after the last one, and
// stops at the first colon that is not followed by another three characters later. Positions
// before the text or past its end read as 0x00; nothing outside the text is ever touched. The
// result never exceeds HEX_OUTPUT_LEN: for texts longer than the fields accept, the scan stops
// once the output is full.
quint8 parseHexBytes(const char *text, int length, bool withCount, HexOutput &out);

// 0x10, count, code, then out[0 .. count-1]: count + 3 bytes. A later activate frame reuses the
// first two bytes of it.
QByteArray buildLoadFrame(quint8 code, const HexOutput &bytes, quint8 count);
