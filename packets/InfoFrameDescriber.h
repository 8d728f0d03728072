// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "packets/InfoFrameDecoded.h"

#include <QJsonObject>
#include <QStringList>

// Puts a decoded InfoFrame into words, and into a JSON object.
namespace InfoFrameDescriber {

QStringList lines(const InfoFrameDecoded &frame);
QJsonObject json(const InfoFrameDecoded &frame);

// "SMPTE ST 2084 (PQ)" and the like.
QString eotfName(int eotf);

} // namespace InfoFrameDescriber
