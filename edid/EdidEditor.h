// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidEdit.h"

#include <QByteArray>

// Applies edits to an EDID table of any whole number of 128-byte blocks. An edit changes what it
// names and nothing else: every other byte stays as it was, and the checksum of each block whose
// bytes changed is made right (other blocks keep theirs, good or bad). An edit that cannot be
// made is refused with a message and leaves the table exactly as it was.
namespace EdidEditor {

EdidEditResult apply(QByteArray &table, const EdidEdit &edit);

// The table taken apart and put back together with no edit: the same bytes for every table the
// editor takes, which is what lets an edit leave the rest of a table alone.
bool roundTrip(const QByteArray &table, QByteArray &out, QString *why);

} // namespace EdidEditor
