// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "cli/StatusSnapshot.h"
#include "session/ExitCodes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <optional>

#if !defined(Q_OS_WIN)
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

// watch: the window's status tick on a terminal, one line per change.

namespace {

#if !defined(Q_OS_WIN)
// A signal handler may do next to nothing; it writes a byte to a socket the event loop watches,
// and the loop ends the watch in its own time, between two polls, so the trace is complete.
int g_signalSocket[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalSocket[0], &byte, 1);
}
#endif

// "key=value" for each entry that differs from `before` (all of them the first time).
QString changes(const StatusSnapshot &now, const StatusSnapshot *before)
{
    QStringList parts;
    for (int i = 0; i < now.lines.size(); ++i) {
        const auto &entry = now.lines.at(i);
        if (before && i < before->lines.size() && before->lines.at(i) == entry)
            continue;
        QString key = entry.first;
        key.replace(QLatin1Char(' '), QLatin1Char('.'));
        const bool quote = entry.second.contains(QLatin1Char(' ')) || entry.second.isEmpty();
        parts << key + QLatin1Char('=')
                + (quote ? QLatin1Char('"') + entry.second + QLatin1Char('"') : entry.second);
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

namespace Commands {

int watch(CliSession &session, CommandArgs &args)
{
    const QString command = QStringLiteral("watch");
    bool missing = false;
    const std::optional<QString> intervalText = args.value(QStringLiteral("--interval"), &missing);
    if (missing)
        return usage(command, QStringLiteral("--interval needs MS"));
    int interval = 3000; // the window's status period
    if (intervalText) {
        bool ok = false;
        interval = intervalText->toInt(&ok);
        if (!ok || interval < 100)
            return usage(command,
                QStringLiteral("--interval takes milliseconds, 100 or more, "
                               "not \"%1\"")
                    .arg(*intervalText));
    }
    if (const int bad = checkLeftovers(command, args, 0))
        return bad;
    if (const int failed = session.connect())
        return failed;

#if !defined(Q_OS_WIN)
    std::unique_ptr<QSocketNotifier> notifier;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalSocket) == 0) {
        notifier = std::make_unique<QSocketNotifier>(g_signalSocket[1], QSocketNotifier::Read);
        QObject::connect(
            notifier.get(), &QSocketNotifier::activated, qApp, [] { QCoreApplication::quit(); });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }
#endif

    std::optional<StatusSnapshot> last;
    QString lastFailure;
    int exitCode = ExitCode::Ok;
    const auto poll = [&] {
        StatusSnapshot now;
        QString step;
        const BoxResult r = StatusSnapshot::read(session.box(), now, &step);
        // A box whose USB link fails is gone (unplugged, or its handle is dead): waiting on it
        // would print nothing for ever.
        if (r.kind == BoxResult::LinkError || r.kind == BoxResult::NotOpen) {
            exitCode = CliOutput::fail(ExitCode::BoxFailed,
                QStringLiteral("the box was lost (%1: %2)").arg(step, r.describe()));
            QCoreApplication::quit();
            return;
        }
        if (!r.ok()) {
            // Once per spell of failures, not once per poll.
            const QString failure = step + QStringLiteral(": ") + r.describe();
            if (failure != lastFailure)
                CliOutput::warn(failure);
            lastFailure = failure;
            return;
        }
        lastFailure.clear();
        if (last && last->json == now.json)
            return;
        if (session.json()) {
            QJsonObject line = now.json;
            line.insert(
                QStringLiteral("time"), QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
            CliOutput::json(line, true);
        } else {
            CliOutput::line(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz "))
                + changes(now, last ? &*last : nullptr));
            std::fflush(stdout);
        }
        last = now;
    };

    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, poll);
    timer.start(interval);
    poll();
    if (exitCode == ExitCode::Ok)
        QCoreApplication::exec();
#if !defined(Q_OS_WIN)
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
#endif
    return exitCode;
}

} // namespace Commands
