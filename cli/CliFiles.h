// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The files zelvarinctl reads and writes. Both return an exit code after reporting a failure on
// standard error; `context` ("edid decode", or empty) starts the message.
namespace CliFiles {

// Hex typed on standard input in place of an argument: a CEC message or an InfoFrame, with room
// for any layout of blanks and line breaks.
constexpr qint64 HEX_INPUT_LIMIT = 4096;

// Reads `name` ("-": standard input) whole, but never more than `limit` bytes: what holds more is
// not what the command expects (/dev/zero, a video), and is bad data at once rather than read
// until memory runs out. `what` names the expected content in that message ("an EDID table").
int read(const QString &context, const QString &name, qint64 limit, const QString &what,
    QByteArray &data);

// Writes `data` to `name`. A regular file, or a new one, is replaced only once the whole of it is
// written, so a failure leaves the old file as it was. Anything else that exists (a device node,
// a FIFO, /dev/stdout, a name under /dev or /proc) is written in place and never replaced: a
// rename would put a plain file where the device node was.
int write(const QString &context, const QString &name, const QByteArray &data);

// Whether a table file by this name holds raw bytes (".bin") rather than hex text.
bool isBinaryName(const QString &name);

// Whether write() replaces `name` rather than writing into it.
bool replaces(const QString &name);

} // namespace CliFiles
