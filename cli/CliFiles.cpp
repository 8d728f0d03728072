// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliFiles.h"

#include "cli/CliOutput.h"
#include "session/ExitCodes.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace CliFiles {

namespace {

QString prefixed(const QString &context, const QString &message)
{
    return context.isEmpty() ? message : context + QStringLiteral(": ") + message;
}

bool underSystemTree(const QString &path)
{
    return path.startsWith(QLatin1String("/dev/")) || path.startsWith(QLatin1String("/proc/"));
}

} // namespace

int read(const QString &context, const QString &name, qint64 limit, const QString &what,
    QByteArray &data)
{
    QFile file(name);
    const bool stdinput = name == QLatin1String("-");
    const bool ok
        = stdinput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!ok)
        return CliOutput::fail(ExitCode::BadData,
            prefixed(context, QStringLiteral("cannot read %1: %2").arg(name, file.errorString())));
    // One byte more than the limit tells a file that fits exactly from one that does not.
    data = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        return CliOutput::fail(ExitCode::BadData,
            prefixed(context, QStringLiteral("cannot read %1: %2").arg(name, file.errorString())));
    if (data.size() > limit)
        return CliOutput::fail(ExitCode::BadData,
            prefixed(context,
                QStringLiteral("%1 holds more than %2 bytes, too much for %3")
                    .arg(stdinput ? QStringLiteral("standard input") : name)
                    .arg(limit)
                    .arg(what)));
    return ExitCode::Ok;
}

bool replaces(const QString &name)
{
    const QFileInfo info(name);
    if (!info.exists())
        return !underSystemTree(info.absoluteFilePath());
    // Through every link: /dev/stdout leads to /proc/self/fd/1, and from there to whatever the
    // descriptor is, perhaps a regular file that the shell holds open and a rename would orphan.
    QString path = info.absoluteFilePath();
    for (int hops = 0; hops < 40; ++hops) {
        if (underSystemTree(path))
            return false;
        const QFileInfo link(path);
        if (!link.isSymLink())
            break;
        path = link.symLinkTarget();
    }
    return info.isFile();
}

bool isBinaryName(const QString &name)
{
    return name.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive);
}

int write(const QString &context, const QString &name, const QByteArray &data)
{
    const auto failed = [&](const QString &why) {
        return CliOutput::fail(ExitCode::BadData,
            prefixed(context, QStringLiteral("cannot write %1: %2").arg(name, why)));
    };
    if (!replaces(name)) {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.flush())
            return failed(file.errorString());
        file.close();
        if (file.error() != QFileDevice::NoError)
            return failed(file.errorString());
        return ExitCode::Ok;
    }
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return failed(file.errorString());
    return ExitCode::Ok;
}

} // namespace CliFiles
