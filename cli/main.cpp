// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zelvarinctl: the box's commands for scripts and terminals, on the same core as the window.
// QtCore only, so it runs where there is no display.
#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "cli/Help.h"
#include "session/ExitCodes.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

using CommandFunction = int (*)(CliSession &, CommandArgs &);

struct Command
{
    const char *name;
    CommandFunction run;
};

const Command kCommands[] = {
    { "status", Commands::status },
    { "get", Commands::get },
    { "set", Commands::set },
    { "settings", Commands::settings },
    { "edid", Commands::edid },
    { "cec", Commands::cec },
    { "infoframe", Commands::infoframe },
    { "reset", Commands::reset },
    { "list", Commands::list },
    { "watch", Commands::watch },
};

QString commandNames()
{
    QStringList names;
    for (const Command &c : kCommands)
        names << QLatin1String(c.name);
    return names.join(QLatin1Char(' ')) + QStringLiteral(" help");
}

void print(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

int help(const QStringList &words)
{
    if (words.isEmpty()) {
        print(Help::general());
        return ExitCode::Ok;
    }
    const QString text = Help::command(words.first());
    if (text.isEmpty() || words.size() > 1)
        return CliOutput::fail(ExitCode::Usage,
            QStringLiteral("help: no command \"%1\"; the "
                           "commands are: %2")
                .arg(words.join(QLatin1Char(' ')), commandNames()));
    print(text);
    return ExitCode::Ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvarinctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELVARIN_VERSION));

    // The global options come before the command; everything after it is the command's. Parsed
    // by hand, since the commands have options of their own (-o, --yes) that a parser of the
    // whole line would take for unknown ones.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    CliSession::Globals globals;
    int i = 0;
    for (; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (!a.startsWith(QLatin1Char('-')))
            break;
        // "--name VALUE" or "--name=VALUE"; nullptr-like empty optional when it is not `name`.
        const auto valueOf = [&](const char *name, QString *value) -> int {
            const QString option = QLatin1String(name);
            if (a.startsWith(option + QLatin1Char('='))) {
                *value = a.mid(option.size() + 1);
                return 1;
            }
            if (a != option)
                return 0;
            if (i + 1 >= arguments.size())
                return -1;
            *value = arguments.at(++i);
            return 1;
        };
        QString value;
        int got = 0;
        if (a == QLatin1String("--simulate")) {
            globals.link.simulate = true;
        } else if (a == QLatin1String("--json")) {
            globals.json = true;
        } else if (a == QLatin1String("--direct")) {
            globals.direct = true;
        } else if (a == QLatin1String("--trace")) {
            globals.link.trace = true;
            globals.link.traceTarget = QStringLiteral("-");
        } else if (a.startsWith(QLatin1String("--trace="))) {
            globals.link.trace = true;
            globals.link.traceTarget = a.mid(8);
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            return help({});
        } else if (a == QLatin1String("--version") || a == QLatin1String("-v")) {
            print(QStringLiteral("zelvarinctl %1\n").arg(QCoreApplication::applicationVersion()));
            return ExitCode::Ok;
        } else if ((got = valueOf("--serial", &value)) != 0) {
            if (got < 0)
                return CliOutput::fail(ExitCode::Usage, QStringLiteral("--serial needs SERIAL"));
            globals.serial = value.toLatin1();
        } else if ((got = valueOf("--usb-id", &value)) != 0) {
            if (got < 0)
                return CliOutput::fail(ExitCode::Usage, QStringLiteral("--usb-id needs VID:PID"));
            globals.link.usbIds << value;
        } else if ((got = valueOf("--usb-option", &value)) != 0) {
            if (got < 0)
                return CliOutput::fail(
                    ExitCode::Usage, QStringLiteral("--usb-option needs NAME=VALUE"));
            globals.link.usbOptions << value;
        } else {
            return CliOutput::fail(ExitCode::Usage,
                QStringLiteral("unknown option %1 (see 'zelvarinctl --help')").arg(a));
        }
    }
    if (i >= arguments.size())
        return CliOutput::fail(ExitCode::Usage,
            QStringLiteral("no command; the commands are: %1 "
                           "(see 'zelvarinctl --help')")
                .arg(commandNames()));
    const QString name = arguments.at(i);
    const QStringList rest = arguments.mid(i + 1);
    if (name == QLatin1String("help"))
        return help(rest);
    for (const Command &c : kCommands) {
        if (name != QLatin1String(c.name))
            continue;
        // A command's own --help explains it and touches nothing.
        if (rest.contains(QStringLiteral("--help")) || rest.contains(QStringLiteral("-h")))
            return help({ name });
        CommandArgs args(rest);
        CliSession session(globals);
        return c.run(session, args);
    }
    return CliOutput::fail(ExitCode::Usage,
        QStringLiteral("unknown command \"%1\"; the commands "
                       "are: %2")
            .arg(name, commandNames()));
}
