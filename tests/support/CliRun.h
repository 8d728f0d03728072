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

// The request lines of a --trace file ("12:34:56.789 > 11 2A E1" gives "11 2A E1"), in order.
QStringList traceRequests(const QString &traceFile);

// Runs `zelvarinctl --simulate --trace=DIR/trace.txt ARGS...` with `input` on standard input.
CliRun runZelvarinctl(const QString &dir, const QStringList &args, const QByteArray &input = {});
