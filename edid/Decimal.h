// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLatin1String>
#include <QtGlobal>

// A whole number as Latin-1 text on the stack, for lines built by concatenation: arg() parses
// its pattern on every call, and a table's lines have hundreds of numbers.
// `Decimal(n).text()` may be used until the end of the expression that made it.
class Decimal
{
public:
    explicit Decimal(qint64 value)
    {
        char reversed[24];
        int n = 0;
        const bool negative = value < 0;
        quint64 v = negative ? quint64(-(value + 1)) + 1 : quint64(value);
        do {
            reversed[n++] = char('0' + v % 10);
            v /= 10;
        } while (v);
        if (negative)
            reversed[n++] = '-';
        for (int i = 0; i < n; ++i)
            m_text[i] = reversed[n - 1 - i];
        m_length = n;
    }
    QLatin1String text() const { return QLatin1String(m_text, m_length); }

private:
    char m_text[24];
    int m_length;
};
