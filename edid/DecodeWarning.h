// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QVector>

// A problem a decoder met in its input. Decoders collect these and carry on with what they can
// still read; the describers put them into words. `block` is the 128-byte EDID block (or -1),
// `offset` the byte the problem was found at, `value` the offending value where there is one.
struct DecodeWarning
{
    enum Kind {
        TruncatedInput, // fewer bytes than the structure needs; the rest reads as zero
        OddSize, // an EDID whose size is not a whole number of 128-byte blocks
        TooLarge, // more bytes than the decoder looks at
        BadHeader, // the fixed EDID header pattern is wrong
        BadChecksum, // value is the checksum found, expected the one that sums to zero
        ExtensionCountMismatch, // value: the count in block 0, expected: blocks present
        ReservedValue, // a reserved code or bit pattern
        LengthPastBlock, // a length that reaches beyond its block or the input
        BadManufacturer, // a manufacturer letter outside A..Z
        UnknownType, // an InfoFrame type the decoder does not know
        LengthMismatch, // the length byte and the bytes present disagree
        MissingOperands, // a CEC message shorter than its opcode needs
        ExtraOperands, // a CEC message longer than its opcode needs
    };
    Kind kind;
    int block = -1;
    int offset = -1;
    int value = 0;
    int expected = 0;
};

using DecodeWarnings = QVector<DecodeWarning>;

// How every decoder records a problem.
inline void addWarning(DecodeWarnings &warnings, DecodeWarning::Kind kind, int block, int offset,
    int value = 0, int expected = 0)
{
    warnings.append(DecodeWarning { kind, block, offset, value, expected });
}
