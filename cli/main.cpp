// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zelvarinctl: the box's commands for scripts and terminals, on the same core as the window.
// QtCore only, so it runs where there is no display.
#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/CommandTable.h"
#include "cli/Completion.h"
#include "cli/Help.h"
#include "cli/Interruption.h"
#include "session/ExitCodes.h"
#include "session/LinkSetup.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

int help(const QStringList &words)
{
    if (words.isEmpty()) {
        CliOutput::text(Help::general());
        return ExitCode::Ok;
    }
    // "help COMMAND" or "help COMMAND SUBCOMMAND", as "COMMAND SUBCOMMAND --help" would say.
    const CommandTable::Command *command = CommandTable::find(words.first());
    const bool known = command
        && (words.size() == 1
            || (words.size() == 2 && CommandTable::subcommands(*command).contains(words.at(1))));
    if (!known)
        return CliOutput::fail(ExitCode::Usage,
            QStringLiteral("help: no command \"%1\"; the commands are: %2")
                .arg(words.join(QLatin1Char(' ')), CommandTable::names()));
    CliOutput::text(Help::command(words.first()));
    return ExitCode::Ok;
}

// The global options may stand before or after the command (`zelvarinctl status --json`, as
// systemctl takes them); the command gets every other word, in order. Parsed by hand, since the
// commands have options of their own (-o, --yes) that a parser of the whole line would refuse.
int run(const QStringList &arguments)
{
    if (arguments.value(0) == QLatin1String(Completion::COMMAND))
        return Completion::print(arguments.mid(1));

    CliSession::Globals globals;
    QString name;
    QStringList rest;
    bool wantHelp = false;
    bool wantVersion = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        const int eq = int(a.indexOf(QLatin1Char('=')));
        const QString optionName = a.startsWith(QLatin1String("--")) && eq > 0 ? a.left(eq) : a;
        const CommandTable::Option *option = CommandTable::globalOption(optionName);
        if (a == QLatin1String("-h"))
            option = CommandTable::globalOption(QStringLiteral("--help"));
        else if (a == QLatin1String("-v"))
            option = CommandTable::globalOption(QStringLiteral("--version"));
        if (!option) {
            if (!name.isEmpty())
                rest << a;
            else if (a.startsWith(QLatin1Char('-')))
                return CliOutput::fail(ExitCode::Usage,
                    QStringLiteral("unknown option %1 (see 'zelvarinctl --help')").arg(a));
            else
                name = a;
            continue;
        }
        const QString optionText = QLatin1String(option->name);
        if (option->value == CommandTable::Word::None) {
            if (optionText == QLatin1String("--trace")) {
                globals.link.trace = true;
                globals.link.traceTarget = eq > 0 ? a.mid(eq + 1) : QStringLiteral("-");
                continue;
            }
            if (optionText == QLatin1String("--simulate")) {
                globals.link.simulate = true;
                if (eq > 0)
                    globals.simulatedPreset = a.mid(eq + 1);
                continue;
            }
            if (eq > 0)
                return CliOutput::fail(
                    ExitCode::Usage, QStringLiteral("%1 takes no value").arg(optionText));
            if (optionText == QLatin1String("--json"))
                globals.json = true;
            else if (optionText == QLatin1String("--direct"))
                globals.direct = true;
            else if (optionText == QLatin1String("--help"))
                wantHelp = true;
            else
                wantVersion = true;
            continue;
        }
        // "--name VALUE" or "--name=VALUE".
        QString value;
        if (eq > 0) {
            value = a.mid(eq + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments.at(++i);
        } else {
            const char *what = optionText == QLatin1String("--serial") ? "SERIAL"
                : optionText == QLatin1String("--usb-id")              ? "VID:PID"
                                                                       : "NAME=VALUE";
            return CliOutput::fail(ExitCode::Usage,
                QStringLiteral("%1 needs %2").arg(optionText, QLatin1String(what)));
        }
        if (optionText == QLatin1String("--serial"))
            globals.serial = value.toLatin1();
        else if (optionText == QLatin1String("--usb-id"))
            globals.link.usbIds << value;
        else
            globals.link.usbOptions << value;
    }

    if (wantVersion) {
        CliOutput::line(
            QStringLiteral("zelvarinctl %1").arg(QCoreApplication::applicationVersion()));
        return ExitCode::Ok;
    }
    if (name == QLatin1String("help"))
        return help(rest);
    if (wantHelp)
        return help(name.isEmpty() ? QStringList() : QStringList { name });
    // Checked whatever the command: a mistake in them is one even where no box is opened.
    if (QString error; !LinkSetup::checkUsbValues(globals.link, &error))
        return CliOutput::fail(ExitCode::Usage, error);
    if (name.isEmpty())
        return CliOutput::fail(ExitCode::Usage,
            QStringLiteral("no command; the commands are: %1 (see 'zelvarinctl --help')")
                .arg(CommandTable::names()));
    const CommandTable::Command *command = CommandTable::find(name);
    if (!command)
        return CliOutput::fail(ExitCode::Usage,
            QStringLiteral("unknown command \"%1\"; the commands are: %2")
                .arg(name, CommandTable::names()));
    CommandArgs args(rest);
    CliSession session(globals);
    return command->run(session, args);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvarinctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELVARIN_VERSION));

    // Every write to standard output is checked here at the end: a result that did not reach its
    // file or pipe is a failure, whatever the command thought.
    const int exitCode = CliOutput::finish(run(QCoreApplication::arguments().mid(1)));
    // A command cut short by Ctrl+C or SIGTERM has stopped cleanly (the box closed, the trace
    // complete); the process now ends the way the signal would have ended it.
    Interruption::endByPendingSignal();
    return exitCode;
}
