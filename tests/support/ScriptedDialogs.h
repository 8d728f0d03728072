// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ui/Dialogs.h"

#include <QList>
#include <QStringList>

// Records every box the window would show and answers questions and file dialogs from a script.
class ScriptedDialogs final : public Dialogs
{
public:
    struct Shown
    {
        QString kind; // "device", "warning", "question", "about", "text", "open", "save"
        QString title;
        QString text;
        QString informativeText;
        bool hasParent = false;
    };

    void deviceWarning(const QString &text) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;
    QMessageBox::StandardButton question(QWidget *parent, const QString &title, const QString &text,
        const QString &informativeText) override;
    void about(QWidget *parent, const QString &title, const QString &text) override;
    void showText(QWidget *parent, const QString &title, const QString &text) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
        const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &name,
        const QString &filter) override;

    // Answers, taken in order; when empty: questions answer No, file dialogs are cancelled.
    QList<QMessageBox::StandardButton> answers;
    QStringList fileNames;

    QList<Shown> shown;
    // The texts of the boxes of one kind, in order.
    QStringList texts(const QString &kind) const;
    void clear() { shown.clear(); }
};
