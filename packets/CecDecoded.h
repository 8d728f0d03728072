// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/DecodeWarning.h"

#include <QByteArray>
#include <QtGlobal>

// A decoded CEC message: addresses, opcode and the operands of the common opcodes, as numbers.
struct CecDecoded
{
    bool empty = true; // no header byte at all
    int initiator = 0, destination = 0; // logical addresses 0..15
    bool polling = false; // a header without an opcode
    int opcode = -1;
    QByteArray operands;

    // Operands of the opcodes the decoder reads; which ones are set depends on the opcode.
    quint16 physicalAddress = 0; // and the original address of Routing Change
    quint16 newPhysicalAddress = 0; // Routing Change
    int deviceType = -1; // Report Physical Address
    int powerStatus = -1;
    int userControl = -1;
    QByteArray osdName;
    quint32 vendorId = 0;
    int menuState = -1; // Menu Status; also the request type of Menu Request
    int cecVersion = -1;
    int audioMute = -1, audioVolume = -1; // Report Audio Status
    int systemAudioStatus = -1;
    int abortedOpcode = -1, abortReason = -1; // Feature Abort
    QByteArray language; // Set Menu Language, three letters

    DecodeWarnings warnings;
};
