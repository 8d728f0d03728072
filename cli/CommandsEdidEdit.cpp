// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliFiles.h"
#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"
#include "edid/EdidEditParser.h"
#include "edid/EdidEditor.h"
#include "edid/EdidText.h"
#include "session/ExitCodes.h"

#include <QJsonArray>
#include <QJsonObject>

#include <optional>
#include <set>

// edid edit: a table changed by what it means, one option per edit, applied in order. It needs
// no box: the result goes to a file or standard output, and `edid write` uploads it.

namespace {

const QString kCommand = QStringLiteral("edid");
const QString kName = QStringLiteral("edid edit");

struct Request
{
    QString input;
    std::optional<QString> output;
    bool dryRun = false;
    QVector<EdidEdit> edits;
};

// The edits in the order given; "--opt VALUE" and "--opt=VALUE" both.
int parseRequest(CommandArgs &args, Request &r)
{
    bool missing = false;
    r.output = args.value(QStringLiteral("-o"), &missing);
    if (missing)
        return Commands::usage(kCommand, QStringLiteral("-o needs a FILE (- for standard output)"));
    r.dryRun = args.flag(QStringLiteral("--dry-run"));
    const QStringList words = args.positionals();
    QStringList positionals;
    for (int i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (word.size() < 2 || !word.startsWith(QLatin1Char('-'))) {
            positionals << word;
            continue;
        }
        const QString option = word.section(QLatin1Char('='), 0, 0);
        const bool inlineValue = word.contains(QLatin1Char('='));
        bool takesValue = false;
        if (!EdidEditParser::isEditOption(option, &takesValue))
            return Commands::usage(kCommand, QStringLiteral("edit has no option %1").arg(option));
        QString value;
        if (takesValue && inlineValue)
            value = word.section(QLatin1Char('='), 1);
        else if (takesValue && i + 1 < words.size())
            value = words[++i];
        else if (takesValue || inlineValue)
            return Commands::usage(kCommand,
                takesValue ? QStringLiteral("%1 needs a value").arg(option)
                           : QStringLiteral("%1 takes no value").arg(option));
        QString error;
        if (!EdidEditParser::parse(option, value, r.edits, &error))
            return Commands::usage(kCommand, error);
    }
    if (positionals.size() != 2)
        return Commands::usage(
            kCommand, QStringLiteral("expected 'edid edit FILE|- [-o OUT] [--dry-run] EDIT...'"));
    r.input = positionals.at(1);
    return ExitCode::Ok;
}

// The describer's lines of one block: its section and its checksum line.
QStringList blockLines(const QStringList &lines, int block)
{
    const QString heading = QStringLiteral("Block %1:").arg(block);
    const QString checksum = QStringLiteral("Block %1 checksum:").arg(block);
    QStringList out;
    bool inside = false;
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1Char(' ')))
            inside = line.startsWith(heading);
        if (inside || line.startsWith(checksum))
            out << line;
    }
    return out;
}

void printDryRun(const CliSession &session, const QByteArray &before, const QByteArray &after,
    const QStringList &changes, const std::set<int> &touched)
{
    const QStringList old = EdidDescriber::lines(EdidDecoder::decode(before));
    const QStringList now = EdidDescriber::lines(EdidDecoder::decode(after));
    if (session.json()) {
        QJsonArray blocks;
        for (int b : touched)
            blocks.append(QJsonObject { { QStringLiteral("block"), b },
                { QStringLiteral("before"), QJsonArray::fromStringList(blockLines(old, b)) },
                { QStringLiteral("after"), QJsonArray::fromStringList(blockLines(now, b)) } });
        CliOutput::json(
            QJsonObject { { QStringLiteral("edits"), QJsonArray::fromStringList(changes) },
                { QStringLiteral("blocks"), blocks } });
        return;
    }
    for (const QString &change : changes)
        CliOutput::line(change);
    for (int b : touched) {
        CliOutput::line(QStringLiteral("--- block %1 before").arg(b));
        for (const QString &line : blockLines(old, b))
            CliOutput::line(line);
        CliOutput::line(QStringLiteral("+++ block %1 after").arg(b));
        for (const QString &line : blockLines(now, b))
            CliOutput::line(line);
    }
    if (touched.empty())
        CliOutput::line(QStringLiteral("no block changes"));
}

int writeOutput(const std::optional<QString> &output, const QByteArray &table)
{
    const QString name = output.value_or(QStringLiteral("-"));
    if (name == QLatin1String("-")) {
        CliOutput::bytes(EdidText::canonical(table).toLatin1());
        return ExitCode::Ok;
    }
    return CliFiles::write(
        kName, name, CliFiles::isBinaryName(name) ? table : EdidText::canonical(table).toLatin1());
}

} // namespace

namespace Commands {

int edidEdit(CliSession &session, CommandArgs &args)
{
    Request r;
    if (const int bad = parseRequest(args, r))
        return bad;
    QByteArray table;
    if (const int bad = readEdid(kName, r.input, table))
        return bad;
    const QByteArray original = table;
    QStringList changes;
    std::set<int> touched;
    for (const EdidEdit &e : r.edits) {
        const QString text = EdidEditParser::optionText(e);
        const EdidEditResult result = EdidEditor::apply(table, e);
        // Nothing is written when one edit of the run is refused.
        if (!result.ok)
            return CliOutput::fail(ExitCode::BadData,
                QStringLiteral("%1: %2 refused: %3").arg(kName, text, result.message));
        QStringList blocks;
        for (int b : result.touchedBlocks) {
            touched.insert(b);
            blocks << QString::number(b);
        }
        changes << (blocks.isEmpty()
                ? QStringLiteral("%1: no change").arg(text)
                : QStringLiteral("%1: block %2").arg(text, blocks.join(QStringLiteral(", "))));
    }
    if (r.dryRun) {
        printDryRun(session, original, table, changes, touched);
        return ExitCode::Ok;
    }
    return writeOutput(r.output, table);
}

} // namespace Commands
