// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <algorithm>

// The ten operations of the vendor's USBXpress library, as the program uses them. Every device
// layer (the vendor DLL on Windows, libusb elsewhere, the simulated box) offers exactly these, with
// the vendor's status codes, so that DeviceLink is written once against this interface.

using UsbHandle = quintptr;
// The vendor library hands out HANDLEs; all-ones is its "no handle" value.
constexpr UsbHandle kClosedHandle = ~UsbHandle(0);

namespace UsbStatus {
enum : quint32 {
    Success = 0x00,
    InvalidHandle = 0x01,
    ReadError = 0x02,
    RxQueueNotReady = 0x03,
    WriteError = 0x04,
    ResetError = 0x05,
    InvalidParameter = 0x06,
    InvalidRequestLength = 0x07,
    DeviceIoFailed = 0x08,
    FunctionNotSupported = 0x0A,
    SystemErrorCode = 0x0C,
    ReadTimedOut = 0x0D,
    WriteTimedOut = 0x0E,
    DeviceNotFound = 0xFF,
    // Not one of the vendor's codes: the device is there but another program holds it (libusb's
    // "busy" on claiming the interface). Told apart so the user hears what to do about it.
    DeviceInUse = 0x100,
};
}

namespace ProductString {
enum : quint32 {
    SerialNumber = 0x00,
    Description = 0x01,
    LinkName = 0x02,
    Vid = 0x03,
    Pid = 0x04,
};
constexpr int kBufferSize = 256; // the vendor's SI_MAX_DEVICE_STRLEN

// Copies `text` into a product-string buffer the way the vendor library fills it: cut to fit and
// always NUL-terminated.
inline void fill(char *buffer, const QByteArray &text)
{
    const int n = std::min<int>(int(text.size()), kBufferSize - 1);
    std::copy_n(text.constData(), n, buffer);
    buffer[n] = '\0';
}
} // namespace ProductString

// The vendor's "wait for ever" time-out value.
constexpr quint32 kInfiniteTimeout = 0xFFFFFFFFu;

class UsbXpress
{
public:
    virtual ~UsbXpress() = default;

    virtual quint32 getNumDevices(quint32 *count) = 0;
    // Fills `buffer` (ProductString::kBufferSize bytes) with a NUL-terminated string.
    virtual quint32 getProductString(quint32 index, char *buffer, quint32 kind) = 0;
    virtual quint32 open(quint32 index, UsbHandle *handle) = 0;
    virtual quint32 close(UsbHandle handle) = 0;
    virtual quint32 read(UsbHandle handle, quint8 *buffer, quint32 wanted, quint32 *got) = 0;
    virtual quint32 write(UsbHandle handle, const quint8 *buffer, quint32 length, quint32 *written)
        = 0;
    // Time-outs are process-wide, in milliseconds, as in the vendor library.
    virtual quint32 getTimeouts(quint32 *readMs, quint32 *writeMs) = 0;
    virtual quint32 setTimeouts(quint32 readMs, quint32 writeMs) = 0;
    virtual quint32 flushBuffers(UsbHandle handle, quint8 flushTransmit, quint8 flushReceive) = 0;
    // Reports the bytes waiting on the host side. When nothing is queued a backend may wait a
    // bounded while for bytes to arrive (the libusb backend sleeps until its read comes back, up
    // to its queue-wait slice), returning as soon as they do, so that a caller polling it does
    // not spin a core.
    virtual quint32 checkRxQueue(UsbHandle handle, quint32 *bytesInQueue, quint32 *queueStatus) = 0;
};
