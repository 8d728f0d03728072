// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QThread>

class Clock;
class SimulatedBox;

// The service's core (the box's model and worker, its D-Bus object, the manager) hosted in the
// test's own process, on a connection of its own to the test's private session bus, serving a
// simulated box and a clock the test owns, so that a front end under test goes through the
// service while the test still reads and misbehaves the box and moves the clock. The service
// sends the box nothing of its own (no poll, no probe, no search but a client's), so every frame
// the box receives is the client's. It lives on a thread of its own, as a separate service
// would: a client's blocking call is served while the client waits.
//
// Several may be alive at once (a test that makes a second window): the newest has the service's
// name, and an older one has it back when the newer one goes. A client keeps talking to the one
// that answered it, by its unique name.
class HostedService
{
public:
    HostedService(SimulatedBox &box, Clock &clock);
    ~HostedService();

    // Whether it is on the bus with the service's name.
    bool isRunning() const { return m_running; }

private:
    class Host;

    QThread m_thread;
    Host *m_host = nullptr; // lives on m_thread
    bool m_running = false;
};
