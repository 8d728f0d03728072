// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "protocol/Words.h"

#include <QStringList>

namespace Words {
namespace {

template <typename T> struct Word
{
    T value;
    const char *word;
};

constexpr Word<EdidSource> kEdidSources[]
    = { { EdidSource::Box, "box" }, { EdidSource::TvA, "tv-a" }, { EdidSource::TvB, "tv-b" } };
constexpr Word<InfoFrameKind> kInfoFrameKinds[]
    = { { InfoFrameKind::Hdr, "hdr" }, { InfoFrameKind::Avi, "avi" } };
constexpr Word<Settings::Reset> kResets[] = { { Settings::Reset::Settings, "settings" },
    { Settings::Reset::Edid, "edid" }, { Settings::Reset::Both, "all" } };
constexpr Word<int> kCecStoreSlots[] = { { 1, "1" }, { 2, "2" } };

template <typename T, std::size_t N>
std::optional<T> parse(const Word<T> (&table)[N], const QString &word)
{
    for (const Word<T> &w : table) {
        if (word == QLatin1String(w.word))
            return w.value;
    }
    return std::nullopt;
}

template <typename T, std::size_t N> QString wordOf(const Word<T> (&table)[N], T value)
{
    for (const Word<T> &w : table) {
        if (w.value == value)
            return QLatin1String(w.word);
    }
    return QString();
}

template <typename T, std::size_t N> QString list(const Word<T> (&table)[N])
{
    QStringList words;
    for (const Word<T> &w : table)
        words << QLatin1String(w.word);
    return words.join(QLatin1Char('|'));
}

} // namespace

std::optional<EdidSource> edidSource(const QString &word)
{
    return parse(kEdidSources, word);
}

QString edidSourceWord(EdidSource source)
{
    return wordOf(kEdidSources, source);
}

QString edidSourceWords()
{
    return list(kEdidSources);
}

std::optional<InfoFrameKind> infoFrameKind(const QString &word)
{
    return parse(kInfoFrameKinds, word);
}

QString infoFrameKindWord(InfoFrameKind kind)
{
    return wordOf(kInfoFrameKinds, kind);
}

QString infoFrameKindWords()
{
    return list(kInfoFrameKinds);
}

std::optional<Settings::Reset> reset(const QString &word)
{
    return parse(kResets, word);
}

QString resetWord(Settings::Reset what)
{
    return wordOf(kResets, what);
}

QString resetWords()
{
    return list(kResets);
}

std::optional<int> cecStoreSlot(const QString &word)
{
    return parse(kCecStoreSlots, word);
}

QString cecStoreSlotWords()
{
    return list(kCecStoreSlots);
}

} // namespace Words
