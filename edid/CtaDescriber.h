// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/Description.h"
#include "edid/EdidDecoded.h"

#include <QStringList>

// Puts one decoded CTA-861 extension block into words and JSON, as the next element of the open
// array (EdidDescriber's walk calls it per block).
namespace CtaDescriber {

void describe(const CtaBlock &cta, Description &out);

// Names of the transfer functions of the HDR static metadata block.
QStringList eotfNames(const CtaEotfs &eotfs);

} // namespace CtaDescriber
