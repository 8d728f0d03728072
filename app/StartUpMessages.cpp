// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/StartUpMessages.h"

#include "session/ExitCodes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

struct Held
{
    QtMsgType type;
    QByteArray category;
    QString text;
};

// Qt calls its message handler as a plain function, so what it needs lives here, for the one
// process there is.
struct State
{
    QtMessageHandler previous = nullptr;
    bool quiet = false;
    bool starting = false;
    QList<Held> held;
};
State &state()
{
    static State s;
    return s;
}

QString noDisplayLine()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString x11 = qEnvironmentVariable("DISPLAY");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (x11.isEmpty() && wayland.isEmpty())
        return QStringLiteral(
            "No display found: DISPLAY and WAYLAND_DISPLAY are not set (zelvarinctl "
            "works without one).");
    return QStringLiteral("Cannot open the display %1: nothing answers there, or the toolkit's "
                          "plugin for it cannot start (zelvarinctl works without one).")
        .arg(x11.isEmpty() ? wayland : x11);
#else
    return QStringLiteral("The window cannot open: the toolkit's platform plugin cannot start.");
#endif
}

void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    State &s = state();
    if (type == QtFatalMsg && s.starting && text.contains(QLatin1String("platform plugin"))) {
        std::fprintf(stderr, "zelvarin: %s\n", qPrintable(noDisplayLine()));
        std::fflush(stderr);
        // Nothing to tidy up yet: no window, no box.
        std::_Exit(ExitCode::Usage);
    }
    const bool chatter = type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg;
    if (chatter && s.quiet)
        return;
    if (chatter && s.starting) {
        s.held.append({ type, QByteArray(context.category), text });
        return;
    }
    s.previous(type, context, text);
}

} // namespace

void StartUpMessages::install(bool quiet)
{
    State &s = state();
    s.quiet = quiet;
    s.starting = true;
    s.previous = qInstallMessageHandler(handle);
}

void StartUpMessages::toolkitStarted()
{
    State &s = state();
    s.starting = false;
    const QList<Held> held = std::exchange(s.held, {});
    for (const Held &h : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, h.category.constData());
        s.previous(h.type, context, h.text);
    }
}
