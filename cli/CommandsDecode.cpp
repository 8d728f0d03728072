// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliFiles.h"
#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"
#include "edid/EdidFile.h"
#include "edid/JsonWriter.h"
#include "packets/CecDecoder.h"
#include "packets/CecDescriber.h"
#include "packets/HexInput.h"
#include "packets/InfoFrameDecoder.h"
#include "packets/InfoFrameDescriber.h"
#include "protocol/Words.h"
#include "session/ExitCodes.h"

#include <climits>

// edid decode, infoframe decode, cec decode: the decoders of edid/ and packets/ on a file or typed
// hex. They never open a box, so they work with none plugged in and whatever --simulate says.

namespace {

// The largest table the decoder looks at is 256 blocks of 128 bytes; as hex text with a
// separator after every pair that is three times as much. Anything longer is not an EDID.
constexpr qint64 kInputLimit = 3 * 256 * 128 + 4096;

// Typed hex into bytes; an exit code for text that is not hex or holds no byte at all.
int parseHex(const QString &command, const QString &text, QByteArray &bytes)
{
    const HexInput::Result parsed = HexInput::parse(text);
    if (!parsed.ok)
        return CliOutput::fail(ExitCode::BadData,
            QStringLiteral("%1: \"%2\" is not hex bytes (such as 40:04 or \"40 04\"); "
                           "stopped at character %3")
                .arg(command, text)
                .arg(parsed.errorPosition + 1));
    if (parsed.bytes.isEmpty())
        return CliOutput::fail(
            ExitCode::BadData, QStringLiteral("%1: no bytes given").arg(command));
    bytes = parsed.bytes;
    return ExitCode::Ok;
}

// The hex of `cec decode` and `infoframe decode`: every word left, so that a copied "40 04"
// works unquoted as well, or standard input for a lone "-".
int hexArgument(const QString &command, const QStringList &words, QByteArray &bytes)
{
    QString text = words.join(QLatin1Char(' '));
    if (text == QLatin1String("-")) {
        QByteArray data;
        if (const int bad = CliFiles::read(command, text, CliFiles::HEX_INPUT_LIMIT,
                QStringLiteral("the hex of one message"), data))
            return bad;
        text = QString::fromLatin1(data).trimmed();
    }
    return parseHex(command, text, bytes);
}

void print(const CliSession &session, const QStringList &lines, const QJsonObject &json)
{
    if (session.json()) {
        CliOutput::json(json);
        return;
    }
    for (const QString &line : lines)
        CliOutput::line(line);
}

} // namespace

