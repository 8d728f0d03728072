// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "cli/StatusSnapshot.h"
#include "protocol/SettingsTable.h"
#include "session/ExitCodes.h"

#include <QJsonObject>
#include <QStringList>

// status, get and set: the settings by the names of the settings table.

namespace {

QString settingNames()
{
    QStringList names;
    for (const Settings::Setting &s : Settings::all())
        names << QLatin1String(s.name);
    return names.join(QLatin1Char(' '));
}

// The setting called `name`, or a usage error naming every one there is.
const Settings::Setting *findSetting(const QString &command, const QString &name, int *exitCode)
{
    const Settings::Setting *s = Settings::find(name);
    if (!s)
        *exitCode = Commands::usage(command,
            QStringLiteral("unknown setting \"%1\"; the settings are: %2")
                .arg(name, settingNames()));
    return s;
}

} // namespace

namespace Commands {

int usage(const QString &command, const QString &message)
{
    return CliOutput::fail(ExitCode::Usage,
        QStringLiteral("%1: %2 (see 'zelvarinctl help %1')").arg(command, message));
}

int checkLeftovers(const QString &command, const CommandArgs &args, int maxPositionals)
{
    const QString option = args.unknownOption();
    if (!option.isEmpty())
        return usage(command, QStringLiteral("unknown option %1").arg(option));
    if (args.positionals().size() > maxPositionals)
        return usage(command,
            QStringLiteral("unexpected argument \"%1\"")
                .arg(args.positionals().at(maxPositionals)));
    return ExitCode::Ok;
}

int status(CliSession &session, CommandArgs &args)
{
    if (const int bad = checkLeftovers(QStringLiteral("status"), args, 0))
        return bad;
    if (const int failed = session.connect())
        return failed;
    StatusSnapshot snapshot;
    QString step;
    if (const BoxResult r = StatusSnapshot::read(session.box(), snapshot, &step); !r.ok())
        return CliSession::boxFailure(step, r);
    if (session.json()) {
        CliOutput::json(snapshot.json);
        return ExitCode::Ok;
    }
    for (const auto &entry : snapshot.lines)
        CliOutput::line(entry.first + QStringLiteral(": ") + entry.second);
    return ExitCode::Ok;
}

int get(CliSession &session, CommandArgs &args)
{
    const QString command = QStringLiteral("get");
    if (const QString option = args.unknownOption(); !option.isEmpty())
        return usage(command, QStringLiteral("unknown option %1").arg(option));
    if (args.positionals().isEmpty())
        return usage(command, QStringLiteral("name at least one setting"));
    QList<const Settings::Setting *> wanted;
    for (const QString &name : args.positionals()) {
        int exitCode = ExitCode::Ok;
        const Settings::Setting *s = findSetting(command, name, &exitCode);
        if (!s)
            return exitCode;
        wanted << s;
    }
    RegisterImage image {};
    if (const int failed = session.connectAndReadSettings(image))
        return failed;
    QJsonObject json;
    for (const Settings::Setting *s : wanted) {
        const QString value = Settings::valueName(*s, image[s->position]);
        if (session.json())
            json.insert(QLatin1String(s->name), value);
        else
            CliOutput::line(value);
    }
    if (session.json())
        CliOutput::json(json);
    return ExitCode::Ok;
}

int set(CliSession &session, CommandArgs &args)
{
    const QString command = QStringLiteral("set");
    if (const QString option = args.unknownOption(); !option.isEmpty())
        return usage(command, QStringLiteral("unknown option %1").arg(option));
    if (args.positionals().isEmpty())
        return usage(command, QStringLiteral("give at least one NAME=VALUE"));
    struct Assignment
    {
        const Settings::Setting *setting;
        quint8 value;
        QString text;
    };
    QList<Assignment> assignments;
    for (const QString &word : args.positionals()) {
        const int eq = int(word.indexOf(QLatin1Char('=')));
        if (eq <= 0)
            return usage(command, QStringLiteral("\"%1\" is not NAME=VALUE").arg(word));
        int exitCode = ExitCode::Ok;
        const Settings::Setting *s = findSetting(command, word.left(eq), &exitCode);
        if (!s)
            return exitCode;
        const QString valueText = word.mid(eq + 1);
        const std::optional<quint8> value = Settings::valueOf(*s, valueText);
        if (!value)
            return usage(command,
                QStringLiteral("%1 does not take \"%2\"; its values are: %3")
                    .arg(word.left(eq), valueText, Settings::valueNames(*s)));
        assignments.append({ s, *value, word });
    }
    if (const int failed = session.connect())
        return failed;
    // In the order given, as a person at the window would click them; the first failure ends it
    // so a later setting never lands on a box that did not take an earlier one.
    for (const Assignment &a : assignments) {
        const BoxResult r = session.box().writeSetting(a.setting->id, a.value);
        if (!r.ok())
            return CliSession::boxFailure(QStringLiteral("setting %1").arg(a.text), r);
        session.link().registerMirror[a.setting->position] = a.value;
    }
    return ExitCode::Ok;
}

} // namespace Commands
