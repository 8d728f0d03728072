// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/mqtt/SimBridgedBox.h"

#include "box/SignalDescription.h"
#include "link/HexBytes.h"
#include "protocol/Frames.h"
#include "protocol/PacketRules.h"
#include "protocol/SettingsTable.h"

SimBridgedBox::SimBridgedBox(QObject *parent)
    : BridgedBox(parent)
    , m_sim(m_clock)
    , m_link(m_sim, m_clock, m_warnings)
    , m_client(m_link, m_clock)
{
    m_sim.setRecording(true);
}

bool SimBridgedBox::lost()
{
    m_link.close();
    if (m_available) {
        m_available = false;
        Q_EMIT changed();
    }
    return false;
}

bool SimBridgedBox::poll()
{
    if (!m_link.isOpen()) {
        quint32 index = 0;
        m_link.setQuiet(true);
        if (!m_link.findDevice(DeviceLink::DEVICE_SERIAL, index) || !m_link.open(index))
            return lost();
        m_firmware.clear();
    }
    QString firmware = m_firmware;
    if (firmware.isEmpty()) {
        BoxClient::FirmwareVersion version;
        if (!m_client.identify(version).ok())
            return lost();
        firmware = version.dotted();
    }
    BoxClient::Status status;
    if (!m_client.readStatus(status).ok())
        return lost();
    const BoxClient::SignalRead signal = m_client.readSignal();
    if (!signal.ok())
        return lost();

    QHash<QString, QString> settings;
    const RegisterImage image = status.settings();
    for (const Settings::Setting &s : Settings::all())
        settings.insert(QLatin1String(s.name), Settings::valueName(s, image[s.position]));
    const SignalDescription words = SignalDescription::describe(signal.decode());
    const QHash<int, QString> lines {
        { int(SignalLine::Source), words.sourceLine },
        { int(SignalLine::Video), words.videoLine },
        { int(SignalLine::Colour), words.colourLine },
        { int(SignalLine::Hdr), words.hdrLine },
        { int(SignalLine::HdrInfoFrame),
            words.hdrCapture.isEmpty() ? QStringLiteral("none") : words.hdrCapture },
    };
    const bool same = m_available && firmware == m_firmware && status.busy() == m_busy
        && settings == m_settings && lines == m_signal;
    m_available = true;
    m_firmware = firmware;
    m_busy = status.busy();
    m_settings = settings;
    m_signal = lines;
    if (!same)
        Q_EMIT changed();
    return true;
}

QStringList SimBridgedBox::writeFrames() const
{
    QStringList frames;
    for (const QByteArray &frame : m_sim.receivedFrames()) {
        const quint8 code = frame.size() > 2 ? quint8(frame.at(2)) : 0;
        if (frame.isEmpty() || quint8(frame.at(0)) != FRAME_WRITE)
            continue;
        if (code == CODE_REGISTERS || code == CODE_CEC_SEND || code == CODE_ACTIVATE)
            frames << QString::fromLatin1(frame.toHex(' ').toUpper());
    }
    return frames;
}

void SimBridgedBox::setSetting(const QString &name, const QString &value, Done done)
{
    const Settings::Setting *s = Settings::find(name);
    const std::optional<quint8> v = s ? Settings::valueOf(*s, value) : std::nullopt;
    if (!v) {
        done(Result::failure(QStringLiteral("no setting %1=%2").arg(name, value)));
        return;
    }
    const BoxResult r = m_client.writeSetting(s->id, *v);
    if (!r.ok()) {
        done(Result::failure(r.describe()));
        return;
    }
    m_settings.insert(name, value);
    Q_EMIT changed();
    done(Result::success());
}

void SimBridgedBox::sendCec(const QString &hex, Done done)
{
    const QByteArray prepared = prepareHexText(hex);
    if (!PacketRules::fitsCecSend(int(prepared.size()))) {
        done(Result::failure(QStringLiteral("a CEC message of the wrong length")));
        return;
    }
    const BoxClient::PacketResult r = m_client.sendCec(prepared);
    done(r.ok() ? Result::success()
                : Result::failure((r.load.ok() ? r.activate : r.load).describe()));
}
