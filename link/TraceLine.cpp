// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/TraceLine.h"

#include <QFileDevice>
#include <QTime>

QByteArray TraceLine::stamp()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
}

void TraceLine::write(QIODevice *out, const QByteArray &line, bool flush)
{
    out->write(line + '\n');
    if (!flush)
        return;
    if (auto *file = qobject_cast<QFileDevice *>(out))
        file->flush();
}
