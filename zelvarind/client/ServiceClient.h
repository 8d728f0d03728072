// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "zelvarind/client/ServiceNames.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class ServiceRelay;

// How a front end finds the service and one of its boxes. The service is looked for on the
// session bus, then on the system bus (the mode for a host without a desktop session); a front
// end that finds it on neither opens the box itself. Every call names the service by the unique
// name of the connection that answered the first one, so a front end never slips from one
// service to another (a restarted one, say) in the middle of its conversation.
class ServiceClient
{
public:
    // The box a front end asked for, as the service knows it.
    struct Box
    {
        QString path; // empty when not found
        QString errorName; // the D-Bus error when not found
        QString errorText;
        // lookFor() only: what the search came to and what the device layer said on the way, for
        // the front end to show as its own.
        ServiceNames::SearchOutcome outcome = ServiceNames::SearchOutcome::NotFound;
        QStringList warnings;
        // find() only: the service's last poll of the box (PolledReplies), which came with the
        // call that found it, for the relay's first reads.
        bool polled = false;
        QByteArrayList polledRequests;
        QByteArrayList polledReplies;
    };

    // Asks the service on the session bus, then on the system bus, for the connected box with
    // this serial ("" for the first one: the box's own serial first, then any), which never
    // starts the service. The usual case costs one call, which brings the box's last poll too.
    // nullopt when the service runs on neither bus, or when a simulated box was asked for
    // (`simulated`) and the service runs real ones.
    static std::optional<ServiceClient> find(const QString &serial, bool simulated);
    // The same for a front end that looks for its box itself (the window's search): the service
    // looks for the box with this serial now if it is not connected (the Search method).
    static std::optional<ServiceClient> lookFor(const QString &serial, bool simulated);

    QDBusConnection bus() const { return m_bus; }
    // The unique name of the service's connection on that bus.
    const QString &owner() const { return m_owner; }
    const Box &box() const { return m_box; }

    // A relay to the box found, on the service that answered.
    std::unique_ptr<ServiceRelay> relay() const;
    // One line for a trace: which service, on which bus, which box.
    QString describe() const;

private:
    using Ask = std::function<std::optional<Box>(const QDBusConnection &, QString &owner)>;
    static std::optional<ServiceClient> ask(bool simulated, const Ask &call);

    ServiceClient(const QDBusConnection &bus, bool systemBus, const QString &owner, const Box &box);

    QDBusConnection m_bus;
    bool m_systemBus;
    QString m_owner;
    Box m_box;
};
