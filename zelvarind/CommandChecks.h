// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidImage.h"
#include "protocol/SettingsTable.h"
#include "zelvarind/CommandResult.h"
#include "zelvarind/client/DbusTypes.h"

#include <QByteArray>
#include <QList>
#include <QPair>

// Every argument a client sends is checked here, before anything is queued for the box, with
// the tables and rules the command line uses (SettingsTable, Words, PacketRules, the EDID
// file rule). Each check returns an error result, or success with the checked value filled in.
namespace CommandChecks {

// Longest setting name or value word a client may send; the longest real one is far shorter.
constexpr int MAX_WORD = 64;
// A raw request frame: at least frame kind, length and code; at most what one frame can carry.
constexpr int MIN_FRAME = 3;
constexpr int MAX_FRAME = 128;

// Names and words of the settings table; every entry must be known. In the table's order.
CommandResult settings(const StringMap &named, QList<QPair<Settings::Id, quint8>> &out);

// A whole EDID table: 256 bytes, the header, both checksums right.
CommandResult edidTable(const QByteArray &bytes, EdidImage &out);

// The bytes of a CEC message or InfoFrame, as the box's frames carry them (hex text, see
// link/HexBytes.h), within the length the field takes (PacketRules.h).
enum class Packet { CecSend, CecStore, HdrInfoFrame, Avi };
CommandResult packet(Packet kind, const QByteArray &bytes, QByteArray &prepared);

CommandResult frame(const QByteArray &request, uint minReplyLength);

CommandResult invalid(const QString &text);

} // namespace CommandChecks
