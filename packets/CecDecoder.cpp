// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "packets/CecDecoder.h"

#include "packets/CecNames.h"

namespace {

quint16 word(const QByteArray &b, int i)
{
    return quint16(quint8(b[i]) << 8 | quint8(b[i + 1]));
}

// Reads the operands of the opcodes people look at most. Only called with as many operands as
// the opcode takes at least.
void readOperands(CecDecoded &m)
{
    const QByteArray &op = m.operands;
    switch (m.opcode) {
    case 0x00:
        m.abortedOpcode = quint8(op[0]);
        m.abortReason = quint8(op[1]);
        break;
    case 0x32:
        m.language = op.left(3);
        break;
    case 0x44:
        m.userControl = quint8(op[0]);
        break;
    case 0x47:
        m.osdName = op;
        break;
    case 0x72:
    case 0x7E:
        m.systemAudioStatus = quint8(op[0]);
        break;
    case 0x70:
        if (op.size() >= 2)
            m.physicalAddress = word(op, 0);
        break;
    case 0x7A:
        m.audioMute = quint8(op[0]) >> 7;
        m.audioVolume = quint8(op[0]) & 0x7F;
        break;
    case 0x80:
        m.physicalAddress = word(op, 0);
        m.newPhysicalAddress = word(op, 2);
        break;
    case 0x81:
    case 0x82:
    case 0x86:
    case 0x9D:
        m.physicalAddress = word(op, 0);
        break;
    case 0x84:
        m.physicalAddress = word(op, 0);
        m.deviceType = quint8(op[2]);
        break;
    case 0x87:
        m.vendorId = quint32(quint8(op[0])) << 16 | quint32(quint8(op[1])) << 8 | quint8(op[2]);
        break;
    case 0x8D:
    case 0x8E:
        m.menuState = quint8(op[0]);
        break;
    case 0x90:
        m.powerStatus = quint8(op[0]);
        break;
    case 0x9E:
        m.cecVersion = quint8(op[0]);
        break;
    default:
        break;
    }
}

} // namespace

CecDecoded CecDecoder::decode(const QByteArray &bytes)
{
    CecDecoded m;
    if (bytes.isEmpty()) {
        addWarning(m.warnings, DecodeWarning::TruncatedInput, -1, 0, 0, 1);
        return m;
    }
    m.empty = false;
    m.initiator = quint8(bytes[0]) >> 4;
    m.destination = quint8(bytes[0]) & 0x0F;
    if (bytes.size() > MAX_MESSAGE)
        addWarning(
            m.warnings, DecodeWarning::TooLarge, -1, MAX_MESSAGE, int(bytes.size()), MAX_MESSAGE);
    if (bytes.size() == 1) {
        m.polling = true;
        return m;
    }
    m.opcode = quint8(bytes[1]);
    m.operands = bytes.mid(2);
    int minimum = 0, maximum = 0;
    if (!CecNames::operandRange(m.opcode, minimum, maximum))
        return m; // unknown opcode: the operands stay as bytes
    const int count = int(m.operands.size());
    if (count < minimum) {
        addWarning(
            m.warnings, DecodeWarning::MissingOperands, -1, int(bytes.size()), count, minimum);
        return m;
    }
    if (count > maximum)
        addWarning(m.warnings, DecodeWarning::ExtraOperands, -1, 2 + maximum, count - maximum);
    readOperands(m);
    return m;
}
