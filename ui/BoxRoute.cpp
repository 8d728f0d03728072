// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/BoxRoute.h"

#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "zelvarind/client/ServiceChoice.h"
#include "zelvarind/client/ServiceClient.h"
#include "zelvarind/client/ServiceNames.h"
#include "zelvarind/client/ServiceRelay.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

BoxRoute::BoxRoute(
    DeviceLink &link, DeviceWarnings &warnings, const LinkSetup::Options *service, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_warnings(warnings)
    , m_service(service)
{
}

BoxRoute::~BoxRoute()
{
    watchService(false);
    if (m_relay)
        m_link.close();
}

BoxRoute::Opened BoxRoute::open(bool quiet)
{
    if (m_relay)
        close(true);
    const QString serial = QString::fromLatin1(DeviceLink::DEVICE_SERIAL);
    std::optional<ServiceClient> service;
    if (m_service && ServiceChoice::wanted(*m_service, false))
        service = ServiceClient::lookFor(serial, m_service->simulate);
    if (service) {
        // What the service's device layer said looking is what the window's would have said.
        const ServiceClient::Box &box = service->box();
        if (!quiet) {
            for (const QString &text : box.warnings)
                m_warnings.deviceWarning(text);
        }
        if (box.path.isEmpty()) {
            if (box.outcome == ServiceNames::SearchOutcome::OpenFailed)
                return Opened::OpenFailed;
            if (box.outcome == ServiceNames::SearchOutcome::NoReply)
                return Opened::Silent;
            if (!quiet && box.warnings.isEmpty())
                m_warnings.deviceWarning(DeviceLink::notConnectedText());
            return Opened::NotFound;
        }
        // Every frame of the window reaches the box: it reads the box as it is, not as the
        // service's last poll saw it.
        m_relay = service->relay();
        m_relay->setAnswerFromPoll(false);
        m_relay->setQuietLoss(true);
        m_link.setRelay(m_relay.get());
        m_link.traceNote(service->describe());
        m_bus = service->bus();
        m_owner = service->owner();
        m_boxPath = box.path;
        m_removed = false;
        watchService(true);
        return Opened::Yes;
    }

    m_link.setQuiet(quiet);
    quint32 index = 0;
    Opened opened = Opened::NotFound;
    if (m_link.findDevice(DeviceLink::DEVICE_SERIAL, index))
        opened = m_link.open(index) ? Opened::Yes : Opened::OpenFailed;
    m_link.setQuiet(false);
    return opened;
}

void BoxRoute::close(bool quiet)
{
    watchService(false);
    if (quiet)
        m_link.closeQuietly();
    else
        m_link.close();
    // The link lets go of the relay first; a hold still open is released on the way out.
    m_relay.reset();
    m_removed = false;
}

bool BoxRoute::lost() const
{
    return m_relay && (m_removed || m_relay->failed());
}

void BoxRoute::watchService(bool on)
{
    if (m_owner.isEmpty())
        return;
    if (on) {
        m_bus.connect(m_owner, ServiceNames::managerPath(), ServiceNames::managerInterface(),
            QStringLiteral("BoxRemoved"), this, SLOT(serviceRemovedBox(QDBusMessage)));
        return;
    }
    m_bus.disconnect(m_owner, ServiceNames::managerPath(), ServiceNames::managerInterface(),
        QStringLiteral("BoxRemoved"), this, SLOT(serviceRemovedBox(QDBusMessage)));
    m_owner.clear();
}

// The signal may have waited in the event queue while the window found the box again: the box
// counts as lost only if the service still says so.
void BoxRoute::serviceRemovedBox(const QDBusMessage &signal)
{
    const QVariantList args = signal.arguments();
    if (!m_relay || m_removed || args.size() != 2
        || args.at(1).value<QDBusObjectPath>().path() != m_boxPath)
        return;
    QDBusMessage get = QDBusMessage::createMethodCall(m_owner, m_boxPath,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << ServiceNames::boxInterface() << QStringLiteral("Connected");
    const QDBusMessage reply = m_bus.call(get, QDBus::Block, ServiceRelay::CALL_TIMEOUT_MS);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && reply.arguments().constFirst().value<QDBusVariant>().variant().toBool())
        return;
    m_removed = true;
    emit boxRemoved();
}
