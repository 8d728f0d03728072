// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The service's names on the bus, written once for the service and its clients. All live under
// the application id io.github.zelvarin.Utility's reverse-DNS space; the interfaces carry a
// version number that changes only when a member is removed or changes its meaning.
namespace ServiceNames {

inline const QString &busName()
{
    static const QString name = QStringLiteral("io.github.zelvarin.Zelvarind");
    return name;
}
inline const QString &managerPath()
{
    static const QString path = QStringLiteral("/io/github/zelvarin/Zelvarind");
    return path;
}
inline const QString &managerInterface()
{
    static const QString name = QStringLiteral("io.github.zelvarin.Manager1");
    return name;
}
inline const QString &boxInterface()
{
    static const QString name = QStringLiteral("io.github.zelvarin.Box1");
    return name;
}

// The object of the box with this serial: /io/github/zelvarin/Zelvarind/box/SERIAL, every
// character outside [A-Za-z0-9] written as _XX (its hex code), so any serial gives a valid path.
QString boxPath(const QString &serial);

// What a box's Search came to (docs/dbus.md), and its word on the bus: connected, not-found,
// open-failed, no-reply. A word the service does not send reads as not found.
enum class SearchOutcome { Connected, NotFound, OpenFailed, NoReply };
QString searchWord(SearchOutcome outcome);
SearchOutcome searchOutcome(const QString &word);

// The error names (docs/dbus.md).
namespace Error {
inline const QString &noReply()
{
    static const QString name = QStringLiteral("io.github.zelvarin.Error.NoReply");
    return name;
}
inline const QString &busy()
{
    static const QString name = QStringLiteral("io.github.zelvarin.Error.Busy");
    return name;
}
inline const QString &badData()
{
    static const QString name = QStringLiteral("io.github.zelvarin.Error.BadData");
    return name;
}
inline const QString &notFound()
{
    static const QString name = QStringLiteral("io.github.zelvarin.Error.NotFound");
    return name;
}
inline const QString &invalidArgs()
{
    static const QString name = QStringLiteral("io.github.zelvarin.Error.InvalidArgs");
    return name;
}
inline const QString &wrongMode()
{
    static const QString name = QStringLiteral("io.github.zelvarin.Error.WrongMode");
    return name;
}

// The front ends' exit code (session/ExitCodes.h) for an error name: invalid arguments are a
// usage error (2), bad data is 3, everything else, the bus's own errors included, is the box
// failing (1).
int exitCode(const QString &errorName);
} // namespace Error

} // namespace ServiceNames