namespace Commands {

int readEdid(const QString &command, const QString &name, QByteArray &bytes)
{
    QByteArray data;
    if (const int bad
        = CliFiles::read(command, name, kInputLimit, QStringLiteral("any EDID table"), data))
        return bad;

    // Raw tables start with the header's 0x00, which no hex text does (EdidFile's rule, shared
    // with the window's Load). Hex text may come in any of the layouts HexInput reads.
    bytes = data;
    if (!data.isEmpty() && !EdidFile::isBinaryTable(data)) {
        const HexInput::Result parsed = HexInput::parse(QString::fromLatin1(data));
        if (!parsed.ok)
            return CliOutput::fail(ExitCode::BadData,
                QStringLiteral("%1: %2 is neither an EDID table nor its hex text "
                               "(not hex at character %3)")
                    .arg(command, name)
                    .arg(parsed.errorPosition + 1));
        bytes = parsed.bytes;
    }
    // A file without the header (a picture, a settings preset, zeros) would only make a page of
    // nonsense, so it is refused instead.
    if (!EdidFile::startsWithHeader(bytes))
        return CliOutput::fail(ExitCode::BadData,
            QStringLiteral("%1: %2 holds no EDID table (it does not start with the EDID header)")
                .arg(command, name));
    return ExitCode::Ok;
}

int edidDecode(CliSession &session, CommandArgs &args)
{
    const QString command = QStringLiteral("edid decode");
    if (const int bad = checkLeftovers(QStringLiteral("edid"), args, INT_MAX))
        return bad;
    const QStringList names = args.positionals().mid(1);
    if (names.isEmpty())
        return usage(QStringLiteral("edid"), QStringLiteral("expected 'edid decode FILE|-...'"));
    if (names.count(QStringLiteral("-")) > 1)
        return usage(
            QStringLiteral("edid"), QStringLiteral("standard input (-) can be read only once"));

    // One table is one answer, as it always was; several are a stream: a heading line before
    // each table's lines, or one JSON object per line.
    const bool several = names.size() > 1;
    int failed = 0;
    for (int i = 0; i < names.size(); ++i) {
        const QString &name = names.at(i);
        QByteArray bytes;
        if (readEdid(command, name, bytes) != ExitCode::Ok) {
            ++failed;
            continue;
        }
        const EdidDecoded decoded = EdidDecoder::decode(bytes);
        if (session.json()) {
            JsonWriter json(several ? JsonWriter::Compact : JsonWriter::Indented);
            json.beginObject();
            json.value("format_version", CliOutput::JSON_FORMAT_VERSION);
            json.value("file", name);
            EdidDescriber::writeJson(decoded, json);
            json.endObject();
            CliOutput::bytes(json.text() + '\n');
            continue;
        }
        if (several)
            CliOutput::line((i > 0 ? QStringLiteral("\n==> ") : QStringLiteral("==> ")) + name
                + QStringLiteral(" <=="));
        for (const QString &line : EdidDescriber::lines(decoded))
            CliOutput::line(line);
    }
    if (failed && several)
        CliOutput::warn(QStringLiteral("%1: %2 of %3 files could not be decoded")
                            .arg(command)
                            .arg(failed)
                            .arg(names.size()));
    return failed ? ExitCode::BadData : ExitCode::Ok;
}

int infoframeDecode(CliSession &session, CommandArgs &args)
{
    const QString command = QStringLiteral("infoframe decode");
    bool missing = false;
    const std::optional<QString> type = args.value(QStringLiteral("--type"), &missing);
    if (missing)
        return usage(QStringLiteral("infoframe"), QStringLiteral("--type needs hdr or avi"));
    if (const int bad = checkLeftovers(QStringLiteral("infoframe"), args, INT_MAX))
        return bad;
    const std::optional<InfoFrameKind> kind = type ? Words::infoFrameKind(*type) : std::nullopt;
    if (type && !kind)
        return usage(QStringLiteral("infoframe"),
            QStringLiteral("--type is hdr or avi, not \"%1\"").arg(*type));
    if (args.positionals().size() < 2)
        return usage(QStringLiteral("infoframe"),
            QStringLiteral("expected 'infoframe decode [--type hdr|avi] HEX'"));
    QByteArray bytes;
    if (const int bad = hexArgument(command, args.positionals().mid(1), bytes))
        return bad;

    // Without --type the decoder tells a header from a payload by the first byte; with it, the
    // window's rule for its InfoFrame text boxes.
    const InfoFrameDecoded::Type as = !kind ? InfoFrameDecoded::Unknown
        : *kind == InfoFrameKind::Hdr       ? InfoFrameDecoded::Hdr
                                            : InfoFrameDecoded::Avi;
    const InfoFrameDecoded decoded = InfoFrameDecoder::decodeAs(as, bytes);
    print(session, InfoFrameDescriber::lines(decoded), InfoFrameDescriber::json(decoded));
    return ExitCode::Ok;
}

int cecDecode(CliSession &session, CommandArgs &args)
{
    if (const int bad = checkLeftovers(QStringLiteral("cec"), args, INT_MAX))
        return bad;
    if (args.positionals().size() < 2)
        return usage(QStringLiteral("cec"), QStringLiteral("expected 'cec decode HEX'"));
    QByteArray bytes;
    if (const int bad = hexArgument(QStringLiteral("cec decode"), args.positionals().mid(1), bytes))
        return bad;
    const CecDecoded decoded = CecDecoder::decode(bytes);
    print(session, CecDescriber::lines(decoded), CecDescriber::json(decoded));
    return ExitCode::Ok;
}

} // namespace Commands
