// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/SimulatedBox.h"

#include "link/Clock.h"
#include "sim/BoxFactory.h"

#include <algorithm>

SimulatedBox::SimulatedBox(Clock &clock)
    : m_clock(clock)
    , m_firmware(clock)
{
    m_serials = { QByteArrayLiteral("2023") };
}

SimulatedBox::~SimulatedBox() = default;

// --- the ten operations -----------------------------------------------------------------------

bool SimulatedBox::injectedFailure(Operation op, quint32 *status)
{
    auto it = m_failures.find(int(op));
    if (it == m_failures.end() || it->times == 0)
        return false;
    *status = it->status;
    if (it->times > 0)
        --it->times;
    return true;
}

bool SimulatedBox::handleValid(UsbHandle handle) const
{
    return m_openHandle != kClosedHandle && handle == m_openHandle;
}

quint32 SimulatedBox::getNumDevices(quint32 *count)
{
    log(QStringLiteral("GetNumDevices"));
    quint32 status;
    if (injectedFailure(Operation::GetNumDevices, &status)) {
        *count = 0;
        return status;
    }
    *count = quint32(m_serials.size());
    return UsbStatus::Success;
}

quint32 SimulatedBox::getProductString(quint32 index, char *buffer, quint32 kind)
{
    log(QStringLiteral("GetProductString"));
    if (!buffer)
        return UsbStatus::InvalidParameter;
    buffer[0] = '\0';
    quint32 status;
    if (injectedFailure(Operation::GetProductString, &status))
        return status;
    if (index >= quint32(m_serials.size()) || m_failingProductStrings.contains(index))
        return UsbStatus::DeviceNotFound;

    QByteArray text;
    switch (kind) {
    case ProductString::SerialNumber:
        text = m_serials.at(int(index));
        break;
    case ProductString::Description:
        text = QByteArrayLiteral("ZELVARIN");
        break;
    case ProductString::LinkName:
        text = QByteArrayLiteral("sim:zelvarin#") + QByteArray::number(index);
        break;
    case ProductString::Vid:
        text = QByteArrayLiteral("10C4");
        break;
    case ProductString::Pid:
        text = QByteArrayLiteral("EA61");
        break;
    default:
        return UsbStatus::InvalidParameter;
    }
    ProductString::fill(buffer, text);
    return UsbStatus::Success;
}

quint32 SimulatedBox::open(quint32 index, UsbHandle *handle)
{
    log(QStringLiteral("Open"));
    quint32 status;
    if (injectedFailure(Operation::Open, &status))
        return status;
    if (!handle)
        return UsbStatus::InvalidParameter;
    if (index >= quint32(m_serials.size()))
        return UsbStatus::DeviceNotFound;
    // The device can be opened by one user at a time, as the real one.
    if (m_openHandle != kClosedHandle)
        return UsbStatus::DeviceIoFailed;
    m_openHandle = m_nextHandle++;
    setPending({});
    *handle = m_openHandle;
    return UsbStatus::Success;
}

quint32 SimulatedBox::close(UsbHandle handle)
{
    log(QStringLiteral("Close"));
    quint32 status;
    if (injectedFailure(Operation::Close, &status))
        return status;
    if (!handleValid(handle))
        return UsbStatus::InvalidHandle;
    m_openHandle = kClosedHandle;
    setPending({});
    return UsbStatus::Success;
}

quint32 SimulatedBox::read(UsbHandle handle, quint8 *buffer, quint32 wanted, quint32 *got)
{
    log(QStringLiteral("Read"));
    *got = 0;
    quint32 status;
    if (injectedFailure(Operation::Read, &status))
        return status;
    if (!handleValid(handle))
        return UsbStatus::InvalidHandle;
    if (m_pending.isEmpty())
        return UsbStatus::ReadTimedOut;
    const quint32 n = std::min<quint32>(wanted, quint32(m_pending.size()));
    std::copy_n(reinterpret_cast<const quint8 *>(m_pending.constData()), n, buffer);
    setPending(m_pending.mid(int(n)));
    *got = n;
    return UsbStatus::Success;
}

