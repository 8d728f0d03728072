// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/HexText.h"

namespace {

char digit(unsigned nibble, HexText::Case letters)
{
    const char *const set
        = letters == HexText::Case::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    return set[nibble & 0x0F];
}

} // namespace

QString HexText::number(quint32 value, int digits, Case letters)
{
    int needed = 1;
    while (needed < 8 && value >> (4 * needed))
        ++needed;
    const int width = qMax(needed, qBound(1, digits, 8));
    QString text(width, QLatin1Char('0'));
    for (int i = width - 1; i >= 0; --i, value >>= 4)
        text[i] = QLatin1Char(digit(value, letters));
    return text;
}

QString HexText::byte(int value, Case letters)
{
    const char text[4]
        = { '0', 'x', digit(unsigned(value) >> 4, letters), digit(unsigned(value), letters) };
    return QString::fromLatin1(text, 4);
}

QString HexText::bytes(const quint8 *data, int count, char separator, Case letters)
{
    QString text;
    text.reserve(count * 3);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && separator)
            text += QLatin1Char(separator);
        text += QLatin1Char(digit(data[i] >> 4, letters));
        text += QLatin1Char(digit(data[i], letters));
    }
    return text;
}

QString HexText::bytes(const QByteArray &data, char separator, Case letters)
{
    return bytes(
        reinterpret_cast<const quint8 *>(data.constData()), int(data.size()), separator, letters);
}
