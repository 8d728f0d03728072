// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/DecodeWarning.h"

#include <QString>

// The words for a decoder's warning, shared by every describer.
namespace DecodeWarningText {

QString describe(const DecodeWarning &warning);

} // namespace DecodeWarningText
