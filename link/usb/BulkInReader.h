// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <vector>

struct libusb_context;
struct libusb_device_handle;
struct libusb_transfer;

// The background read of an open device, as the vendor library keeps one: a bulk IN transfer
// always pending, whose data collects in a host-side buffer that the receive-queue check reports
// and reads take from. libusb completes the transfer while somebody handles its events; this
// class does that in its waits, on the caller's thread. A wait blocks in libusb's event handling
// until the transfer comes back or the wait's deadline passes, so a reply (or an unplug) ends it
// at once and a silent device costs no CPU.
class BulkInReader
{
public:
    // Beyond this many buffered bytes the endpoint is left alone until the program reads, so that
    // a chattering device cannot eat the memory.
    static constexpr int kBufferLimit = 64 * 1024;

    BulkInReader(
        libusb_context *ctx, libusb_device_handle *handle, unsigned char endpoint, int packetSize);
    ~BulkInReader();

    BulkInReader(const BulkInReader &) = delete;
    BulkInReader &operator=(const BulkInReader &) = delete;

    // Submits the transfer again unless it is pending, the device is gone, the buffer is full or
    // the reader has stopped. A stalled endpoint is cleared first.
    void keepReading();
    // Handles libusb's events until the transfer comes back (with data, an error or the news that
    // the device is gone) or `waitUs` pass; 0 handles only what is there.
    void handleEvents(int waitUs);
    // Until bytes are buffered (true), or the time-out passes or nothing can come any more
    // (false). `infinite` waits for ever.
    bool waitForData(quint32 timeoutMs, bool infinite);
    // Cancels the transfer for good and waits, bounded, for libusb to give it back.
    void stop();

    bool reading() const { return m_pending; }
    bool gone() const { return m_gone; }
    void markGone() { m_gone = true; }
    int buffered() const { return int(m_buffer.size()); }
    int take(quint8 *out, int max);
    void clear() { m_buffer.clear(); }

    // libusb's completion callback lands here.
    void transferCompleted();

private:
    libusb_context *m_ctx;
    libusb_device_handle *m_handle;
    unsigned char m_endpoint;
    // One packet long: a reply of exactly one full packet carries no short packet to end a
    // longer transfer, and would sit unseen until the next reply pushed it out.
    std::vector<unsigned char> m_transferBuffer;
    libusb_transfer *m_transfer = nullptr;
    QByteArray m_buffer;
    bool m_pending = false;
    bool m_gone = false;
    bool m_stalled = false;
    bool m_stopped = false;
    // Set by the completion callback, so that a wait knows its transfer came back and is not
    // fooled into returning early by other events.
    int m_completed = 0;
};
