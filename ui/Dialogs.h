// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/DeviceWarnings.h"

#include <QMessageBox>
#include <QString>

class QWidget;

// Every modal box and file dialog of the window goes through here, so tests can answer them
// without a person and without a nested event loop.
class Dialogs : public DeviceWarnings
{
public:
    // Device-layer warning: caption " ", warning icon, OK, no owner window.
    void deviceWarning(const QString &text) override = 0;
    // Warning box with an OK button (QMessageBox::warning).
    virtual void warning(QWidget *parent, const QString &title, const QString &text) = 0;
    // Question with Yes and No and no default button. `title` may be empty (no title set).
    // Returns the button chosen, or QMessageBox::NoButton when the box was closed otherwise.
    virtual QMessageBox::StandardButton question(
        QWidget *parent, const QString &title, const QString &text, const QString &informativeText)
        = 0;
    virtual void about(QWidget *parent, const QString &title, const QString &text) = 0;
    // A longer plain text to read (help, notices), with a Close button.
    virtual void showText(QWidget *parent, const QString &title, const QString &text) = 0;
    // Empty result: the dialog was cancelled.
    virtual QString openFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
        = 0;
    virtual QString saveFileName(
        QWidget *parent, const QString &caption, const QString &name, const QString &filter)
        = 0;
};

// The real boxes and dialogs.
class WidgetDialogs final : public Dialogs
{
public:
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
};

// For runs nobody watches (--screenshot, --exit-after-show): every box becomes one line on
// standard error, questions answer No and file dialogs are cancelled, so nothing ever waits.
class HeadlessDialogs final : public Dialogs
{
public:
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
};
