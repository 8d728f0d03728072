// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QtGlobal>

struct libusb_context;
struct libusb_device_handle;

// The bulk OUT side of an open device. One write is one transfer, finished before write()
// returns; libusb's events are handled on the caller's thread meanwhile, so the background read
// goes on completing as well. A device whose library ends a transfer only on a short packet would
// take a write of a whole number of packets for the start of a longer one and wait for the rest,
// so such a write can be ended with a zero-length packet: added to the transfer by libusb where it
// can (Linux), sent as a transfer of its own where libusb or the kernel cannot.
class BulkOutWriter
{
public:
    // How the last write ended.
    enum class Ending {
        ShortPacket, // its last packet was short: that ends it
        ZeroPacketAdded, // libusb added a zero-length packet to the transfer
        ZeroPacketOfItsOwn, // libusb cannot add one here: it went as a transfer of its own
        NoZeroPacket, // a whole number of packets, and none was asked for
    };

    BulkOutWriter(
        libusb_context *ctx, libusb_device_handle *handle, unsigned char endpoint, int packetSize);

    // Returns 0 or a LIBUSB_ERROR code, as libusb_bulk_transfer does; *transferred counts the
    // bytes of `data` that went. `zeroPacket`: end a whole number of packets with a zero-length
    // one.
    int write(
        const quint8 *data, int length, unsigned int timeoutMs, bool zeroPacket, int *transferred);
    // How the last write ended, for the trace, when it was whole packets: "ended with a ...".
    QByteArray endingNote() const;

private:
    // One transfer, waited for; *submitted tells whether it got as far as the device.
    int transfer(const quint8 *data, int length, unsigned int timeoutMs, unsigned char flags,
        int *transferred, bool *submitted = nullptr);

    libusb_context *m_ctx;
    libusb_device_handle *m_handle;
    unsigned char m_endpoint;
    int m_packetSize;
    int m_addingRefused = 0; // once refused, libusb is not asked again
    Ending m_ending = Ending::ShortPacket;
};
