// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringView>
#include <QtGlobal>

// What the CEC and InfoFrame load frames accept, counted on the prepared text (characters plus the
// closing carriage return, see HexBytes.h): five characters is the shortest text of two bytes
// ("50:04"), 3 * bytes - 1 characters the longest.
namespace PacketRules {

constexpr int MIN_PREPARED = 6;
constexpr int MAX_PREPARED_31_BYTES = 93; // CEC send, HDR InfoFrame
constexpr int MAX_PREPARED_13_BYTES = 39; // AVI
// The stored CEC text travels as characters and must fit the 67-byte store frame.
constexpr int MAX_PREPARED_STORE = 60;

// The box takes an activate frame only after it has had time to take the load in.
constexpr quint32 ACTIVATE_DELAY_MS = 100;

// The text front ends take from scripts and people: bytes of two hex digits joined by single
// colons ("50:04"). The box's own conversion takes anything (HexBytes.h); a typo deserves a word
// instead of whatever bytes it happens to make.
inline bool isColonHex(QStringView text)
{
    const auto hexDigit = [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    };
    if (text.size() % 3 != 2)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i % 3 == 2 ? text[i] != u':' : !hexDigit(text[i]))
            return false;
    }
    return true;
}

inline bool fitsCecSend(int prepared)
{
    return prepared >= MIN_PREPARED && prepared <= MAX_PREPARED_31_BYTES;
}
inline bool fitsCecStore(int prepared)
{
    return prepared >= MIN_PREPARED && prepared <= MAX_PREPARED_STORE;
}
inline bool fitsHdrInfoFrame(int prepared)
{
    return prepared >= MIN_PREPARED && prepared <= MAX_PREPARED_31_BYTES;
}
inline bool fitsAvi(int prepared)
{
    return prepared >= MIN_PREPARED && prepared <= MAX_PREPARED_13_BYTES;
}

} // namespace PacketRules
