// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/client/ServiceChoice.h"

#include <QFileInfo>

bool ServiceChoice::wanted(const LinkSetup::Options &link, bool direct)
{
    return !direct && link.usbIds.isEmpty() && link.usbOptions.isEmpty()
        && link.simulatedSettings.isEmpty();
}

bool ServiceChoice::sessionBusLikely()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

bool ServiceChoice::systemBusLikely()
{
    return !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS")
        || QFileInfo::exists(QStringLiteral("/run/dbus/system_bus_socket"))
        || QFileInfo::exists(QStringLiteral("/var/run/dbus/system_bus_socket"));
}
