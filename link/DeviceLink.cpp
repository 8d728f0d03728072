// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/DeviceLink.h"

#include "link/Clock.h"
#include "link/DeviceWarnings.h"
#include "link/TraceLine.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace {
// Tests and backends translate nothing here; the texts are the box's own.
QString tr(const char *text)
{
    return QString::fromLatin1(text);
}

QByteArray hexBytes(const quint8 *bytes, quint32 length)
{
    return QByteArray(reinterpret_cast<const char *>(bytes), int(length)).toHex(' ').toUpper();
}
} // namespace

DeviceLink::DeviceLink(UsbXpress &usb, Clock &clock, DeviceWarnings &warnings)
    : m_usb(usb)
    , m_clock(clock)
    , m_warnings(warnings)
{
}

bool DeviceLink::findDevice(QByteArray serial, quint32 &index)
{
    m_deviceHandle = kClosedHandle;

    quint32 count = 0;
    if (m_usb.getNumDevices(&count) != UsbStatus::Success) {
        warn(notConnectedText());
        return false;
    }
    for (quint32 i = 0; i < count; ++i) {
        char buffer[ProductString::kBufferSize] = {};
        if (m_usb.getProductString(i, buffer, ProductString::SerialNumber) != UsbStatus::Success)
            continue;
        // A backend that forgets the terminator must not make us read past the buffer.
        buffer[ProductString::kBufferSize - 1] = '\0';
        if (serial == QByteArray(buffer)) {
            index = i;
            return true;
        }
    }
    warn(notConnectedText());
    return false;
}

QString DeviceLink::notConnectedText()
{
    return tr("ZELVARIN USB not connected!");
}

void DeviceLink::warn(const QString &text)
{
    if (!m_quiet)
        m_warnings.deviceWarning(text);
}

QString DeviceLink::inUseText()
{
    return tr("Another program is using the box: the ZELVARIN Utility window, or a zelvarinctl "
              "that is still running (such as 'zelvarinctl watch'). Close it and try again.");
}

bool DeviceLink::open(quint32 index)
{
    m_queueWarningShown = false;
    const quint32 status = m_usb.open(index, &m_deviceHandle);
    if (status != UsbStatus::Success) {
        warn(status == UsbStatus::DeviceInUse ? inUseText() : tr("Usb device open error!"));
        m_deviceHandle = kClosedHandle;
        return false;
    }
    return true;
}

// A relayed link has no handle of its own; this stands for "open" until close().
namespace {
constexpr UsbHandle kRelayedHandle = 0x7E1A;
}

void DeviceLink::setRelay(Relay *relay)
{
    m_relay = relay;
    m_sequenceDepth = 0;
    m_deviceHandle = relay ? kRelayedHandle : kClosedHandle;
}

void DeviceLink::beginSequence()
{
    if (m_sequenceDepth++ == 0 && m_relay)
        m_relay->beginSequence();
}

void DeviceLink::endSequence()
{
    if (m_sequenceDepth > 0 && --m_sequenceDepth == 0 && m_relay)
        m_relay->endSequence();
}

void DeviceLink::closeQuietly()
{
    const bool wasQuiet = m_quiet;
    m_quiet = true;
    close();
    m_quiet = wasQuiet;
}

void DeviceLink::close()
{
    if (m_relay) {
        m_relay = nullptr;
        m_sequenceDepth = 0;
        m_deviceHandle = kClosedHandle;
        return;
    }
    if (m_deviceHandle != kClosedHandle) {
        if (m_usb.close(m_deviceHandle) != UsbStatus::Success)
            warn(tr("Unable to close device handle!"));
    }
    m_deviceHandle = kClosedHandle;
}

bool DeviceLink::readRaw(quint8 *buffer, quint32 length, quint32 &bytesRead, quint32 timeoutMs)
{
    return readWithTimeout(buffer, length, bytesRead, timeoutMs) == UsbStatus::Success;
}

bool DeviceLink::writeRaw(
    const quint8 *buffer, quint32 length, quint32 &bytesWritten, quint32 timeoutMs)
{
    return writeWithTimeout(buffer, length, bytesWritten, timeoutMs) == UsbStatus::Success;
}

quint32 DeviceLink::readWithTimeout(
    quint8 *buffer, quint32 length, quint32 &bytesRead, quint32 timeoutMs)
{
    quint32 keptRead = 0, keptWrite = 0;
    m_usb.getTimeouts(&keptRead, &keptWrite);
    m_usb.setTimeouts(timeoutMs, 0);
    const quint32 status = m_usb.read(m_deviceHandle, buffer, length, &bytesRead);
    m_usb.setTimeouts(keptRead, keptWrite);
    return status;
}

