// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The yardstick of the start-up benchmark: the least a Qt Widgets program does to put a main
// window on screen, timed the same way as the utility's --exit-after-show.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    // With --text the window shows one label, which loads the font database as any window with a
    // word in it must.
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        window.setCentralWidget(new QLabel(QStringLiteral("ZELVARIN"), &window));
    window.show();
    QCoreApplication::processEvents();
    std::fputs("shown\n", stdout);
    std::fflush(stdout);
    return 0;
}
