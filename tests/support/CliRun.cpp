// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/CliRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>

QStringList traceRequests(const QString &traceFile)
{
    QStringList requests;
    QFile file(traceFile);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n')) {
            const int at = line.indexOf("> ");
            if (at >= 0)
                requests << QString::fromLatin1(line.mid(at + 2));
        }
    }
    return requests;
}

CliRun runZelvarinctl(const QString &dir, const QStringList &args, const QByteArray &input)
{
    const QString trace = QDir(dir).filePath(QStringLiteral("trace.txt"));
    QFile::remove(trace);
    QProcess p;
    p.start(QStringLiteral(ZELVARINCTL),
        QStringList { QStringLiteral("--simulate"), QStringLiteral("--trace=") + trace } + args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    CliRun r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.requests = traceRequests(trace);
    r.boxTouched = !r.requests.isEmpty();
    return r;
}
