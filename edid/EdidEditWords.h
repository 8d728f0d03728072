// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

// The words an edit is asked for in: the short lower-case names the command line takes (and the
// edit window shows) for audio formats, sample rates, speakers, EOTFs and colorimetry bits.
namespace EdidEditWords {

// Audio format codes 1..14: "lpcm", "ac3", ... "wma". 0 for an unknown word.
int audioFormat(const QString &word);
QString audioFormatWord(int code);
// "Linear PCM", "AC-3": for messages.
QString audioFormatName(int code);

// Sample rates in kHz, "32" .. "192", as bits 0..6.
int rateBit(const QString &word);
QString rateWord(int bit);

// Speaker allocation bits 0..20: "FL/FR", "LFE1", ... "LSd/RSd" (any case). -1 for others.
int speakerBit(const QString &word);
QString speakerWord(int bit);
constexpr int SPEAKER_BITS = 21;

// EOTF bits 0..3: "sdr", "hdr" (traditional HDR), "pq", "hlg".
int eotfBit(const QString &word);
QString eotfWord(int bit);
constexpr int EOTF_BITS = 4;

// Colorimetry bits (first byte in 0..7, second in 8..15): "xvycc601", ... "bt2020rgb", "ictcp",
// "dci-p3". The metadata profile bits 8..11 are reserved and have no word.
int colorimetryBit(const QString &word);
QString colorimetryWord(int bit);
// Every bit that has a word, as a mask.
constexpr quint32 COLORIMETRY_BITS = 0xC0FF;

// Every word of a list, for help texts: "lpcm, ac3, ...".
QStringList audioFormatWords();
QStringList speakerWords();
QStringList eotfWords();
QStringList colorimetryWords();

} // namespace EdidEditWords
