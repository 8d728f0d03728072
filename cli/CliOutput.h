// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QJsonObject>
#include <QString>

class QJsonDocument;

// Where zelvarinctl's words go: results to standard output, every complaint to standard error as
// one line starting with the program's name, so scripts can parse the one and log the other.
namespace CliOutput {

// "zelvarinctl: <message>" on standard error; returns `exitCode` so callers can `return fail(..)`.
int fail(int exitCode, const QString &message);
void warn(const QString &message);
// One line (a line feed is added) on standard output.
void line(const QString &text);
// Indented JSON for a single answer, one compact line for a stream of them (watch).
void json(const QJsonDocument &doc, bool compact = false);
void json(const QJsonObject &object, bool compact = false);
// Raw bytes on standard output.
void bytes(const QByteArray &data);
// Whether standard error is a terminal a progress line can be redrawn on.
bool stderrIsTerminal();
// "\rzelvarinctl: <what> done/total" on a terminal; a final call with done == total ends the line.
void progress(const QString &what, int done, int total);

} // namespace CliOutput
