// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/HexBytes.h"

#include "protocol/Frames.h"

namespace {

quint8 digitValue(char c)
{
    quint8 code = static_cast<quint8>(c);
    if (code >= 'a' && code <= 'z')
        code = static_cast<quint8>(code - ('a' - 'A'));
    return static_cast<quint8>(code > '9' ? code - 0x37 : code - 0x30);
}

// The characters around a colon may lie outside the text when the colon sits near either end;
// those positions hold zero, as a zero-filled work buffer would.
char charAt(const char *text, int length, int position)
{
    return position >= 0 && position < length ? text[position] : '\0';
}

} // namespace

QByteArray prepareHexText(const QString &plain)
{
    QByteArray prepared = plain.toUpper().toLatin1();
    prepared.append('\r');
    return prepared;
}

quint8 hexPairToByte(char first, char second)
{
    return static_cast<quint8>(digitValue(first) * 16 + digitValue(second));
}

quint8 parseHexBytes(const char *text, int length, bool withCount, HexOutput &out)
{
    out.fill(0);
    int index = 0;
    int lastColon = 0;
    // One slot stays free for the byte after the last colon.
    constexpr int lastSlot = HEX_OUTPUT_LEN - 1;

    for (int p = 0; p < length && index < lastSlot; ++p) {
        if (text[p] != ':')
            continue;
        out[index] = hexPairToByte(charAt(text, length, p - 2), charAt(text, length, p - 1));
        ++index;
        if (withCount && index == 1)
            index = 2;
        lastColon = p;
        if (charAt(text, length, p + 3) != ':')
            break;
    }

    out[index]
        = hexPairToByte(charAt(text, length, lastColon + 1), charAt(text, length, lastColon + 2));
    if (withCount)
        out[1] = static_cast<quint8>(index - 1);
    return static_cast<quint8>(index + 1);
}

QByteArray buildLoadFrame(quint8 code, const HexOutput &bytes, quint8 count)
{
    const int used = qMin<int>(count, HEX_OUTPUT_LEN);
    QByteArray frame;
    frame.reserve(3 + used);
    frame.append(static_cast<char>(FRAME_WRITE));
    frame.append(static_cast<char>(count));
    frame.append(static_cast<char>(code));
    frame.append(reinterpret_cast<const char *>(bytes.data()), used);
    return frame;
}
