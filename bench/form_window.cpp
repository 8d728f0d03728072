// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The floor of the start-up benchmark for this window: the program's form (QT/forms) with its
// resources, set up and shown with nothing behind it: no box, no connect sequence, no logic.
// Timed the same way as the utility's --exit-after-show.
#include "ui_ZelvarinForm.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMainWindow>
#include <cstdio>

int main(int argc, char **argv)
{
    // The form connects its buttons to the window's slots by name. A plain QMainWindow has none:
    // each connection is looked up as in the program, and fails quietly instead of printing.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.core.qobject.connect=false"));
    QApplication app(argc, argv);
    QMainWindow window;
    Ui::ZelvarinForm form;
    form.setupUi(&window);
    window.show();
    QCoreApplication::processEvents();
    std::fputs("shown\n", stdout);
    std::fflush(stdout);
    return 0;
}
