// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QJsonObject>
#include <QString>

// Where zelvarinctl's words go: results to standard output, every complaint to standard error as
// one line starting with the program's name, so scripts can parse the one and log the other.
namespace CliOutput {

// The version of the JSON that --json prints; the first key of every object printed at the top.
// Raised whenever a key is renamed or removed, or a value changes its meaning or type.
constexpr int JSON_FORMAT_VERSION = 2;

// "zelvarinctl: <message>" on standard error; returns `exitCode` so callers can `return fail(..)`.
int fail(int exitCode, const QString &message);
void warn(const QString &message);
// One line (a line feed is added) on standard output.
void line(const QString &text);
// Text as it is on standard output.
void text(const QString &text);
// A top-level answer with "format_version" as its first key: indented for a single answer, one
// compact line (flushed at once) for a stream of them (watch).
void json(const QJsonObject &object, bool compact = false);
// The text json() prints, without the line feed.
QByteArray jsonText(const QJsonObject &object, bool compact);
// Raw bytes on standard output, flushed.
void bytes(const QByteArray &data);
// Hands what is buffered to the file or pipe now (a line a pipe must see at once).
void flush();
// Whether a write to standard output has failed (a full disk, a closed pipe or descriptor).
bool stdoutFailed();
// Flushes standard output at the end of a run. A write that failed on the way or now is one
// message and exit status 3, as for an output file that cannot be written, unless the run has
// failed already; otherwise `exitCode` as it was.
int finish(int exitCode);
// Whether standard error is a terminal a progress line can be redrawn on.
bool stderrIsTerminal();

} // namespace CliOutput
