// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/DecodeWarningText.h"

#include "edid/HexText.h"

namespace {

QString where(const DecodeWarning &w)
{
    QString text;
    if (w.block >= 0)
        text = QStringLiteral("block %1").arg(w.block);
    if (w.offset >= 0)
        text += (text.isEmpty() ? QString() : QStringLiteral(", "))
            + QStringLiteral("byte %1").arg(w.offset);
    return text.isEmpty() ? text : QStringLiteral(" (%1)").arg(text);
}

} // namespace

QString DecodeWarningText::describe(const DecodeWarning &w)
{
    switch (w.kind) {
    case DecodeWarning::TruncatedInput:
        return QStringLiteral("Truncated: %1 bytes where %2 are needed, the rest read as zero%3")
            .arg(w.value)
            .arg(w.expected)
            .arg(where(w));
    case DecodeWarning::OddSize:
        return QStringLiteral("Size %1 is not a multiple of 128 bytes").arg(w.value);
    case DecodeWarning::TooLarge:
        // An EDID names the blocks it stops at; a message has no blocks, only a largest size.
        if (w.block < 0)
            return QStringLiteral("%1 bytes, more than the %2 a message can have")
                .arg(w.value)
                .arg(w.expected);
        return QStringLiteral("Only the first %1 blocks of %2 bytes are decoded")
            .arg(w.block)
            .arg(w.value);
    case DecodeWarning::BadHeader:
        return QStringLiteral("The EDID header pattern is wrong");
    case DecodeWarning::BadChecksum:
        return QStringLiteral("Checksum %1 should be %2%3")
            .arg(HexText::byte(w.value), HexText::byte(w.expected), where(w));
    case DecodeWarning::ExtensionCountMismatch:
        return QStringLiteral("Block 0 announces %1 extension blocks, %2 are present")
            .arg(w.value)
            .arg(w.expected);
    case DecodeWarning::ReservedValue:
        return QStringLiteral("Reserved value %1%2").arg(HexText::byte(w.value), where(w));
    case DecodeWarning::LengthPastBlock:
        return QStringLiteral("Length %1 reaches past the end%2").arg(w.value).arg(where(w));
    case DecodeWarning::BadManufacturer:
        return QStringLiteral("Manufacturer letter code %1 is not A to Z").arg(w.value);
    case DecodeWarning::UnknownType:
        return QStringLiteral("Unknown InfoFrame type %1").arg(HexText::byte(w.value));
    case DecodeWarning::LengthMismatch:
        return QStringLiteral("Length byte says %1 bytes, %2 are present")
            .arg(w.value)
            .arg(w.expected);
    case DecodeWarning::MissingOperands:
        return QStringLiteral("Operands missing: %1 bytes where %2 are needed")
            .arg(w.value)
            .arg(w.expected);
    case DecodeWarning::ExtraOperands:
        return QStringLiteral("%1 operand bytes more than the opcode takes").arg(w.value);
    }
    return QStringLiteral("Unknown problem");
}
