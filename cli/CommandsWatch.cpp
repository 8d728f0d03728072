// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "cli/Interruption.h"
#include "cli/StatusSnapshot.h"
#include "session/ExitCodes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>
#include <optional>

// watch: the window's status tick on a terminal, one line per change.

namespace {

// ISO 8601 with milliseconds and the offset from UTC, "+00:00" included (Qt would write "Z" for
// it), so that every line has the same form and sorts and compares across machines and across a
// change of daylight saving time.
QString isoTimeWithOffset(const QDateTime &time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = qAbs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
        + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        + QStringLiteral("%1:%2")
              .arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

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

    // Ctrl+C and SIGTERM end the watch between two polls, so the trace is complete; that is its
    // normal end, with exit status 0.
    const Interruption interruption(Interruption::Mode::Stop);
    std::unique_ptr<QSocketNotifier> notifier;
    if (interruption.wakeDescriptor() >= 0) {
        notifier = std::make_unique<QSocketNotifier>(
            interruption.wakeDescriptor(), QSocketNotifier::Read);
        QObject::connect(
            notifier.get(), &QSocketNotifier::activated, qApp, [] { QCoreApplication::quit(); });
    }

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
        const QDateTime time = QDateTime::currentDateTime();
        if (session.json()) {
            QJsonObject line = now.json;
            line.insert(QStringLiteral("time"), isoTimeWithOffset(time));
            CliOutput::json(line, true);
        } else {
            CliOutput::line(time.toString(QStringLiteral("HH:mm:ss.zzz "))
                + changes(now, last ? &*last : nullptr));
            CliOutput::flush(); // so that a pipe sees each line as it comes
        }
        last = now;
        // Nobody reads the lines any more (a full disk, a closed pipe): polling on would only
        // keep the box busy. The failure is reported once, at the end.
        if (CliOutput::stdoutFailed())
            QCoreApplication::quit();
    };

    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, poll);
    timer.start(interval);
    poll();
    if (exitCode == ExitCode::Ok && !CliOutput::stdoutFailed())
        QCoreApplication::exec();
    return exitCode;
}

} // namespace Commands
