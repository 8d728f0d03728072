// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidEditWords.h"

#include "edid/CtaBits.h"

#include <array>

namespace {

// Index: the audio format code.
const char *const kAudioWords[15] = { nullptr, "lpcm", "ac3", "mpeg1", "mp3", "mpeg2", "aac", "dts",
    "atrac", "dsd", "eac3", "dtshd", "mat", "dst", "wma" };
// The speakers' words are the names the decoder prints, so that a table's decode can be typed
// back; bit i of the allocation is entry i.
const char *const *speakerNames()
{
    static const auto names = [] {
        std::array<const char *, EdidEditWords::SPEAKER_BITS> list {};
        for (const CtaFlagBit<CtaSpeakers> &b : CtaBits::speakers)
            list[std::size_t(b.bit)] = b.name;
        return list;
    }();
    return names.data();
}
static_assert(std::size(CtaBits::speakers) == EdidEditWords::SPEAKER_BITS);
const char *const kEotfs[EdidEditWords::EOTF_BITS] = { "sdr", "hdr", "pq", "hlg" };
const char *const kColorimetry[16]
    = { "xvycc601", "xvycc709", "sycc601", "opycc601", "oprgb", "bt2020cycc", "bt2020ycc",
          "bt2020rgb", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "ictcp", "dci-p3" };

int lookUp(const QString &word, const char *const *words, int count)
{
    for (int i = 0; i < count; ++i)
        if (words[i] && word.compare(QLatin1String(words[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString wordAt(const char *const *words, int count, int i)
{
    return i >= 0 && i < count && words[i] ? QString::fromLatin1(words[i]) : QString();
}

QStringList all(const char *const *words, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        if (words[i])
            list << QString::fromLatin1(words[i]);
    return list;
}

} // namespace

namespace EdidEditWords {

int audioFormat(const QString &word)
{
    return qMax(0, lookUp(word, kAudioWords, 15));
}

QString audioFormatWord(int code)
{
    return wordAt(kAudioWords, 15, code);
}

QString audioFormatName(int code)
{
    // The formats that have a word; 0 and 15 have none and no name of their own.
    return audioFormatWord(code).isEmpty() ? QStringLiteral("audio format %1").arg(code)
                                           : QString::fromLatin1(CtaBits::audioFormats[code]);
}

int rateBit(const QString &word)
{
    return lookUp(word, CtaBits::sampleRatesKHz, 7);
}

QString rateWord(int bit)
{
    return wordAt(CtaBits::sampleRatesKHz, 7, bit);
}

int speakerBit(const QString &word)
{
    return lookUp(word, speakerNames(), SPEAKER_BITS);
}

QString speakerWord(int bit)
{
    return wordAt(speakerNames(), SPEAKER_BITS, bit);
}

int eotfBit(const QString &word)
{
    return lookUp(word, kEotfs, EOTF_BITS);
}

QString eotfWord(int bit)
{
    return wordAt(kEotfs, EOTF_BITS, bit);
}

int colorimetryBit(const QString &word)
{
    return lookUp(word, kColorimetry, 16);
}

QString colorimetryWord(int bit)
{
    return wordAt(kColorimetry, 16, bit);
}

QStringList audioFormatWords()
{
    return all(kAudioWords, 15);
}

QStringList speakerWords()
{
    return all(speakerNames(), SPEAKER_BITS);
}

QStringList eotfWords()
{
    return all(kEotfs, EOTF_BITS);
}

QStringList colorimetryWords()
{
    return all(kColorimetry, 16);
}

} // namespace EdidEditWords
