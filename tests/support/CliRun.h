// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// One run of zelvarinctl as a script runs it, against the simulated box, with the conversation
// logged to a trace file so that a test can see the frames the box received.
struct CliRun
{
    int exitCode = -1; // -1: the program crashed or did not finish
    QByteArray out;
    QByteArray err;
    QStringList requests; // the trace's "> " lines, without the time
    bool boxTouched = false; // the trace recorded a request
};

// Runs `zelvarinctl --simulate --trace=DIR/trace.txt ARGS...` with `input` on standard input, and
// standard output to `stdoutFile` when one is named (/dev/full: a disk that is full).
CliRun runZelvarinctl(const QString &dir, const QStringList &args, const QByteArray &input = {},
    const QString &stdoutFile = {});
// Runs `zelvarinctl ARGS...` exactly as given, in the folder `dir`, as a user types it there (no
// trace of its own: `requests` stays empty).
CliRun runZelvarinctlIn(const QString &dir, const QStringList &args, const QByteArray &input = {},
    const QString &stdoutFile = {});
// The trace's "> " lines, without the time.
QStringList traceRequests(const QString &traceFile);
