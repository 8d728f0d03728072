// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidEdit.h"

#include <QString>
#include <QStringList>
#include <QVector>

// The edits in words, as `zelvarinctl edid edit` takes them: one option per edit, such as
// "--remove-vic 118" or "--hdr-eotf sdr,pq". The edit window shows each edit it makes in the
// same words, so what was done by hand can be done again from a script.
namespace EdidEditParser {

// Whether `option` ("--remove-vic") names an edit, and whether it takes a value.
bool isEditOption(const QString &option, bool *takesValue = nullptr);

// The edits of one option and its value (empty for options without one); several for a list
// such as "--remove-vic 117,118". False, with a message, for a value that is not of the form the
// option takes; whether the edit fits the table is for EdidEditor to say.
bool parse(const QString &option, const QString &value, QVector<EdidEdit> &edits, QString *error);

// The option that asks for `edit`: "--add-vic 16:1:native".
QString optionText(const EdidEdit &edit);

// Every option with its value's form, for help texts: "--remove-vic VIC[,VIC...]".
QStringList optionForms();

} // namespace EdidEditParser
