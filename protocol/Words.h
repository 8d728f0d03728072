// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "protocol/SettingsTable.h"

#include <QString>

#include <optional>

// The EDID tables the box can fetch: its own and the TVs' on its two outputs.
enum class EdidSource { Box, TvA, TvB };

// The InfoFrames the box injects.
enum class InfoFrameKind { Hdr, Avi };

// The words scripts, preset files and every front end use for the box's things that are not
// settings (those are in SettingsTable): "tv-a", "hdr", "all"... Each table is written once here,
// so that a word means the same in every front end, and a front end lists the words it takes
// from the same place it parses them.
namespace Words {

std::optional<EdidSource> edidSource(const QString &word); // box, tv-a, tv-b
QString edidSourceWord(EdidSource source);
QString edidSourceWords(); // "box|tv-a|tv-b"

std::optional<InfoFrameKind> infoFrameKind(const QString &word); // hdr, avi
QString infoFrameKindWord(InfoFrameKind kind);
QString infoFrameKindWords(); // "hdr|avi"

std::optional<Settings::Reset> reset(const QString &word); // settings, edid, all
QString resetWord(Settings::Reset what);
QString resetWords(); // "settings|edid|all"

// The box's two CEC store slots, "1" and "2".
std::optional<int> cecStoreSlot(const QString &word);
QString cecStoreSlotWords(); // "1|2"

} // namespace Words
