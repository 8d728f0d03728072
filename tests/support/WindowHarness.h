// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "session/LinkSetup.h"
#include "sim/SimulatedBox.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/AppServices.h"

#include <QByteArray>
#include <QList>
#include <memory>

class HostedService;
class MainWindow;
class QStatusBar;

// A MainWindow connected to a simulated box, a virtual clock and scripted dialogs.
// Construct, adjust the box if needed, then create() the window (which runs the connect sequence).
class WindowHarness
{
public:
    // How the window reaches the box.
    enum class Route {
        Direct, // the window's own link opens the box
        // The window goes through the service, hosted in this process on the test's private
        // bus (HostedService), which serves the box and the clock below.
        HostedService,
        // The window goes through whatever service runs on the bus (the test started one).
        RunningService,
    };
    // Direct, or HostedService in the window tests' second run (ZELVARIN_WINDOW_THROUGH_SERVICE
    // set, under dbus-run-session): the same tests, the window talking to the box through the
    // service.
    static Route defaultRoute();
    static bool throughService() { return defaultRoute() == Route::HostedService; }

    explicit WindowHarness(Route route = defaultRoute());
    ~WindowHarness();

    MainWindow &create();
    MainWindow &window() { return *m_window; }

    VirtualClock clock;
    SimulatedBox box { clock };
    ScriptedDialogs dialogs;
    DeviceLink link { box, clock, dialogs };
    AppServices services;

    // The status bar's current message.
    QString statusMessage() const;
    // One status-timer tick, as the timer would deliver it.
    void tick();
    // Frames the box received since the last clearFrames(), as upper-case hex like the trace.
    QStringList framesHex() const;
    void clearFrames();

private:
    Route m_route;
    LinkSetup::Options m_serviceOptions; // the window's --simulate
    std::unique_ptr<HostedService> m_service;
    std::unique_ptr<MainWindow> m_window;
};
