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

    // The bus the service's name is on, if any.
    static std::optional<QDBusConnection> findService();

    explicit ServiceClient(const QDBusConnection &bus);

    // Whether the service runs the simulated box (false when it cannot be asked).
    bool simulated() const;
    // The connected box with this serial ("" for the first one).
    Box box(const QString &serial) const;

    QDBusConnection bus() const { return m_bus; }

private:
    QDBusConnection m_bus;
};
