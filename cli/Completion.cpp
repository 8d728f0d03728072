// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/Completion.h"

#include "cli/CliOutput.h"
#include "cli/CommandTable.h"
#include "protocol/SettingsTable.h"
#include "protocol/Words.h"
#include "session/ExitCodes.h"

namespace Completion {

namespace {

using CommandTable::Word;

// How far the words before the cursor got: the command, its form, the positionals seen and an
// option still waiting for its value.
struct Position
{
    const CommandTable::Command *command = nullptr;
    const CommandTable::Form *form = nullptr;
    int positionals = 0; // after the subcommand
    Word pendingValue = Word::None;
    QStringList firstWords; // the positionals themselves (help's command word)
    bool lost = false; // an unknown command or subcommand: nothing follows it
};

const CommandTable::Option *formOption(const CommandTable::Form *form, const QString &name)
{
    if (!form)
        return nullptr;
    for (const CommandTable::Option &o : form->options) {
        if (name == QLatin1String(o.name))
            return &o;
    }
    return nullptr;
}

Position walk(const QStringList &before)
{
    Position p;
    for (const QString &w : before) {
        if (p.pendingValue != Word::None) {
            p.pendingValue = Word::None;
            continue;
        }
        const CommandTable::Option *option = CommandTable::globalOption(w);
        if (!option)
            option = formOption(p.form, w);
        if (option) {
            p.pendingValue = option->value;
            continue;
        }
        if (w.startsWith(QLatin1Char('-')) && w != QLatin1String("-"))
            continue; // --name=value, or an option of no form: it takes nothing after it
        if (!p.command) {
            p.command = CommandTable::find(w);
            p.lost = !p.command;
            if (p.lost)
                return p;
            if (CommandTable::subcommands(*p.command).isEmpty())
                p.form = &p.command->forms.first();
            continue;
        }
        if (!p.form) {
            for (const CommandTable::Form &f : p.command->forms) {
                if (f.subcommand && w == QLatin1String(f.subcommand))
                    p.form = &f;
            }
            p.lost = !p.form;
            if (p.lost)
                return p;
            continue;
        }
        p.firstWords << w;
        ++p.positionals;
    }
    return p;
}

Word positionalKind(const CommandTable::Form &form, int index)
{
    if (index == 0)
        return form.first;
    if (index == 1 && form.second != Word::None)
        return form.second;
    if (!form.repeats)
        return Word::None;
    return form.second != Word::None ? form.second : form.first;
}

QStringList split(const QString &words)
{
    return words.split(QLatin1Char('|'));
}

QStringList valuesOf(Word kind, const QString &typed, const Position &p)
{
    QStringList out;
    switch (kind) {
    case Word::File:
        out << QLatin1String(FILES);
        break;
    case Word::Setting:
        for (const Settings::Setting &s : Settings::all())
            out << QLatin1String(s.name);
        break;
    case Word::Assignment: {
        const int eq = int(typed.indexOf(QLatin1Char('=')));
        const Settings::Setting *s = eq > 0 ? Settings::find(typed.left(eq)) : nullptr;
        if (s) {
            for (const QString &value : split(Settings::valueNames(*s)))
                out << QLatin1String(s->name) + QLatin1Char('=') + value;
        } else {
            for (const Settings::Setting &each : Settings::all())
                out << QLatin1String(each.name) + QLatin1Char('=');
        }
        break;
    }
    case Word::EdidSource:
        out = split(Words::edidSourceWords());
        break;
    case Word::ResetTarget:
        out = split(Words::resetWords());
        break;
    case Word::StoreSlot:
        out = split(Words::cecStoreSlotWords());
        break;
    case Word::InfoFrameKind:
        out = split(Words::infoFrameKindWords());
        break;
    case Word::Command:
        for (const CommandTable::Command &c : CommandTable::commands())
            out << QLatin1String(c.name);
        break;
    case Word::Subcommand:
        if (const CommandTable::Command *c = CommandTable::find(p.firstWords.value(0)))
            out = CommandTable::subcommands(*c);
        break;
    case Word::None:
    case Word::Text:
    case Word::Hex:
        break;
    }
    return out;
}

} // namespace

QStringList candidates(const QStringList &words)
{
    const QString typed = words.isEmpty() ? QString() : words.last();
    const Position p = walk(words.mid(0, words.size() - 1));

    QStringList all;
    if (p.lost) {
        // Nothing to offer after a word that is no command.
    } else if (p.pendingValue != Word::None) {
        all = valuesOf(p.pendingValue, typed, p);
    } else if (typed.startsWith(QLatin1Char('-'))) {
        for (const CommandTable::Option &o : CommandTable::globalOptions())
            all << QLatin1String(o.name);
        if (p.form) {
            for (const CommandTable::Option &o : p.form->options)
                all << QLatin1String(o.name);
        }
    } else if (!p.command) {
        all = valuesOf(Word::Command, typed, p);
    } else if (!p.form) {
        all = CommandTable::subcommands(*p.command);
    } else {
        all = valuesOf(positionalKind(*p.form, p.positionals), typed, p);
    }

    QStringList out;
    for (const QString &c : all) {
        if (c == QLatin1String(FILES) || c.startsWith(typed))
            out << c;
    }
    return out;
}

int print(const QStringList &words)
{
    for (const QString &c : candidates(words))
        CliOutput::line(c);
    return ExitCode::Ok;
}

} // namespace Completion
