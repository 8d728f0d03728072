// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The yardstick of the start-up benchmark: the least a Qt Widgets program does to put a main
// window on screen, timed the same way as the utility's --exit-after-show.
#include <QApplication>
#include <QMainWindow>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    QCoreApplication::processEvents();
    std::fputs("shown\n", stdout);
    std::fflush(stdout);
    return 0;
}
