// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidDecoded.h"

#include <QJsonObject>
#include <QStringList>

// Puts a decoded EDID into words: indented lines for people, a JSON object for programs.
namespace EdidDescriber {

QStringList lines(const EdidDecoded &edid);
QJsonObject json(const EdidDecoded &edid);

// "3840x2160 60.000 Hz" (with "i" after the height when interlaced).
QString timingText(const EdidDetailedTiming &t);
// "1.0.0.0"
QString physicalAddressText(quint16 address);

} // namespace EdidDescriber
