// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

// How a 256-byte EDID table travels: a fetch frame puts a table in place, the box reports busy
// while it prepares it, then the table is read in 16-byte chunks at offsets 0, 16, ... 240. An
// upload goes the other way in 8-byte chunks, paced, and a commit frame makes the box keep it.
namespace EdidTransfer {

// The box keeps one table of two 128-byte blocks (the EDID code checks that its table type agrees).
constexpr int TABLE_BYTES = 256;
constexpr int READ_CHUNK = 16;
constexpr int READ_CHUNKS = TABLE_BYTES / READ_CHUNK;
constexpr int WRITE_CHUNK = 8;
constexpr int WRITE_CHUNKS = TABLE_BYTES / WRITE_CHUNK;

// The box needs a moment after a fetch before it answers status reads sensibly, and paces the
// chunk writes into its EEPROM.
constexpr quint32 FETCH_SETTLE_MS = 100;
constexpr quint32 BUSY_POLL_MS = 10;
constexpr quint32 CHUNK_WRITE_PAUSE_MS = 30;
// About five seconds of polling; a box that is still busy after that is read all the same.
constexpr int MAX_BUSY_STATUS_READS = 502;

} // namespace EdidTransfer
