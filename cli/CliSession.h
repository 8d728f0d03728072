// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "box/BoxClient.h"
#include "cli/ServiceRoute.h"
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "session/LinkSetup.h"

#include <QByteArray>
#include <QString>

#include <memory>

// One run of zelvarinctl against one box: the global options, the device layer and trace they
// ask for, the link and the box client every command talks through.
class CliSession : private DeviceWarnings
{
public:
    struct Globals
    {
        LinkSetup::Options link;
        QByteArray serial; // empty: the first box, as the window picks it
        bool json = false;
        // --simulate=PRESET: the simulated box starts with the settings of this preset file.
        QString simulatedPreset;
        bool direct = false; // open the box even when the service runs
    };

    explicit CliSession(const Globals &globals);
    ~CliSession() override;

    const Globals &globals() const { return m_globals; }
    bool json() const { return m_globals.json; }

    // The device layer and the trace, without looking for a box (list). An exit code: Ok, Usage
    // for a bad USB value or an unwritable trace, BadData for a preset of --simulate=PRESET that
    // cannot be used (already reported).
    int start();
    // start(), then find and open the box (through the service when it runs, ServiceRoute.h,
    // loaded by ServiceModule); BoxFailed (reported) when there is none.
    int connect();

    UsbXpress &usb() { return *m_usb; }
    DeviceLink &link() { return *m_link; }
    BoxClient &box() { return *m_box; }
    Clock &clock() { return m_clock; }

    // connect(), then the box's settings image from a status read; an exit code as connect().
    int connectAndReadSettings(RegisterImage &image);

    // Reports "<what>: <the result's failure>" and returns ExitCode::BoxFailed.
    static int boxFailure(const QString &what, const BoxResult &result);

private:
    // The link's own complaints, which the window shows in message boxes.
    void deviceWarning(const QString &text) override;
    // start(), with the link on no device layer of its own when `relayed` (the service's box).
    int start(bool relayed);
    // start(true), then the link on the relay the service's answer brought, or its failure
    // reported.
    int connectThroughService(const ServiceRoute::Answer &answer);
    // Reports that there is no such box; BoxFailed.
    int notFound() const;

    Globals m_globals;
    SystemClock m_clock;
    LinkSetup m_setup;
    std::unique_ptr<UsbXpress> m_usb;
    std::unique_ptr<DeviceLink::Relay> m_relay; // the way through the service, when taken
    std::unique_ptr<DeviceLink> m_link;
    std::unique_ptr<BoxClient> m_box;
    bool m_quietWarnings = false;
    QString m_lastWarning;
};
