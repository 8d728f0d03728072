// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/client/ServiceClient.h"

#include "manager1_proxy.h"
#include "zelvarind/client/ServiceNames.h"

#include <QDBusConnectionInterface>
#include <QFileInfo>

namespace {

// Asking costs one round trip to the bus; a bus that is not there fails at once.
bool hasService(const QDBusConnection &bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> registered
        = bus.interface()->isServiceRegistered(ServiceNames::busName());
    return registered.isValid() && registered.value();
}

// Whether a bus may be there at all, judged without loading the D-Bus library: most runs of a
// front end on a machine without the service should not pay for asking.
bool sessionBusLikely()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

bool systemBusLikely()
{
    return !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS")
        || QFileInfo::exists(QStringLiteral("/run/dbus/system_bus_socket"))
        || QFileInfo::exists(QStringLiteral("/var/run/dbus/system_bus_socket"));
}

} // namespace

std::optional<QDBusConnection> ServiceClient::findService()
{
    if (sessionBusLikely()) {
        const QDBusConnection session = QDBusConnection::sessionBus();
        if (hasService(session))
            return session;
    }
    if (systemBusLikely()) {
        const QDBusConnection system = QDBusConnection::systemBus();
        if (hasService(system))
            return system;
    }
    return std::nullopt;
}

ServiceClient::ServiceClient(const QDBusConnection &bus)
    : m_bus(bus)
{
}

bool ServiceClient::simulated() const
{
    Manager1Proxy manager(ServiceNames::busName(), ServiceNames::managerPath(), m_bus);
    return manager.simulated();
}

ServiceClient::Box ServiceClient::box(const QString &serial) const
{
    Manager1Proxy manager(ServiceNames::busName(), ServiceNames::managerPath(), m_bus);
    QDBusPendingReply<QDBusObjectPath> call = manager.GetBox(serial);
    call.waitForFinished();
    Box out;
    if (call.isError()) {
        out.errorName = call.error().name();
        out.errorText = call.error().message();
        return out;
    }
    out.path = call.value().path();
    return out;
}
