// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class QTreeWidget;
class QTreeWidgetItem;

// The tree of EDID > Edit...: the decoded table, one item per field, with what a change of each
// editable item asks for in the command line's words (the edit window turns those into edits,
// so the window and `zelvarinctl edid edit` do the same thing for the same words).
namespace EdidEditTree {

enum Column { FieldColumn, ValueColumn };

// One edit in words: "--remove-vic" and "118".
struct Words
{
    QString option;
    QString value;
};

// Fills `tree` with the fields of `table`.
void fill(QTreeWidget *tree, const QByteArray &table);

// Whether the item's value can be typed over, and whether it has a check box that edits.
bool isEditable(const QTreeWidgetItem *item);
bool isCheckable(const QTreeWidgetItem *item);

// The edit the item's current value or check state asks for.
Words wordsFor(const QTreeWidgetItem *item);

// The edits offered for an item in its context menu, with their labels.
struct Action
{
    QString label;
    Words words;
};
QVector<Action> actionsFor(const QTreeWidgetItem *item);

// "Block 1/Video/VIC 97": an item's place, to find it again after the tree is filled anew.
QString path(const QTreeWidgetItem *item);
QTreeWidgetItem *find(QTreeWidget *tree, const QString &path);

} // namespace EdidEditTree
