// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Feeds arbitrary box replies through the device link, the box client and the signal decoder, and
// arbitrary --usb-id / --usb-option values through the USB settings. The input is a script: each
// exchange takes a control byte (which USB operation fails, if any) and a reply of up to 70 bytes;
// what is left at the end is split into option strings. The checks are the sanitizers' and that
// every command returns.
// clang-format off
// FUZZ_SOURCES: link/DeviceLink.cpp link/Clock.cpp link/HexBytes.cpp link/TraceLine.cpp link/usb/UsbSettings.cpp box/BoxClient.cpp box/BoxResult.cpp box/SignalInfo.cpp box/SignalDescription.cpp protocol/SettingsTable.cpp edid/EdidChecksum.cpp edid/HexText.cpp
// clang-format on
#include "box/BoxClient.h"
#include "box/SignalDescription.h"
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "link/HexBytes.h"
#include "link/usb/UsbSettings.h"

#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

class Quiet : public DeviceWarnings
{
public:
    void deviceWarning(const QString &) override { }
};

// A box whose every answer comes from the fuzzer's input.
class ScriptedUsb : public UsbXpress
{
public:
    ScriptedUsb(VirtualClock &clock, const uint8_t *data, size_t size)
        : m_clock(clock)
        , m_data(data)
        , m_size(size)
    {
    }

    bool exhausted() const { return m_at >= m_size; }

    quint32 getNumDevices(quint32 *count) override
    {
        *count = 1;
        return UsbStatus::Success;
    }
    quint32 getProductString(quint32, char *buffer, quint32) override
    {
        std::strcpy(buffer, "2023");
        return UsbStatus::Success;
    }
    quint32 open(quint32, UsbHandle *handle) override
    {
        *handle = 1;
        return UsbStatus::Success;
    }
    quint32 close(UsbHandle) override { return UsbStatus::Success; }
    quint32 read(UsbHandle, quint8 *buffer, quint32 wanted, quint32 *got) override
    {
        const quint32 n = std::min<quint32>(wanted, quint32(m_pending.size()));
        std::memcpy(buffer, m_pending.constData(), n);
        m_pending.remove(0, int(n));
        // A backend that claims more than it was asked for must not overrun the link's buffer.
        *got = (m_control & 0x40) ? wanted + 7 : n;
        return (m_control & 0x07) == 1 ? UsbStatus::ReadTimedOut : UsbStatus::Success;
    }
    quint32 write(UsbHandle, const quint8 *, quint32 length, quint32 *written) override
    {
        m_control = next();
        const quint32 replyLength = next() % 71;
        m_pending.clear();
        for (quint32 i = 0; i < replyLength && !exhausted(); ++i)
            m_pending.append(char(next()));
        *written = length;
        return (m_control & 0x07) == 2 ? UsbStatus::WriteTimedOut : UsbStatus::Success;
    }
    quint32 getTimeouts(quint32 *readMs, quint32 *writeMs) override
    {
        *readMs = *writeMs = 0;
        return UsbStatus::Success;
    }
    quint32 setTimeouts(quint32, quint32) override { return UsbStatus::Success; }
    quint32 flushBuffers(UsbHandle, quint8, quint8) override { return UsbStatus::Success; }
    quint32 checkRxQueue(UsbHandle, quint32 *bytesInQueue, quint32 *queueStatus) override
    {
        if (queueStatus)
            *queueStatus = 0;
        *bytesInQueue = quint32(m_pending.size());
        if (m_pending.isEmpty())
            m_clock.sleepMs(1000); // a silent box costs a few checks, not four thousand
        return (m_control & 0x07) == 3 ? UsbStatus::DeviceIoFailed : UsbStatus::Success;
    }

private:
    quint8 next() { return m_at < m_size ? m_data[m_at++] : 0; }

    VirtualClock &m_clock;
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
    quint8 m_control = 0;
    QByteArray m_pending;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The last quarter of the input is option text; the rest is the box's side.
    const size_t scriptSize = size - size / 4;
    const QStringList options = QString::fromLatin1(
        reinterpret_cast<const char *>(data) + scriptSize, int(size - scriptSize))
                                    .split(QLatin1Char('\n'));
    UsbSettings settings;
    QString error;
    settings.addIds(options, &error);
    settings.applyOptions(options, &error);

    VirtualClock clock;
    Quiet quiet;
    ScriptedUsb usb(clock, data, scriptSize);
    DeviceLink link(usb, clock, quiet);
    quint32 index = 0;
    if (!link.findDevice(DeviceLink::DEVICE_SERIAL, index) || !link.open(index))
        std::abort();
    BoxClient client(link, clock);

    for (int round = 0; round < 4 && !usb.exhausted(); ++round) {
        BoxClient::Status status;
        client.readStatus(status);
        (void)status.settings();
        const BoxClient::SignalRead signal = client.readSignal();
        const SignalDescription d = SignalDescription::describe(signal.decode());
        if (d.hdrCapture.size() > 3 * SignalDescription::MAX_CAPTURE_BYTES)
            std::abort();
        BoxClient::FirmwareVersion version;
        client.identify(version);
        EdidImage table {};
        client.readEdid(BoxClient::EdidSource(round % 3), table);
        client.writeEdid(table);
        client.sendCec(prepareHexText(QStringLiteral("40:04")));
        client.storeCec(2, prepareHexText(QStringLiteral("50:04")));
        client.loadHdrInfoFrame(prepareHexText(QStringLiteral("02:00:c2:33")));
        client.loadAvi(prepareHexText(QStringLiteral("50:e8:60")));
        client.writeAllRegisters(status.settings());
        client.factoryReset(Settings::Reset::Edid);
    }
    return 0;
}
