// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidText.h"

namespace {

// The box's own tools convert a digit this way: anything above '9' counts from 'A'. Letters
// beyond F and other characters are not refused, they just give odd values ("GG" is 0x10).
quint8 digitValue(quint8 c)
{
    return c <= '9' ? quint8(c - '0') : quint8(c - 55);
}

bool isSeparator(char c)
{
    return c == ' ' || c == '\n';
}

} // namespace

namespace EdidText {

QString canonical(const EdidImage &image)
{
    return canonical(
        QByteArray::fromRawData(reinterpret_cast<const char *>(image.data()), EDID_SIZE));
}

QString canonical(const QByteArray &table)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(int(table.size()) * 3);
    for (int i = 0; i < table.size(); ++i) {
        const quint8 byte = quint8(table.at(i));
        text += QLatin1Char(digits[byte >> 4]);
        text += QLatin1Char(digits[byte & 0x0F]);
        text += QLatin1Char(i % 16 == 15 || i + 1 == table.size() ? '\n' : ' ');
    }
    return text;
}

int parse(const QString &text, EdidImage &image)
{
    return parseLatin1(text.toUpper().toLatin1(), image);
}

int parseLatin1(const QByteArray &text, EdidImage &image)
{
    image.fill(0);
    const int n = text.size();
    // Every pair takes three characters but the last, which may end the text without a separator:
    // a length of 3k + 1 leaves a pair with one digit, which is as malformed as a bad separator.
    if (n > MAX_TEXT_LENGTH || n % 3 == 1)
        return FORMAT_ERROR;

    int count = 0;
    for (int pos = 0; pos < n; pos += 3) {
        if (pos + 2 < n && !isSeparator(text[pos + 2]))
            return FORMAT_ERROR;
        const quint8 hi = digitValue(quint8(text[pos]));
        const quint8 lo = digitValue(quint8(text[pos + 1]));
        if (count < EDID_SIZE)
            image[count] = quint8(hi * 16 + lo);
        ++count;
    }
    return count;
}

} // namespace EdidText
