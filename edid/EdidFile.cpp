// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidFile.h"

#include <cctype>

#include "edid/EdidText.h"

#include <algorithm>

namespace EdidFile {

bool isBinaryTable(const QByteArray &fileData)
{
    return fileData.isEmpty() || fileData[0] == '\0';
}

EdidImage tableFromBinary(const QByteArray &fileData)
{
    EdidImage image {};
    const int n = std::min<int>(fileData.size(), EDID_SIZE);
    std::copy(fileData.constBegin(), fileData.constBegin() + n, image.begin());
    return image;
}

QByteArray hexTextFromFile(const QByteArray &fileData)
{
    const int n = std::min<int>(fileData.size(), READ_LIMIT);
    // Bytes past the end of the data count as 0x00, so a look-ahead beyond it never matches a
    // line end, and nothing is read past the buffer.
    const auto at = [&](int i) -> char { return i < n ? fileData[i] : '\0'; };

    QByteArray text;
    text.reserve(n);
    int column = 0;
    int i = 0;
    while (i < n && fileData[i] != '\0') {
        ++column;
        if (column == EdidText::LINE_LENGTH && fileData[i] == ' ') {
            if (at(i + 1) == '\r' && at(i + 2) == '\n') {
                text += '\n';
                i += 3;
                column = 0;
                continue;
            }
            if (at(i + 1) == '\n') {
                text += '\n';
                i += 2;
                column = 0;
                continue;
            }
        }
        text += fileData[i];
        ++i;
    }
    return text;
}

bool startsWithHeader(const QByteArray &bytes)
{
    return bytes.size() >= qsizetype(EDID_HEADER.size())
        && std::equal(EDID_HEADER.begin(), EDID_HEADER.end(),
            reinterpret_cast<const quint8 *>(bytes.constData()));
}

bool holdsEdid(const QByteArray &fileData)
{
    if (isBinaryTable(fileData))
        return !fileData.isEmpty() && fileData.size() % EDID_BLOCK_SIZE == 0
            && startsWithHeader(fileData);
    QByteArray digits;
    for (const char c : fileData) {
        if (c == '\0')
            break;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        digits.append(c);
    }
    return digits.size() % 2 == 0 && startsWithHeader(QByteArray::fromHex(digits));
}

} // namespace EdidFile
