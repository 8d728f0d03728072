// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The names HDMI-CEC gives to logical addresses, opcodes and operand values.
namespace CecNames {

// "TV", "Playback 1", ...; address 15 is "Broadcast" as a destination, "Unregistered" as an
// initiator.
QString logicalAddress(int address, bool asDestination);
// "Image View On", or an empty string for an opcode the table does not know.
QString opcode(int code);
// How many operand bytes `code` takes, at least and at most; false for an unknown opcode.
bool operandRange(int code, int &minimum, int &maximum);
QString userControl(int code);
QString powerStatus(int status);
QString cecVersion(int version);
QString deviceType(int type);
QString abortReason(int reason);

} // namespace CecNames
