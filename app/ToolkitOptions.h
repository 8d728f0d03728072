// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringList>

// The options every Qt program takes (-style Fusion, -platform offscreen, -reverse,
// -qwindowgeometry 400x800, and the X11 ones such as -display): the toolkit reads them itself,
// so the window's own command line leaves them out instead of calling them unknown. Like the
// toolkit, it takes them with one dash or two, and with the value after a blank or an "=".
class ToolkitOptions
{
public:
    // `arguments` (the program's name first) without the toolkit's options and their values.
    static QStringList removed(const QStringList &arguments);
};
