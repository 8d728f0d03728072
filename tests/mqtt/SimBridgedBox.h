// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "box/BoxClient.h"
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "sim/SimulatedBox.h"
#include "zelvarind/mqtt/BridgedBox.h"

#include <QHash>
#include <QStringList>

// A box for the bridge that is a real box model: the box client on the simulated box, polled the
// way the window polls (firmware once, then status and signal), on a virtual clock so that a box
// that stops answering costs no real time. poll() is called by the test or benchmark, so what the
// bridge sees changes exactly when they say.
class SimBridgedBox : public BridgedBox
{
    Q_OBJECT

public:
    explicit SimBridgedBox(QObject *parent = nullptr);

    SimulatedBox &sim() { return m_sim; }
    // One poll: opens the box if needed and reads it; changed() when anything differs. False
    // when the box did not answer (it is then unavailable until a poll goes through).
    bool poll();
    // The frames the box received that change something (settings, CEC), as "10 04 E0 00 02".
    QStringList writeFrames() const;

    QString serial() const override { return QString::fromLatin1(DeviceLink::DEVICE_SERIAL); }
    QString model() const override { return QStringLiteral("ZELVARIN 4K HDMI matrix"); }
    QString firmware() const override { return m_firmware; }
    bool available() const override { return m_available; }
    bool busy() const override { return m_busy; }
    QString setting(const QString &name) const override { return m_settings.value(name); }
    QString signalText(SignalLine line) const override { return m_signal.value(int(line)); }
    void setSetting(const QString &name, const QString &value, Done done) override;
    void sendCec(const QString &hex, Done done) override;

private:
    class Warnings : public DeviceWarnings
    {
    public:
        void deviceWarning(const QString &) override { }
    };
    bool lost();

    VirtualClock m_clock;
    SimulatedBox m_sim;
    Warnings m_warnings;
    DeviceLink m_link;
    BoxClient m_client;
    bool m_available = false;
    bool m_busy = false;
    QString m_firmware;
    QHash<QString, QString> m_settings;
    QHash<int, QString> m_signal;
};
