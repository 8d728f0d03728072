// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidEdit.h"

class EdidEditContext;

// The edits of the audio blocks: remove short audio descriptors by format (an audio data block
// left empty goes), add one, set the speaker allocation (a block is made where there is none).
namespace CtaAudioEdits {

bool apply(EdidEditContext &c, const EdidEdit &edit);

} // namespace CtaAudioEdits
