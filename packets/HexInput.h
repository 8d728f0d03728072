// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// Turns what a user types or pastes into bytes for the decoders: hex pairs separated by colons,
// spaces, commas, tabs or line breaks ("40:04", "40 04", "40,04"), or one run of hex digits
// ("4004"), in any letter case, with an optional "0x" before each pair. Unlike the box's own
// forgiving conversion of the CEC and InfoFrame fields (link/HexBytes), this one refuses what it
// does not understand, so a decode never shows bytes the user did not mean.
namespace HexInput {

struct Result
{
    bool ok = false;
    QByteArray bytes;
    int errorPosition = -1; // the character where the parse gave up
};

Result parse(const QString &text);

} // namespace HexInput
