// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "session/LinkSetup.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <memory>

class DeviceLink;
class DeviceWarnings;
class ServiceRelay;

// How the window reaches its box: through the resident service zelvarind when it runs, so that
// scripts can use the box at the same time, otherwise on the USB bus itself. Either way the
// window's link carries the same frames in the same order, says the same warnings and keeps the
// same pauses; only where the frames go differs. The window asks this, never the link, to find,
// open and close its box, and learns from it when the service has lost a relayed box.
class BoxRoute : public QObject
{
    Q_OBJECT

public:
    enum class Opened {
        Yes,
        NotFound, // no box on the bus
        OpenFailed, // a box that did not open (the warning says why)
        Silent, // the service found a box that did not answer; it was not kept
    };

    // `service`: the device options the window was started with, by which the service may be
    // used (ServiceChoice::wanted); nullptr: always the USB bus. Not owned.
    BoxRoute(DeviceLink &link, DeviceWarnings &warnings, const LinkSetup::Options *service,
        QObject *parent = nullptr);
    ~BoxRoute() override;

    // Looks for the box and opens the link to it. `quiet`: nothing is said when there is none
    // (the background search).
    Opened open(bool quiet);
    // Closes the link; `quiet`: saying nothing, as for a vanished box, whose handle may not close
    // cleanly.
    void close(bool quiet);
    bool relayed() const { return m_relay != nullptr; }
    // The service lost the relayed box, or stopped answering: the box counts as lost.
    bool lost() const;

Q_SIGNALS:
    // The service said it lost the relayed box, between two of the window's frames.
    void boxRemoved();

private Q_SLOTS:
    // BoxRemoved(serial, box), taken as a message: the whole message needs no types looked up.
    void serviceRemovedBox(const QDBusMessage &signal);

private:
    void watchService(bool on);

    DeviceLink &m_link;
    DeviceWarnings &m_warnings;
    const LinkSetup::Options *m_service;
    std::unique_ptr<ServiceRelay> m_relay;
    QDBusConnection m_bus { QString() };
    QString m_owner;
    QString m_boxPath;
    bool m_removed = false;
};
