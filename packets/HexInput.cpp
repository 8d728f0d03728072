// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "packets/HexInput.h"

namespace {

int digit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool isSeparator(QChar c)
{
    return c == u':' || c == u',' || c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'
        || c == u'-';
}

} // namespace

HexInput::Result HexInput::parse(const QString &text)
{
    Result r;
    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        if (isSeparator(text[i])) {
            ++i;
            continue;
        }
        if (text[i] == u'0' && i + 1 < n && (text[i + 1] == u'x' || text[i + 1] == u'X'))
            i += 2;
        // A run of digits: pairs make bytes; an odd run of one is a single byte ("0:4:1f").
        const int start = i;
        while (i < n && digit(text[i]) >= 0)
            ++i;
        const int run = i - start;
        if (run == 0 || (i < n && !isSeparator(text[i]))) {
            r.errorPosition = i;
            r.bytes.clear();
            return r;
        }
        if (run == 1) {
            r.bytes.append(char(digit(text[start])));
            continue;
        }
        if (run % 2) {
            r.errorPosition = start;
            r.bytes.clear();
            return r;
        }
        for (int k = start; k < i; k += 2)
            r.bytes.append(char(digit(text[k]) << 4 | digit(text[k + 1])));
    }
    r.ok = true;
    return r;
}
