// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "box/BoxResult.h"

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

class BoxClient;

// Everything `status` and `watch` report, read in one go: the firmware version, the 25 settings,
// the busy flag and the incoming signal in the window's words.
struct StatusSnapshot
{
    // The JSON form: firmware, settings, signal, busy.
    QJsonObject json;
    // The text form, one "key: value" pair per line, in the order printed.
    QList<QPair<QString, QString>> lines;

    // Reads the box. On failure returns the failed read's result and names it in `failedStep`.
    static BoxResult read(BoxClient &box, StatusSnapshot &snapshot, QString *failedStep);
};
