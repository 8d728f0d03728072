// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusConnection>
#include <QString>

#include <optional>

// How a front end finds the service and one of its boxes. The service is looked for on the
// session bus, then on the system bus (the mode for a host without a desktop session); a front
// end that finds it on neither opens the box itself.
class ServiceClient
{
public:
    // The box a front end asked for, as the service knows it.
    struct Box
    {
        QString path; // empty when not found
        QString errorName; // the D-Bus error when not found
        QString errorText;
    };

    // Asks the service on the session bus, then on the system bus, for the connected box with
    // this serial ("" for the first one), in one call per bus, which never starts the service.
    // nullopt when the service runs on neither bus.
    static std::optional<ServiceClient> find(const QString &serial);

    QDBusConnection bus() const { return m_bus; }
    const Box &box() const { return m_box; }
    // Whether the service runs the simulated box (false when it cannot be asked).
    bool simulated() const;

private:
    ServiceClient(const QDBusConnection &bus, const Box &box);

    QDBusConnection m_bus;
    Box m_box;
};
