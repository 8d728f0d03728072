// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CliSession;
class CommandArgs;

// zelvarinctl's command line in one table: the global options, the commands with the function
// that runs each, and the forms each command takes (subcommand, options, what its words are).
// The parser of the global options, `help COMMAND SUBCOMMAND` and the shell completion all read
// it, so a command or option added here is known to all three.
namespace CommandTable {

// What a word of the command line is, for completing it.
enum class Word {
    None,
    Text, // typed by the user: nothing to offer
    File,
    Setting, // a setting's name
    Assignment, // NAME=VALUE of a setting
    EdidSource,
    ResetTarget,
    StoreSlot,
    InfoFrameKind,
    Hex,
    Command, // help's first word
    Subcommand, // help's second word
};

struct Option
{
    const char *name;
    Word value; // None: a flag; otherwise it takes the next word (or NAME=VALUE)
};

// One way to use a command: `subcommand` (nullptr when the command has none) followed by up to two
// kinds of word, the last of which may repeat, and the options this form takes.
struct Form
{
    const char *subcommand;
    Word first;
    Word second;
    bool repeats;
    QList<Option> options;
};

using Run = int (*)(CliSession &, CommandArgs &);

struct Command
{
    const char *name;
    Run run; // nullptr for help, which main answers itself
    QList<Form> forms;
};

// The options that may stand before or after the command. --trace takes its file only as
// --trace=FILE, since a bare --trace means standard error.
const QList<Option> &globalOptions();
const Option *globalOption(const QString &name);

const QList<Command> &commands();
const Command *find(const QString &name);
// "status get set ... help", for the messages that list them.
QString names();
// The subcommands of `command`, in table order; empty for a command without.
QStringList subcommands(const Command &command);

} // namespace CommandTable
