// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

class Dialogs;
class QAction;
class QMainWindow;
class QMenu;

// The Help menu's entries beside About: Help (F1), the manual page as plain text, and the
// third-party notices. Both texts are compiled in, so they are the ones of this build and need
// no installed documentation, terminal or browser. They are shown through the dialog seam.
class HelpMenu : public QObject
{
public:
    // Adds the entries to `menu` around `about`; lives as long as `window`.
    HelpMenu(QMainWindow &window, Dialogs &dialogs, QMenu *menu, QAction *about);

    // The man page source (scdoc) as text to read: markup and comments dropped, each paragraph on
    // one line (indented by four blanks where the source indents it) for the reader to wrap.
    static QString plainTextFromScdoc(const QString &source);

private:
    void showManual();
    void showNotices();

    QMainWindow &m_window;
    Dialogs &m_dialogs;
};
