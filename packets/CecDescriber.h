// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "packets/CecDecoded.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

// Puts a decoded CEC message into words: "Playback 1 to TV: Image View On".
namespace CecDescriber {

// The message on one line, then one line per warning.
QStringList lines(const CecDecoded &message);
// The first of those lines alone.
QString summary(const CecDecoded &message);
QJsonObject json(const CecDecoded &message);

} // namespace CecDescriber
