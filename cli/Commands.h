// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

class CliSession;
class CommandArgs;
class SettingsPreset;

// The commands of zelvarinctl. Each checks all of its arguments before it connects, so nothing
// reaches the box from a command line that has a mistake in it, and returns an exit code
// (ExitCodes.h) after reporting any failure on standard error.
namespace Commands {

int list(CliSession &session, CommandArgs &args); // CommandsList.cpp
int status(CliSession &session, CommandArgs &args); // CommandsSettings.cpp
int get(CliSession &session, CommandArgs &args);
int set(CliSession &session, CommandArgs &args);
int settings(CliSession &session, CommandArgs &args); // CommandsPresets.cpp
int watch(CliSession &session, CommandArgs &args); // CommandsWatch.cpp
int edid(CliSession &session, CommandArgs &args); // CommandsEdid.cpp
int cec(CliSession &session, CommandArgs &args); // CommandsPackets.cpp
int infoframe(CliSession &session, CommandArgs &args);
int reset(CliSession &session, CommandArgs &args);
// The decode subcommands of edid, infoframe and cec (CommandsDecode.cpp); they need no box.
int edidDecode(CliSession &session, CommandArgs &args);
int infoframeDecode(CliSession &session, CommandArgs &args);
int cecDecode(CliSession &session, CommandArgs &args);
// edid edit (CommandsEdidEdit.cpp): a table changed by what it means; needs no box.
int edidEdit(CliSession &session, CommandArgs &args);
// An EDID table from FILE or standard input ("-"), raw or hex text in any common layout, that
// starts with the EDID header; an exit code (with the message given) when it is none.
int readEdid(const QString &command, const QString &name, QByteArray &bytes);

// A preset file read and checked whole (CommandsPresets.cpp); an exit code, reported.
int readPreset(const QString &fileName, SettingsPreset &preset);

// "zelvarinctl: <command>: <message> (see 'zelvarinctl help <command>')"; returns ExitCode::Usage.
int usage(const QString &command, const QString &message);
// Usage error for a left-over option, or for more positionals than `maxPositionals`; Ok when
// neither.
int checkLeftovers(const QString &command, const CommandArgs &args, int maxPositionals);

} // namespace Commands
