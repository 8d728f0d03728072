// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidEdit.h"

class EdidEditContext;

// The edits of the video data block: remove, add and move VICs, set or clear the native mark.
// The blocks that refer to the descriptors by position follow (CtaSvdFollow); a VIC that leaves
// also leaves the YCbCr 4:2:0-only list and, for the four 4K formats the HDMI block has its own
// numbers for, that list too.
namespace CtaVideoEdits {

bool apply(EdidEditContext &c, const EdidEdit &edit);

// Every video data block, its VICs leaving as RemoveVic takes them; false when there is none.
bool removeAll(EdidEditContext &c);

} // namespace CtaVideoEdits
