// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/Description.h"
#include "edid/EdidDecoded.h"

// One decoded DisplayID extension block in words and JSON, as the next element of the open
// array (EdidDescriber's walk calls it per block).
namespace DisplayIdDescriber {

void describe(const DisplayIdBlock &block, Description &out);

} // namespace DisplayIdDescriber
