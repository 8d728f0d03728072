// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CommandTable.h"

#include "cli/Commands.h"

namespace CommandTable {

const QList<Option> &globalOptions()
{
    static const QList<Option> options {
        { "--simulate", Word::None },
        { "--json", Word::None },
        { "--direct", Word::None },
        { "--trace", Word::None },
        { "--serial", Word::Text },
        { "--usb-id", Word::Text },
        { "--usb-option", Word::Text },
        { "--help", Word::None },
        { "--version", Word::None },
    };
    return options;
}

const Option *globalOption(const QString &name)
{
    for (const Option &o : globalOptions()) {
        if (name == QLatin1String(o.name))
            return &o;
    }
    return nullptr;
}

const QList<Command> &commands()
{
    static const QList<Command> table {
        { "status", Commands::status, { { nullptr, Word::None, Word::None, false, {} } } },
        { "get", Commands::get, { { nullptr, Word::Setting, Word::None, true, {} } } },
        { "set", Commands::set, { { nullptr, Word::Assignment, Word::None, true, {} } } },
        { "settings", Commands::settings,
            {
                { "save", Word::File, Word::None, false, {} },
                { "load", Word::File, Word::None, false, {} },
            } },
        { "edid", Commands::edid,
            {
                { "read", Word::EdidSource, Word::None, false, { { "-o", Word::File } } },
                { "write", Word::File, Word::None, false, { { "--fix-checksums", Word::None } } },
                { "check", Word::File, Word::None, false, {} },
                { "fix", Word::File, Word::None, false, { { "-o", Word::File } } },
                { "decode", Word::File, Word::None, false, {} },
            } },
        { "cec", Commands::cec,
            {
                { "send", Word::Hex, Word::None, false, {} },
                { "store", Word::StoreSlot, Word::Hex, false, {} },
                { "decode", Word::Hex, Word::None, true, {} },
            } },
        { "infoframe", Commands::infoframe,
            {
                { "hdr", Word::Hex, Word::None, false, { { "--activate", Word::None } } },
                { "avi", Word::Hex, Word::None, false, { { "--replace", Word::None } } },
                { "decode", Word::Hex, Word::None, true, { { "--type", Word::InfoFrameKind } } },
            } },
        { "reset", Commands::reset,
            { { nullptr, Word::ResetTarget, Word::None, false, { { "--yes", Word::None } } } } },
        { "list", Commands::list, { { nullptr, Word::None, Word::None, false, {} } } },
        { "watch", Commands::watch,
            { { nullptr, Word::None, Word::None, false, { { "--interval", Word::Text } } } } },
        { "help", nullptr, { { nullptr, Word::Command, Word::Subcommand, false, {} } } },
    };
    return table;
}

const Command *find(const QString &name)
{
    for (const Command &c : commands()) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

QString names()
{
    QStringList all;
    for (const Command &c : commands())
        all << QLatin1String(c.name);
    return all.join(QLatin1Char(' '));
}

QStringList subcommands(const Command &command)
{
    QStringList out;
    for (const Form &f : command.forms) {
        if (f.subcommand)
            out << QLatin1String(f.subcommand);
    }
    return out;
}

} // namespace CommandTable
