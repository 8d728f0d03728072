// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliFiles.h"
#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "cli/Interruption.h"
#include "cli/ProgressLine.h"
#include "edid/EdidChecksum.h"
#include "edid/EdidFile.h"
#include "edid/EdidText.h"
#include "edid/HexText.h"
#include "protocol/EdidTransfer.h"
#include "protocol/SettingsTable.h"
#include "protocol/Words.h"
#include "session/ExitCodes.h"

#include <QJsonArray>
#include <QJsonObject>

// edid read / write / check / fix (decode: CommandsDecode.cpp, edit: CommandsEdidEdit.cpp): the
// EDID tab's transfers and its
// file and checksum buttons.

namespace {

const QString kCommand = QStringLiteral("edid");

// A table file as the window's Load button reads it: raw bytes, or hex text in either layout.
// The window looks at a file's first READ_LIMIT bytes only; here a longer file is refused, since
// what follows them would be dropped without a word.
// `size` is set to the number of bytes the file holds, of which `table` takes the first 256.
int readTable(
    const QString &fileName, EdidImage &table, bool *binary = nullptr, int *size = nullptr)
{
    QByteArray data;
    if (const int bad = CliFiles::read(
            QString(), fileName, EdidFile::READ_LIMIT, QStringLiteral("an EDID table file"), data))
        return bad;
    // An empty file would pass for a table of zeros with good checksums.
    if (data.isEmpty())
        return CliOutput::fail(ExitCode::BadData, QStringLiteral("%1 is empty").arg(fileName));
    // The same test the window's Load makes: a picture or random bytes are no table.
    if (!EdidFile::holdsEdid(data))
        return CliOutput::fail(ExitCode::BadData,
            QStringLiteral("%1 is neither an EDID table nor its hex text").arg(fileName));
    const bool isBinary = EdidFile::isBinaryTable(data);
    if (binary)
        *binary = isBinary;
    if (isBinary) {
        table = EdidFile::tableFromBinary(data);
        if (size)
            *size = int(data.size());
        return ExitCode::Ok;
    }
    const int pairs = EdidText::parseLatin1(EdidFile::hexTextFromFile(data).toUpper(), table);
    if (size)
        *size = pairs;
    if (pairs <= 0)
        return CliOutput::fail(ExitCode::BadData,
            QStringLiteral("%1 is neither an EDID table nor its hex text").arg(fileName));
    return ExitCode::Ok;
}

int writeTable(const QString &fileName, const EdidImage &table, bool binary)
{
    const QByteArray data = binary
        ? QByteArray(reinterpret_cast<const char *>(table.data()), EDID_SIZE)
        : EdidText::canonical(table).toLatin1();
    return CliFiles::write(QString(), fileName, data);
}

QString hex2(quint8 byte)
{
    return HexText::number(byte, 2, HexText::Case::Upper);
}

struct Checksums
{
    quint8 stored[2];
    quint8 computed[2];
    bool ok() const { return stored[0] == computed[0] && stored[1] == computed[1]; }
};

Checksums checksums(const EdidImage &table)
{
    return { { table[127], table[255] },
        { edidChecksum(table.data()), edidChecksum(table.data() + EDID_BLOCK_SIZE) } };
}

void report(const CliSession &session, const QString &fileName, const Checksums &c)
{
    if (session.json()) {
        QJsonArray blocks;
        for (int b = 0; b < 2; ++b) {
            blocks.append(QJsonObject { { QStringLiteral("block"), b },
                { QStringLiteral("stored"), c.stored[b] },
                { QStringLiteral("computed"), c.computed[b] },
                { QStringLiteral("ok"), c.stored[b] == c.computed[b] } });
        }
        CliOutput::json(QJsonObject { { QStringLiteral("file"), fileName },
            { QStringLiteral("blocks"), blocks }, { QStringLiteral("ok"), c.ok() } });
        return;
    }
    for (int b = 0; b < 2; ++b) {
        CliOutput::line(c.stored[b] == c.computed[b]
                ? QStringLiteral("block %1: checksum %2 correct").arg(b).arg(hex2(c.stored[b]))
                : QStringLiteral("block %1: checksum %2 not correct, should be %3")
                      .arg(b)
                      .arg(hex2(c.stored[b]), hex2(c.computed[b])));
    }
}

int read(CliSession &session, CommandArgs &args)
{
    bool missing = false;
    const std::optional<QString> output = args.value(QStringLiteral("-o"), &missing);
    if (missing)
        return Commands::usage(kCommand, QStringLiteral("-o needs a FILE"));
    if (const int bad = Commands::checkLeftovers(kCommand, args, 2))
        return bad;
    const QString sourceName = args.positionals().value(1, QStringLiteral("box"));
    const std::optional<EdidSource> source = Words::edidSource(sourceName);
    if (!source)
        return Commands::usage(
            kCommand, QStringLiteral("read box, tv-a or tv-b, not \"%1\"").arg(sourceName));
    if (const int failed = session.connect())
        return failed;

    ProgressLine progress(QStringLiteral("reading EDID"));
    BoxClient::EdidReadEvents events;
    events.progress = [&progress](int done, int total) { progress.update(done, total); };
    EdidImage table {};
    const BoxClient::EdidReadResult r = session.box().readEdid(*source, table, events);
    if (r.ok())
        progress.update(EDID_SIZE - 1, EDID_SIZE - 1); // the count ends on the last offset
    progress.finish();
    if (!r.ok())
        return CliSession::boxFailure(
            QStringLiteral("reading the EDID (chunk %1)").arg(r.failedChunk), r.result);
    if (r.stayedBusy)
        CliOutput::warn(QStringLiteral("the box stayed busy; the table was read all the same"));
    if (output)
        return writeTable(*output, table, CliFiles::isBinaryName(*output));
    CliOutput::bytes(EdidText::canonical(table).toLatin1());
    return ExitCode::Ok;
}

int write(CliSession &session, CommandArgs &args)
{
    const bool fix = args.flag(QStringLiteral("--fix-checksums"));
    if (const int bad = Commands::checkLeftovers(kCommand, args, 2))
        return bad;
    if (args.positionals().size() != 2)
        return Commands::usage(kCommand, QStringLiteral("expected 'edid write FILE'"));
    const QString fileName = args.positionals().at(1);
    EdidImage table {};
    int size = 0;
    if (const int bad = readTable(fileName, table, nullptr, &size))
        return bad;
    // A longer table (edid edit takes any number of blocks) would reach the box cut short, its
    // block count naming blocks that are not there.
    if (size > EDID_SIZE)
        return CliOutput::fail(ExitCode::BadData,
            QStringLiteral("%1 holds %2 bytes, and the box's EDID is %3 (the base block and one "
                           "extension)")
                .arg(fileName)
                .arg(size)
                .arg(EDID_SIZE));
    const Checksums c = checksums(table);
    if (!c.ok()) {
        if (!fix)
            return CliOutput::fail(ExitCode::BadData,
                QStringLiteral("%1: the EDID checksum is not correct; "
                               "'edid fix' corrects it, --fix-checksums "
                               "uploads it corrected")
                    .arg(fileName));
        table[127] = c.computed[0];
        table[255] = c.computed[1];
    }
    // The window uploads only in custom EDID mode: in the other modes the box builds its own.
    RegisterImage image {};
    if (const int failed = session.connectAndReadSettings(image))
        return failed;
    if (image[Settings::setting(Settings::Id::EdidMode).position] != Settings::EDID_MODE_CUSTOM
        || image[Settings::setting(Settings::Id::CustomEdid).position] != 0)
        return CliOutput::fail(ExitCode::BoxFailed,
            QStringLiteral("the box is not in custom EDID mode; run "
                           "'zelvarinctl set edid-mode=custom "
                           "custom-edid=custom' first"));

    // Ctrl+C or SIGTERM stops the upload between two chunks, or before the commit: the box then
    // keeps the table it had, never a half-sent one. A second Ctrl+C ends the program at once,
    // which leaves the box the same way, since only the commit makes a table the box's.
    const Interruption interruption(Interruption::Mode::Abort);
    ProgressLine progress(QStringLiteral("writing EDID"));
    const BoxClient::EdidWriteResult w = session.box().writeEdid(
        table, [&progress](int done, int total) { progress.update(done, total); },
        [&interruption] { return interruption.requested(); });
    if (w.committed())
        progress.update(EdidTransfer::WRITE_CHUNKS, EdidTransfer::WRITE_CHUNKS);
    progress.finish();
    if (w.stopped)
        return CliOutput::fail(ExitCode::BoxFailed,
            QStringLiteral("interrupted after %1 of %2 chunks; nothing was committed, the box "
                           "keeps its table")
                .arg(w.failedChunk)
                .arg(EdidTransfer::WRITE_CHUNKS));
    if (w.failedChunk >= 0)
        return CliSession::boxFailure(
            QStringLiteral("writing the EDID (chunk %1; the box keeps its table)")
                .arg(w.failedChunk),
            w.result);
    if (!w.result.ok())
        return CliSession::boxFailure(QStringLiteral("committing the EDID"), w.result);
    return ExitCode::Ok;
}

int check(CliSession &session, CommandArgs &args, bool fix)
{
    bool missing = false;
    const std::optional<QString> output
        = fix ? args.value(QStringLiteral("-o"), &missing) : std::nullopt;
    if (missing)
        return Commands::usage(kCommand, QStringLiteral("-o needs a FILE"));
    if (const int bad = Commands::checkLeftovers(kCommand, args, 2))
        return bad;
    if (args.positionals().size() != 2)
        return Commands::usage(kCommand,
            fix ? QStringLiteral("expected 'edid fix FILE [-o OUT]'")
                : QStringLiteral("expected 'edid check FILE'"));
    const QString fileName = args.positionals().at(1);
    EdidImage table {};
    bool binary = false;
    if (const int bad = readTable(fileName, table, &binary))
        return bad;
    const Checksums c = checksums(table);
    report(session, fileName, c);
    if (!fix)
        return c.ok() ? ExitCode::Ok : ExitCode::BadData;
    table[127] = c.computed[0];
    table[255] = c.computed[1];
    if (output)
        return writeTable(*output, table, CliFiles::isBinaryName(*output));
    // In place, in the form it came in.
    return writeTable(fileName, table, binary);
}

} // namespace

namespace Commands {

int edid(CliSession &session, CommandArgs &args)
{
    const QString sub = args.positionals().value(0);
    if (sub == QLatin1String("read"))
        return read(session, args);
    if (sub == QLatin1String("write"))
        return write(session, args);
    if (sub == QLatin1String("check"))
        return check(session, args, false);
    if (sub == QLatin1String("fix"))
        return check(session, args, true);
    if (sub == QLatin1String("decode"))
        return edidDecode(session, args);
    if (sub == QLatin1String("edit"))
        return edidEdit(session, args);
    return usage(kCommand, QStringLiteral("expected read, write, check, fix, decode or edit"));
}

} // namespace Commands
