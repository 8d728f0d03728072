// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

class QIODevice;

// The lines of a --trace log, as the device link and the USB backend write them.
namespace TraceLine {

// The time of day every timed line starts with, "HH:mm:ss.zzz".
QByteArray stamp();

// Writes `line` and a line break; with `flush`, a file is flushed at once, so that the log is
// whole even if the program is killed.
void write(QIODevice *out, const QByteArray &line, bool flush = true);

} // namespace TraceLine
