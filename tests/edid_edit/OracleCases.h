// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidDecoded.h"
#include "edid/EdidEdit.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// The oracle test's cases: which edits each real table gets, and what edid-decode must then say.
namespace OracleCases {

// What edid-decode said about one table: its decode, and its complaints (the warnings and
// failures of --check), each as "heading / line" and continuation lines as
// "heading / line / label", so a complaint whose numbers change is not taken for a new one.
struct Reading
{
    QString body;
    QMap<QString, int> complaints; // how often each is made
};

// edid-decode's output with --check, taken apart.
Reading reading(const QString &text);

// One edit (or a few) on one table, and what edid-decode must then show and not show.
struct Case
{
    QString what; // "--remove-vic 118"
    QVector<EdidEdit> edits;
    QStringList present; // patterns the edited table's decode must match
    QStringList absent; // patterns it must not match
    QString notApplicable; // a refusal that only says the table has no room or place for it
    QString consequence; // a complaint the edit must bring (see Removable)
};

struct Table
{
    QString name;
    QByteArray bytes;
    EdidDecoded decoded;
    QString text; // edid-decode's output
    Reading original;
};

// The edits tried on a table, each where it applies.
QVector<Case> casesFor(const Table &t);

} // namespace OracleCases
