// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidImage.h"

#include <QByteArray>
#include <QString>

// The hex text form of an EDID table, as the user reads and edits it: 16 lines of 16 upper-case
// hex pairs separated by single spaces, every line ended by a line feed (768 characters).
namespace EdidText {

constexpr int LINE_LENGTH = 48; // 47 characters and the line feed
constexpr int CANONICAL_LENGTH = 16 * LINE_LENGTH; // 768
// The parse works on at most this many characters; a longer text is refused.
constexpr int MAX_TEXT_LENGTH = 1023;
constexpr int FORMAT_ERROR = -1;

// The canonical text of `image`.
QString canonical(const EdidImage &image);
// The same layout for a table of any size: 16 pairs a line, every line ended by a line feed.
QString canonical(const QByteArray &table);

// Parses hex pairs, each followed by a space, a line feed or the end of the text, into `image`.
// The text is upper-cased and taken as Latin-1 first. Returns the number of pairs found (only the
// first 256 are stored) or FORMAT_ERROR. Bytes past the last stored pair are 0x00, so a short
// text never leaves part of the table undefined.
int parse(const QString &text, EdidImage &image);

// The same on text that is already upper case and Latin-1.
int parseLatin1(const QByteArray &text, EdidImage &image);

} // namespace EdidText
