// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/WindowHarness.h"

#include "tests/support/WindowTestAccess.h"
#include "ui/MainWindow.h"

#include <QStatusBar>

WindowHarness::WindowHarness()
{
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
    m_window = std::make_unique<MainWindow>(services);
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
