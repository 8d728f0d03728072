// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/ToolkitOptions.h"

namespace {

// Those of QGuiApplication, QApplication and the X11 platform plugin that take a value...
const char *const kWithValue[]
    = { "style", "stylesheet", "platform", "platformpluginpath", "platformtheme", "plugin",
          "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display", "geometry",
          "title", "icon", "name", "visual", "qmljsdebugger", "dialogs", "fontengine", "darkmode" };
// ... and those that take none.
const char *const kFlags[]
    = { "reverse", "widgetcount", "testability", "sync", "nograb", "dograb", "qdevel", "qdebug" };

template <size_t N> bool among(const char *const (&names)[N], const QString &name)
{
    for (const char *n : names) {
        if (name == QLatin1String(n))
            return true;
    }
    return false;
}

} // namespace

QStringList ToolkitOptions::removed(const QStringList &arguments)
{
    QStringList out;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (i == 0 || !a.startsWith(QLatin1Char('-'))) {
            out << a;
            continue;
        }
        QString name = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const bool valueAttached = equals >= 0;
        if (valueAttached)
            name.truncate(equals);
        if (among(kFlags, name) && !valueAttached)
            continue;
        if (among(kWithValue, name)) {
            // The value follows unless it was attached; a missing one is the toolkit's to mind.
            if (!valueAttached && i + 1 < arguments.size())
                ++i;
            continue;
        }
        out << a;
    }
    return out;
}
