// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/ScriptedDialogs.h"

void ScriptedDialogs::deviceWarning(const QString &text)
{
    shown.append({ QStringLiteral("device"), QStringLiteral(" "), text, {}, false });
}

void ScriptedDialogs::warning(QWidget *parent, const QString &title, const QString &text)
{
    shown.append({ QStringLiteral("warning"), title, text, {}, parent != nullptr });
}

QMessageBox::StandardButton ScriptedDialogs::question(
    QWidget *parent, const QString &title, const QString &text, const QString &informativeText)
{
    shown.append({ QStringLiteral("question"), title, text, informativeText, parent != nullptr });
    return answers.isEmpty() ? QMessageBox::No : answers.takeFirst();
}

void ScriptedDialogs::about(QWidget *parent, const QString &title, const QString &text)
{
    shown.append({ QStringLiteral("about"), title, text, {}, parent != nullptr });
}

void ScriptedDialogs::showText(QWidget *parent, const QString &title, const QString &text)
{
    shown.append({ QStringLiteral("text"), title, text, {}, parent != nullptr });
}

QString ScriptedDialogs::openFileName(
    QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    shown.append({ QStringLiteral("open"), caption, filter, dir, parent != nullptr });
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString ScriptedDialogs::saveFileName(
    QWidget *parent, const QString &caption, const QString &name, const QString &filter)
{
    shown.append({ QStringLiteral("save"), caption, filter, name, parent != nullptr });
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QStringList ScriptedDialogs::texts(const QString &kind) const
{
    QStringList out;
    for (const Shown &s : shown) {
        if (s.kind == kind)
            out << s.text;
    }
    return out;
}
