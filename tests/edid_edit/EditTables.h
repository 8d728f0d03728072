// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidEdit.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>

// The tables the editor's tests work on: the corpus, the named real tables, and tables made up
// from a real base block and chosen data blocks.
namespace EditTables {

// Every table of the corpus (240) and the named tables (128 to 512 bytes), as file paths.
QStringList allFiles();
// The named table "avr-receiver" etc.
QByteArray named(const QString &name);

// A real base block and one CTA block holding `dataBlocks` (given as hex, tag byte first) and
// `timings`, with good checksums.
QByteArray ctaTable(const QStringList &dataBlocks, const QVector<QByteArray> &timings = {});

bool checksumsGood(const QByteArray &table, const QVector<int> &blocks);

// The edits of one option as the command line gives it; empty when it does not parse.
QVector<EdidEdit> edits(const QString &option, const QString &value = QString());
EdidEdit edit(const QString &option, const QString &value = QString());

} // namespace EditTables
