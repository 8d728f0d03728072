// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidDecoded.h"

#include <QJsonObject>
#include <QStringList>

// Puts one decoded CTA-861 extension block into words (EdidDescriber calls it per block).
namespace CtaDescriber {

QStringList lines(const CtaBlock &cta);
QJsonObject json(const CtaBlock &cta);

// Names of the bits set in the HDR static metadata block's EOTF byte.
QStringList eotfNames(quint8 eotfs);

} // namespace CtaDescriber
