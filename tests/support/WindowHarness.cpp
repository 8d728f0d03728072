// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/WindowHarness.h"

#include "tests/support/HostedService.h"
#include "tests/support/WindowTestAccess.h"
#include "ui/MainWindow.h"

#include <QStatusBar>

WindowHarness::Route WindowHarness::defaultRoute()
{
    return qEnvironmentVariableIsSet("ZELVARIN_WINDOW_THROUGH_SERVICE") ? Route::HostedService
                                                                        : Route::Direct;
}

WindowHarness::WindowHarness(Route route)
    : m_route(route)
{
    m_serviceOptions.simulate = true;
    // The tests look at the frames and calls the box received.
    box.setRecording(true);
    services.link = &link;
    services.dialogs = &dialogs;
    services.clock = &clock;
    services.displayScale = 1.0f;
}

WindowHarness::~WindowHarness() = default;

MainWindow &WindowHarness::create()
{
    // The service starts with the window, so that it meets the box as the test left it.
    if (m_route == Route::HostedService && !m_service) {
        m_service = std::make_unique<HostedService>(box, clock);
        if (!m_service->isRunning())
            qFatal("the hosted service did not start: is there a session bus?");
    }
    if (m_route != Route::Direct)
        services.service = &m_serviceOptions;
    m_window = std::make_unique<MainWindow>(services);
    // A window that quietly opened the box itself would pass every test without the service.
    if (m_route != Route::Direct && link.isOpen() && !link.isRelayed())
        qFatal("the window opened the box itself instead of going through the service");
    return *m_window;
}

QString WindowHarness::statusMessage() const
{
    return m_window ? m_window->statusBar()->currentMessage() : QString();
}

void WindowHarness::tick()
{
    WindowTestAccess::tick(*m_window);
}

QStringList WindowHarness::framesHex() const
{
    QStringList out;
    for (const QByteArray &f : box.receivedFrames())
        out << QString::fromLatin1(f.toHex(' ').toUpper());
    return out;
}

void WindowHarness::clearFrames()
{
    box.clearReceivedFrames();
}