quint32 DeviceLink::writeWithTimeout(
    const quint8 *buffer, quint32 length, quint32 &bytesWritten, quint32 timeoutMs)
{
    quint32 keptRead = 0, keptWrite = 0;
    m_usb.getTimeouts(&keptRead, &keptWrite);
    m_usb.setTimeouts(0, timeoutMs);
    const quint32 status = m_usb.write(m_deviceHandle, buffer, length, &bytesWritten);
    m_usb.setTimeouts(keptRead, keptWrite);
    return status;
}

bool DeviceLink::transact(
    Reply &reply, const quint8 *request, quint32 minReplyLength, quint8 requestLength)
{
    const quint32 t0 = m_clock.tickMs();
    m_transactionBusy = true;
    m_outcome = Outcome {};
    traceRequest(request, requestLength);

    // With no box, or with a box that stays silent, there is no reply: that is a failure, never
    // a success with whatever an earlier exchange left in the caller's buffer.
    if (m_deviceHandle == kClosedHandle)
        return finish(Outcome::NotOpen, UsbStatus::Success, nullptr, 0);

    if (m_relay) {
        Outcome relayed;
        QStringList warnings;
        quint8 local[MAX_REPLY] = {};
        Reply got {};
        m_relay->transact(request, requestLength, minReplyLength, got, relayed, warnings);
        for (const QString &text : warnings)
            m_warnings.deviceWarning(text);
        const quint32 length = std::min<quint32>(relayed.replyLength, MAX_REPLY);
        std::memcpy(local, got.data(), length);
        std::memcpy(reply.data(), local, length);
        return finish(relayed.kind, relayed.usbStatus, local, length);
    }

    // Whatever an earlier exchange left behind must not be taken for this reply.
    m_usb.flushBuffers(m_deviceHandle, 1, 1);

    quint32 written = 0;
    const quint32 writeStatus
        = writeWithTimeout(request, requestLength, written, TRANSACTION_TIMEOUT_MS);
    if (writeStatus != UsbStatus::Success)
        return finish(Outcome::WriteFailed, writeStatus, nullptr, 0);

    // A queue that cannot be checked will not answer the next check either (the box is usually
    // gone): the first failure ends the transaction, and one warning stands for the whole
    // disconnection rather than one per check.
    quint32 waiting = 0;
    while (waiting == 0 && quint32(m_clock.tickMs() - t0) < TRANSACTION_TIMEOUT_MS) {
        quint32 queueStatus = 0;
        const quint32 status = m_usb.checkRxQueue(m_deviceHandle, &waiting, &queueStatus);
        if (status != UsbStatus::Success) {
            if (!m_queueWarningShown)
                m_warnings.deviceWarning(tr("Error Checking RX Queue"));
            m_queueWarningShown = true;
            return finish(Outcome::QueueFailed, status, nullptr, 0);
        }
    }
    if (waiting == 0)
        return finish(Outcome::NoReply, UsbStatus::Success, nullptr, 0); // the box stayed silent

    quint32 got = 0;
    quint8 local[MAX_REPLY] = {};
    const quint32 readStatus = readWithTimeout(local, MAX_REPLY, got, TRANSACTION_TIMEOUT_MS);
    if (got > MAX_REPLY)
        got = MAX_REPLY; // never trust a backend to stay within the buffer
    std::memcpy(reply.data(), local, got);
    if (readStatus != UsbStatus::Success)
        return finish(Outcome::ReadFailed, readStatus, local, got);
    if (got < minReplyLength)
        return finish(Outcome::ShortReply, UsbStatus::Success, local, got);
    return finish(Outcome::Ok, UsbStatus::Success, local, got);
}

bool DeviceLink::finish(Outcome::Kind kind, quint32 usbStatus, const quint8 *reply, quint32 length)
{
    m_outcome.kind = kind;
    m_outcome.usbStatus = usbStatus;
    m_outcome.replyLength = length;
    const bool ok = kind == Outcome::Ok;
    if (ok)
        m_queueWarningShown = false; // the box answers again: a new loss deserves a new warning
    traceReply(reply, length, ok);
    m_transactionBusy = false;
    return ok;
}

void DeviceLink::traceNote(const QString &text)
{
    if (!m_trace)
        return;
    TraceLine::write(m_trace, "# " + text.toUtf8());
}

void DeviceLink::traceRequest(const quint8 *request, quint8 length)
{
    if (!m_trace)
        return;
    // Flushed with its reply.
    TraceLine::write(m_trace, TraceLine::stamp() + " > " + hexBytes(request, length), false);
}

void DeviceLink::traceReply(const quint8 *reply, quint32 length, bool result)
{
    if (!m_trace)
        return;
    const QByteArray bytes = length > 0 ? hexBytes(reply, length) : QByteArray("(no reply)");
    TraceLine::write(m_trace, TraceLine::stamp() + " < " + bytes + (result ? " ok" : " failed"));
}
