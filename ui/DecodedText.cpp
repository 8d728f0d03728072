// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/DecodedText.h"

#include "box/SignalInfo.h"
#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"
#include "edid/EdidFile.h"
#include "edid/HexText.h"
#include "packets/CecDecoder.h"
#include "packets/CecDescriber.h"
#include "packets/HexInput.h"
#include "packets/InfoFrameDecoder.h"
#include "packets/InfoFrameDescriber.h"

#include <algorithm>
#include <iterator>

namespace {

// The bytes of `text`, or the sentence that says why there are none: `what` names the thing the
// bytes were meant to be ("Not an EDID table: ...").
bool bytesOf(const QString &text, const QString &what, QByteArray &bytes, QString &why)
{
    if (text.trimmed().isEmpty()) {
        why = QStringLiteral("Nothing to decode: the text is empty.");
        return false;
    }
    const HexInput::Result r = HexInput::parse(text);
    if (!r.ok) {
        // Positions count from 1, as a person counts characters.
        const int at = r.errorPosition;
        const QString shown = at >= 0 && at < text.size()
            ? QStringLiteral(" ('%1')").arg(text.at(at))
            : QStringLiteral(" (the end)");
        why = QStringLiteral("Not %1: the hex bytes stop making sense at character %2%3.")
                  .arg(what)
                  .arg(at + 1)
                  .arg(shown);
        return false;
    }
    bytes = r.bytes;
    return true;
}

QStringList infoFrame(const QString &text, InfoFrameDecoded::Type kind)
{
    QByteArray bytes;
    QString why;
    if (!bytesOf(text, QStringLiteral("an InfoFrame"), bytes, why))
        return { why };
    return InfoFrameDescriber::lines(InfoFrameDecoder::decodeAs(kind, bytes));
}

// The heading and the first field: "AVI InfoFrame, payload of 13 bytes; Colour format: RGB".
QString firstLines(const QString &text, const QStringList &lines)
{
    if (text.trimmed().isEmpty() || lines.isEmpty())
        return {};
    if (lines.size() < 2 || lines.at(1).startsWith(QLatin1String("Warning")))
        return lines.first();
    return lines.first() + QStringLiteral("; ") + lines.at(1).trimmed();
}

} // namespace

namespace DecodedText {

QStringList edid(const QString &text)
{
    QByteArray bytes;
    QString why;
    if (!bytesOf(text, QStringLiteral("an EDID table"), bytes, why))
        return { why };
    if (!EdidFile::startsWithHeader(bytes))
        return { QStringLiteral(
            "Not an EDID table: it does not start with the header 00 FF FF FF FF FF FF 00.") };
    return EdidDescriber::lines(EdidDecoder::decode(bytes));
}

QStringList hdrInfoFrame(const QString &text)
{
    return infoFrame(text, InfoFrameDecoded::Hdr);
}

QStringList aviInfoFrame(const QString &text)
{
    return infoFrame(text, InfoFrameDecoded::Avi);
}

QStringList cec(const QString &text)
{
    QByteArray bytes;
    QString why;
    if (!bytesOf(text, QStringLiteral("a CEC message"), bytes, why))
        return { why };
    return CecDescriber::lines(CecDecoder::decode(bytes));
}

QStringList captured(const SignalInfo *signal)
{
    if (!signal)
        return { QStringLiteral("No signal read from the box yet.") };
    if (signal->hdrType != 0 && signal->hdrType != 0x87)
        return { QStringLiteral("The box captured an InfoFrame of type %1, not an HDR InfoFrame.")
                     .arg(HexText::byte(signal->hdrType)) };
    if (!signal->hasHdrInfoFrame())
        return { QStringLiteral("The source sends no HDR InfoFrame.") };
    // The box reports it as type, length and data bytes: the decoder's captured form.
    QByteArray bytes;
    bytes.append(char(signal->hdrType));
    bytes.append(char(signal->hdrInfoFrame.size()));
    bytes.append(signal->hdrInfoFrame);
    return InfoFrameDescriber::lines(
        InfoFrameDecoder::decode(bytes, InfoFrameDecoder::Hint::WithHeader));
}

QString cecLine(const QString &text)
{
    return text.trimmed().isEmpty() ? QString() : cec(text).first();
}

QString hdrInfoFrameLine(const QString &text)
{
    return firstLines(text, hdrInfoFrame(text));
}

QString aviInfoFrameLine(const QString &text)
{
    return firstLines(text, aviInfoFrame(text));
}

} // namespace DecodedText
