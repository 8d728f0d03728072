// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "sim/SimulatedBox.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/AppServices.h"

#include <QByteArray>
#include <QList>
#include <memory>

class MainWindow;
class QStatusBar;

// A MainWindow connected to a simulated box, a virtual clock and scripted dialogs.
// Construct, adjust the box if needed, then create() the window (which runs the connect sequence).
class WindowHarness
{
public:
    WindowHarness();
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
    std::unique_ptr<MainWindow> m_window;
};
