// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/client/ServiceClient.h"

#include "link/DeviceLink.h"
#include "zelvarind/client/DbusTypes.h"
#include "zelvarind/client/ServiceChoice.h"
#include "zelvarind/client/ServiceNames.h"
#include "zelvarind/client/ServiceRelay.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

// A call that never starts the service: a bus without it answers that the name has no owner.
QDBusMessage callService(const QDBusConnection &bus, const QString &path, const QString &interface,
    const QString &method, const QVariantList &args)
{
    QDBusMessage call
        = QDBusMessage::createMethodCall(ServiceNames::busName(), path, interface, method);
    call.setArguments(args);
    call.setAutoStartService(false);
    return QDBusConnection(bus).call(call, QDBus::Block, ServiceRelay::CALL_TIMEOUT_MS);
}

bool serviceAbsent(const QDBusMessage &reply)
{
    return reply.type() != QDBusMessage::ReplyMessage
        && (reply.type() != QDBusMessage::ErrorMessage
            || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
            || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"));
}

} // namespace

std::optional<ServiceClient> ServiceClient::ask(bool simulated, const Ask &call)
{
    for (const bool system : { false, true }) {
        if (!(system ? ServiceChoice::systemBusLikely() : ServiceChoice::sessionBusLikely()))
            continue;
        const QDBusConnection bus
            = system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
        if (!bus.isConnected())
            continue;
        if (simulated) {
            // A simulated box was asked for: a service with real boxes is no place to look.
            const QDBusMessage reply = callService(bus, ServiceNames::managerPath(),
                QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                { ServiceNames::managerInterface(), QStringLiteral("Simulated") });
            if (serviceAbsent(reply))
                continue;
            if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()
                || !reply.arguments().constFirst().value<QDBusVariant>().variant().toBool())
                return std::nullopt;
        }
        QString owner;
        if (const std::optional<Box> box = call(bus, owner))
            return ServiceClient(bus, system, owner, *box);
    }
    return std::nullopt;
}

std::optional<ServiceClient> ServiceClient::find(const QString &serial, bool simulated)
{
    DbusTypes::registerTypes();
    return ask(simulated, [&serial](const QDBusConnection &bus, QString &owner) {
        // The box asked for, or the box's own serial, in the call that a relay makes first
        // anyway: where it answers, finding the box costs nothing more.
        const QString path = ServiceNames::boxPath(
            serial.isEmpty() ? QString::fromLatin1(DeviceLink::DEVICE_SERIAL) : serial);
        const QDBusMessage polled = callService(
            bus, path, ServiceNames::boxInterface(), QStringLiteral("PolledReplies"), {});
        if (serviceAbsent(polled))
            return std::optional<Box>();
        owner = polled.service();
        Box box;
        if (ServiceRelay::polledRepliesOf(polled, box.polledRequests, box.polledReplies)) {
            box.path = path;
            box.polled = true;
            return std::optional<Box>(box);
        }
        const bool absent = polled.errorName() == ServiceNames::Error::notFound()
            || polled.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownObject");
        if (!serial.isEmpty() || !absent) {
            box.errorName = absent ? ServiceNames::Error::notFound() : polled.errorName();
            box.errorText = polled.errorMessage();
            return std::optional<Box>(box);
        }
        // Not that one: the first box the service has connected.
        const QDBusMessage reply = callService(bus, ServiceNames::managerPath(),
            ServiceNames::managerInterface(), QStringLiteral("GetBox"), { serial });
        if (serviceAbsent(reply))
            return std::optional<Box>();
        owner = reply.service();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            box.path = reply.arguments().constFirst().value<QDBusObjectPath>().path();
            return std::optional<Box>(box);
        }
        box.errorName = reply.errorName();
        box.errorText = reply.errorMessage();
        return std::optional<Box>(box);
    });
}

std::optional<ServiceClient> ServiceClient::lookFor(const QString &serial, bool simulated)
{
    return ask(simulated, [&serial](const QDBusConnection &bus, QString &owner) {
        const QString path = ServiceNames::boxPath(serial);
        const QDBusMessage reply
            = callService(bus, path, ServiceNames::boxInterface(), QStringLiteral("Search"), {});
        if (serviceAbsent(reply))
            return std::optional<Box>();
        owner = reply.service();
        Box box;
        if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 2) {
            box.outcome = ServiceNames::searchOutcome(reply.arguments().at(0).toString());
            box.warnings = reply.arguments().at(1).toStringList();
            if (box.outcome == ServiceNames::SearchOutcome::Connected)
                box.path = path;
            return std::optional<Box>(box);
        }
        // A service that does not look after this box has no object for it; one that refuses
        // the caller (the system bus's policy) or does not answer keeps the box from it.
        box.errorName = reply.errorName();
        box.errorText = reply.errorMessage();
        const bool noObject
            = box.errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")
            || box.errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod");
        box.outcome = noObject ? ServiceNames::SearchOutcome::NotFound
                               : ServiceNames::SearchOutcome::OpenFailed;
        if (!noObject)
            box.warnings << QStringLiteral("the service zelvarind failed: %1").arg(box.errorText);
        return std::optional<Box>(box);
    });
}

ServiceClient::ServiceClient(
    const QDBusConnection &bus, bool systemBus, const QString &owner, const Box &box)
    : m_bus(bus)
    , m_systemBus(systemBus)
    , m_owner(owner)
    , m_box(box)
{
}

std::unique_ptr<ServiceRelay> ServiceClient::relay() const
{
    auto relay = std::make_unique<ServiceRelay>(m_bus, m_owner, m_box.path);
    if (m_box.polled)
        relay->takePolledReplies(m_box.polledRequests, m_box.polledReplies);
    return relay;
}

QString ServiceClient::describe() const
{
    return QStringLiteral("through the service zelvarind on the %1 bus (%2), box %3")
        .arg(m_systemBus ? QStringLiteral("system") : QStringLiteral("session"), m_owner,
            m_box.path);
}