quint32 SimulatedBox::write(
    UsbHandle handle, const quint8 *buffer, quint32 length, quint32 *written)
{
    log(QStringLiteral("Write"));
    *written = 0;
    if (m_writeHook)
        m_writeHook();
    quint32 status;
    // A failed write never reached the box: nothing is recorded and nothing is answered.
    if (injectedFailure(Operation::Write, &status))
        return status;
    if (!handleValid(handle))
        return UsbStatus::InvalidHandle;
    const QByteArray frame(reinterpret_cast<const char *>(buffer), int(length));
    if (m_recording)
        m_frames.append(frame);
    *written = length;
    setPending(m_pending + m_firmware.answer(frame));
    return UsbStatus::Success;
}

quint32 SimulatedBox::getTimeouts(quint32 *readMs, quint32 *writeMs)
{
    log(QStringLiteral("GetTimeouts"));
    quint32 status;
    if (injectedFailure(Operation::GetTimeouts, &status))
        return status;
    *readMs = m_readTimeout;
    *writeMs = m_writeTimeout;
    return UsbStatus::Success;
}

quint32 SimulatedBox::setTimeouts(quint32 readMs, quint32 writeMs)
{
    if (m_recording) // the entry is formatted, so build it only when it is kept
        log(QStringLiteral("SetTimeouts %1 %2").arg(readMs).arg(writeMs));
    quint32 status;
    if (injectedFailure(Operation::SetTimeouts, &status))
        return status;
    m_readTimeout = readMs;
    m_writeTimeout = writeMs;
    return UsbStatus::Success;
}

quint32 SimulatedBox::flushBuffers(UsbHandle handle, quint8, quint8 flushReceive)
{
    log(QStringLiteral("Flush"));
    quint32 status;
    if (injectedFailure(Operation::Flush, &status))
        return status;
    if (!handleValid(handle))
        return UsbStatus::InvalidHandle;
    if (flushReceive)
        setPending({});
    return UsbStatus::Success;
}

quint32 SimulatedBox::checkRxQueue(UsbHandle handle, quint32 *bytesInQueue, quint32 *queueStatus)
{
    log(QStringLiteral("CheckRxQueue"));
    *bytesInQueue = 0;
    if (queueStatus)
        *queueStatus = 0;
    // A driver waits a little before it reports a failure; so does the simulation, so that a
    // poller of a failing box sees the clock move (and, on the system clock, does not spin a
    // core).
    quint32 status;
    if (injectedFailure(Operation::CheckRxQueue, &status)) {
        m_clock.sleepMs(1);
        return status;
    }
    if (!handleValid(handle)) {
        m_clock.sleepMs(1);
        return UsbStatus::InvalidHandle;
    }
    // An empty queue is looked at again after a wait that ends as soon as a reply is there, as
    // the libusb backend's wait for its read does; a silent box then costs a poller a check per
    // slice rather than one per millisecond.
    if (m_pending.isEmpty())
        m_clock.wait(m_queueWaitMs, m_replyReady);
    if (m_pending.isEmpty())
        return UsbStatus::Success;
    *bytesInQueue = quint32(m_pending.size());
    if (queueStatus)
        *queueStatus = 0x02; // the vendor's "receive ready"
    return UsbStatus::Success;
}

void SimulatedBox::setPending(const QByteArray &bytes)
{
    m_pending = bytes;
    if (m_pending.isEmpty())
        m_replyReady.clear();
    else
        m_replyReady.raise();
}

// --- misbehaviour of the operations -------------------------------------------------------------

void SimulatedBox::failNext(Operation op, quint32 status, int times)
{
    m_failures[int(op)] = Failure { status, std::max(0, times) };
}

void SimulatedBox::failAlways(Operation op, quint32 status)
{
    m_failures[int(op)] = Failure { status, status == UsbStatus::Success ? 0 : -1 };
}

void SimulatedBox::resetMisbehaviour()
{
    m_failures.clear();
    m_failingProductStrings.clear();
    m_firmware.resetMisbehaviour();
}

RegisterImage SimulatedBox::defaultStatusBlock()
{
    return BoxFactory::statusBlock();
}
