// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/UsbXpress.h"

#include <memory>

// The vendor's own USBXpress library (SiUSBXp.dll) behind the ten operations, on Windows. It is
// loaded when the program starts, by the functions' exported names, so nothing of the vendor is
// needed to build the program. Without the library every device query fails, and the program
// reports the box as not connected.
class VendorLibrary final : public UsbXpress
{
public:
    VendorLibrary();
    ~VendorLibrary() override;

    VendorLibrary(const VendorLibrary &) = delete;
    VendorLibrary &operator=(const VendorLibrary &) = delete;

    bool isLoaded() const;

    quint32 getNumDevices(quint32 *count) override;
    quint32 getProductString(quint32 index, char *buffer, quint32 kind) override;
    quint32 open(quint32 index, UsbHandle *handle) override;
    quint32 close(UsbHandle handle) override;
    quint32 read(UsbHandle handle, quint8 *buffer, quint32 wanted, quint32 *got) override;
    quint32 write(
        UsbHandle handle, const quint8 *buffer, quint32 length, quint32 *written) override;
    quint32 getTimeouts(quint32 *readMs, quint32 *writeMs) override;
    quint32 setTimeouts(quint32 readMs, quint32 writeMs) override;
    quint32 flushBuffers(UsbHandle handle, quint8 flushTransmit, quint8 flushReceive) override;
    quint32 checkRxQueue(UsbHandle handle, quint32 *bytesInQueue, quint32 *queueStatus) override;

private:
    struct Api;
    std::unique_ptr<Api> m_api;
};
