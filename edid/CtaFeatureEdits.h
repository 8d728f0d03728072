// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidEdit.h"

class EdidEditContext;

// The edits of the other CTA-861 fields: HDR static metadata (EOTFs and luminances, the block
// made where there is none), colorimetry bits, the YCbCr 4:4:4 and 4:2:2 flags, the HDMI
// physical address, a limit on the TMDS rate, and removing data blocks by kind.
namespace CtaFeatureEdits {

bool apply(EdidEditContext &c, const EdidEdit &edit);

} // namespace CtaFeatureEdits
