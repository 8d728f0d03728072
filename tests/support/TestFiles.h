// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Whole files for the tests: what one holds (empty when it cannot be read), and writing one,
// with the permissions given or the owner's read and write.
namespace TestFiles {

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &data,
    QFileDevice::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        return false;
    f.close();
    return f.error() == QFileDevice::NoError && f.setPermissions(permissions);
}

} // namespace TestFiles
