// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/client/ServiceClient.h"

#include "manager1_proxy.h"
#include "zelvarind/client/ServiceNames.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>

namespace {

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

// GetBox without starting the service: a bus without it answers that the name has no owner.
std::optional<ServiceClient::Box> askForBox(const QDBusConnection &bus, const QString &serial)
{
    if (!bus.isConnected())
        return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(ServiceNames::busName(),
        ServiceNames::managerPath(), ServiceNames::managerInterface(), QStringLiteral("GetBox"));
    call << serial;
    call.setAutoStartService(false);
    const QDBusMessage reply = QDBusConnection(bus).call(call, QDBus::Block, 60000);
    ServiceClient::Box box;
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        box.path = reply.arguments().constFirst().value<QDBusObjectPath>().path();
        return box;
    }
    if (reply.type() != QDBusMessage::ErrorMessage
        || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return std::nullopt;
    box.errorName = reply.errorName();
    box.errorText = reply.errorMessage();
    return box;
}

} // namespace

std::optional<ServiceClient> ServiceClient::find(const QString &serial)
{
    if (sessionBusLikely()) {
        const QDBusConnection session = QDBusConnection::sessionBus();
        if (const std::optional<Box> box = askForBox(session, serial))
            return ServiceClient(session, *box);
    }
    if (systemBusLikely()) {
        const QDBusConnection system = QDBusConnection::systemBus();
        if (const std::optional<Box> box = askForBox(system, serial))
            return ServiceClient(system, *box);
    }
    return std::nullopt;
}

ServiceClient::ServiceClient(const QDBusConnection &bus, const Box &box)
    : m_bus(bus)
    , m_box(box)
{
}

bool ServiceClient::simulated() const
{
    Manager1Proxy manager(ServiceNames::busName(), ServiceNames::managerPath(), m_bus);
    return manager.simulated();
}
