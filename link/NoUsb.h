// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/UsbXpress.h"

// A device layer that sees no devices: used where no USB backend is available, so that the
// program starts, reports the missing box and stays usable.
class NoUsb final : public UsbXpress
{
public:
    quint32 getNumDevices(quint32 *count) override
    {
        *count = 0;
        return UsbStatus::Success;
    }
    quint32 getProductString(quint32, char *buffer, quint32) override
    {
        buffer[0] = '\0';
        return UsbStatus::DeviceNotFound;
    }
    quint32 open(quint32, UsbHandle *) override { return UsbStatus::DeviceNotFound; }
    quint32 close(UsbHandle) override { return UsbStatus::InvalidHandle; }
    quint32 read(UsbHandle, quint8 *, quint32, quint32 *got) override
    {
        *got = 0;
        return UsbStatus::InvalidHandle;
    }
    quint32 write(UsbHandle, const quint8 *, quint32, quint32 *written) override
    {
        *written = 0;
        return UsbStatus::InvalidHandle;
    }
    quint32 getTimeouts(quint32 *readMs, quint32 *writeMs) override
    {
        *readMs = m_read;
        *writeMs = m_write;
        return UsbStatus::Success;
    }
    quint32 setTimeouts(quint32 readMs, quint32 writeMs) override
    {
        m_read = readMs;
        m_write = writeMs;
        return UsbStatus::Success;
    }
    quint32 flushBuffers(UsbHandle, quint8, quint8) override { return UsbStatus::InvalidHandle; }
    quint32 checkRxQueue(UsbHandle, quint32 *bytes, quint32 *) override
    {
        *bytes = 0;
        return UsbStatus::InvalidHandle;
    }

private:
    quint32 m_read = kInfiniteTimeout;
    quint32 m_write = kInfiniteTimeout;
};
