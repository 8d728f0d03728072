// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QVariantList>

// How one request to a box ended, for any transport: nothing (success, with `values` as the
// method's out arguments) or an error name of ServiceNames::Error with a sentence for people.
struct CommandResult
{
    QString errorName; // empty: success
    QString errorText;
    QVariantList values;

    bool ok() const { return errorName.isEmpty(); }
    static CommandResult success(const QVariantList &values = {}) { return { {}, {}, values }; }
    static CommandResult failure(const QString &name, const QString &text)
    {
        return { name, text, {} };
    }
};
