// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "packets/CecDescriber.h"

#include "edid/DecodeWarningText.h"
#include "edid/HexText.h"
#include "packets/CecNames.h"

#include <QJsonArray>

namespace {

QString address(quint16 a)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(a >> 12)
        .arg(a >> 8 & 0xF)
        .arg(a >> 4 & 0xF)
        .arg(a & 0xF);
}

QString printable(const QByteArray &text)
{
    QString s;
    for (char c : text)
        s += (c >= 0x20 && c < 0x7F) ? QChar(QLatin1Char(c)) : QChar(u'?');
    return s;
}

// The operands in words, for the opcodes the decoder reads; empty for the others.
QString operandText(const CecDecoded &m)
{
    switch (m.opcode) {
    case 0x00:
        return QStringLiteral("%1 (%2), %3")
            .arg(HexText::byte(m.abortedOpcode),
                CecNames::opcode(m.abortedOpcode).isEmpty() ? QStringLiteral("unknown")
                                                            : CecNames::opcode(m.abortedOpcode),
                CecNames::abortReason(m.abortReason));
    case 0x32:
        return printable(m.language);
    case 0x44:
        return CecNames::userControl(m.userControl);
    case 0x47:
        return QStringLiteral("\"%1\"").arg(printable(m.osdName));
    case 0x70:
        return m.operands.size() >= 2 ? address(m.physicalAddress) : QString();
    case 0x72:
    case 0x7E:
        return m.systemAudioStatus == 0 ? QStringLiteral("Off")
            : m.systemAudioStatus == 1  ? QStringLiteral("On")
                                        : QStringLiteral("reserved (%1)").arg(m.systemAudioStatus);
    case 0x7A:
        return QStringLiteral("%1, volume %2")
            .arg(m.audioMute ? QStringLiteral("muted") : QStringLiteral("not muted"),
                m.audioVolume == 0x7F ? QStringLiteral("unknown")
                                      : QStringLiteral("%1%").arg(m.audioVolume));
    case 0x80:
        return QStringLiteral("%1 -> %2")
            .arg(address(m.physicalAddress), address(m.newPhysicalAddress));
    case 0x81:
    case 0x82:
    case 0x86:
    case 0x9D:
        return address(m.physicalAddress);
    case 0x84:
        return QStringLiteral("%1, %2").arg(
            address(m.physicalAddress), CecNames::deviceType(m.deviceType));
    case 0x87:
        return HexText::number(m.vendorId, 6, HexText::Case::Upper);
    case 0x8D: {
        static const char *const requests[3] = { "Activate", "Deactivate", "Query" };
        return m.menuState < 3 ? QString::fromLatin1(requests[m.menuState])
                               : QStringLiteral("reserved (%1)").arg(m.menuState);
    }
    case 0x8E:
        return m.menuState == 0 ? QStringLiteral("Activated")
            : m.menuState == 1  ? QStringLiteral("Deactivated")
                                : QStringLiteral("reserved (%1)").arg(m.menuState);
    case 0x90:
        return CecNames::powerStatus(m.powerStatus);
    case 0x9E:
        return CecNames::cecVersion(m.cecVersion);
    default:
        return QString();
    }
}

bool operandsRead(const CecDecoded &m)
{
    int minimum = 0, maximum = 0;
    return CecNames::operandRange(m.opcode, minimum, maximum) && m.operands.size() >= minimum
        && !operandText(m).isEmpty();
}

} // namespace

QString CecDescriber::summary(const CecDecoded &m)
{
    if (m.empty)
        return QStringLiteral("No CEC message");
    QString text = QStringLiteral("%1 to %2: ")
                       .arg(CecNames::logicalAddress(m.initiator, false),
                           CecNames::logicalAddress(m.destination, true));
    if (m.polling)
        return text + QStringLiteral("Polling Message");
    const QString name = CecNames::opcode(m.opcode);
    text += name.isEmpty() ? QStringLiteral("opcode %1").arg(HexText::byte(m.opcode)) : name;
    if (operandsRead(m))
        text += QStringLiteral(" (%1)").arg(operandText(m));
    else if (!m.operands.isEmpty())
        text += QStringLiteral(" [%1]").arg(HexText::bytes(m.operands));
    return text;
}

QStringList CecDescriber::lines(const CecDecoded &m)
{
    QStringList out { summary(m) };
    for (const DecodeWarning &w : m.warnings)
        out << QStringLiteral("Warning: %1").arg(DecodeWarningText::describe(w));
    return out;
}

QJsonObject CecDescriber::json(const CecDecoded &m)
{
    QJsonObject o;
    if (!m.empty) {
        o[QStringLiteral("initiator")] = CecNames::logicalAddress(m.initiator, false);
        o[QStringLiteral("destination")] = CecNames::logicalAddress(m.destination, true);
        o[QStringLiteral("polling")] = m.polling;
    }
    if (m.opcode >= 0) {
        o[QStringLiteral("opcode")] = m.opcode;
        o[QStringLiteral("name")] = CecNames::opcode(m.opcode);
        o[QStringLiteral("operands")] = HexText::bytes(m.operands);
        if (operandsRead(m))
            o[QStringLiteral("meaning")] = operandText(m);
    }
    o[QStringLiteral("summary")] = summary(m);
    QJsonArray warnings;
    for (const DecodeWarning &w : m.warnings)
        warnings.append(DecodeWarningText::describe(w));
    o[QStringLiteral("warnings")] = warnings;
    return o;
}
