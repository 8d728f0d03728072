// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/usb/BulkOutWriter.h"

#include <libusb.h>

namespace {

// Rounds of failing event handling after the cancel before the wait gives up on the transfer.
constexpr int kMaxFailedRounds = 100;

void LIBUSB_CALL transferDone(libusb_transfer *transfer)
{
    if (auto *completed = static_cast<int *>(transfer->user_data))
        *completed = 1;
}

// The transfer's end as libusb_bulk_transfer reports it.
int resultOf(const libusb_transfer &transfer)
{
    switch (transfer.status) {
    case LIBUSB_TRANSFER_COMPLETED:
        return LIBUSB_SUCCESS;
    case LIBUSB_TRANSFER_TIMED_OUT:
        return LIBUSB_ERROR_TIMEOUT;
    case LIBUSB_TRANSFER_STALL:
        return LIBUSB_ERROR_PIPE;
    case LIBUSB_TRANSFER_NO_DEVICE:
        return LIBUSB_ERROR_NO_DEVICE;
    case LIBUSB_TRANSFER_OVERFLOW:
        return LIBUSB_ERROR_OVERFLOW;
    default:
        return LIBUSB_ERROR_IO;
    }
}

} // namespace

BulkOutWriter::BulkOutWriter(
    libusb_context *ctx, libusb_device_handle *handle, unsigned char endpoint, int packetSize)
    : m_ctx(ctx)
    , m_handle(handle)
    , m_endpoint(endpoint)
    , m_packetSize(packetSize > 0 ? packetSize : 64)
{
}

int BulkOutWriter::write(
    const quint8 *data, int length, unsigned int timeoutMs, bool zeroPacket, int *transferred)
{
    const bool wholePackets = length % m_packetSize == 0;
    m_ending = !wholePackets ? Ending::ShortPacket
        : zeroPacket         ? Ending::ZeroPacketAdded
                             : Ending::NoZeroPacket;
    if (m_ending == Ending::ZeroPacketAdded && m_addingRefused == 0) {
        // libusb says NOT_SUPPORTED where it cannot add the packet; a kernel too old to know the
        // flag refuses the URB (IO). Either way nothing went, and the packet can go on its own.
        bool submitted = false;
        const int r = transfer(
            data, length, timeoutMs, LIBUSB_TRANSFER_ADD_ZERO_PACKET, transferred, &submitted);
        if (submitted || r == LIBUSB_SUCCESS || r == LIBUSB_ERROR_NO_DEVICE)
            return r;
        m_addingRefused = r;
    }
    if (m_ending == Ending::ZeroPacketAdded)
        m_ending = Ending::ZeroPacketOfItsOwn;
    int r = transfer(data, length, timeoutMs, 0, transferred);
    if (r == LIBUSB_SUCCESS && m_ending == Ending::ZeroPacketOfItsOwn) {
        int none = 0;
        r = transfer(data, 0, timeoutMs, 0, &none);
    }
    return r;
}

QByteArray BulkOutWriter::endingNote() const
{
    switch (m_ending) {
    case Ending::ZeroPacketAdded:
        return "ended with a zero-length packet (zero-packet=on)";
    case Ending::ZeroPacketOfItsOwn:
        return QByteArray("ended with a zero-length packet of its own (zero-packet=on; it could "
                          "not be added to the transfer: ")
            + libusb_error_name(m_addingRefused) + ')';
    case Ending::NoZeroPacket:
        return "is whole packets and has no zero-length packet after it (zero-packet=off)";
    case Ending::ShortPacket:
        break;
    }
    return {};
}

int BulkOutWriter::transfer(const quint8 *data, int length, unsigned int timeoutMs,
    unsigned char flags, int *transferred, bool *submitted)
{
    *transferred = 0;
    if (submitted)
        *submitted = false;
    libusb_transfer *t = libusb_alloc_transfer(0);
    if (!t)
        return LIBUSB_ERROR_NO_MEM;
    int completed = 0;
    libusb_fill_bulk_transfer(t, m_handle, m_endpoint, const_cast<quint8 *>(data), length,
        transferDone, &completed, timeoutMs);
    t->flags = flags;
    int r = libusb_submit_transfer(t);
    if (r != LIBUSB_SUCCESS) {
        libusb_free_transfer(t);
        return r;
    }
    if (submitted)
        *submitted = true;
    // Waits as libusb's own synchronous calls do. Should event handling fail, the transfer is
    // cancelled and its return awaited; one that never comes back is disowned rather than freed
    // while libusb still holds it.
    int failedRounds = 0;
    while (!completed) {
        r = libusb_handle_events_completed(m_ctx, &completed);
        if (r == LIBUSB_SUCCESS || r == LIBUSB_ERROR_INTERRUPTED)
            continue;
        if (failedRounds++ == 0) {
            libusb_cancel_transfer(t);
        } else if (failedRounds > kMaxFailedRounds) {
            t->user_data = nullptr;
            return r;
        }
    }
    *transferred = t->actual_length;
    r = resultOf(*t);
    libusb_free_transfer(t);
    return r;
}
