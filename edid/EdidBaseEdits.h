// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidEdit.h"

class EdidEditContext;

// The edits of the base block's fields (name, serial, manufacturer, product, week, year) and the
// replacement of a detailed timing, wherever it is, by the timing of a VIC.
namespace EdidBaseEdits {

bool apply(EdidEditContext &c, const EdidEdit &edit);

// Whether the base block keeps its serial number as text, in a serial descriptor (which is where
// Serial then puts it).
bool keepsSerialAsText(const QByteArray &table);

} // namespace EdidBaseEdits
