// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/usb/BulkInReader.h"

#include <libusb.h>

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Longest single wait inside waitForData, so that a stalled endpoint is cleared in good time.
constexpr int kMaxWaitUs = 100 * 1000;
constexpr auto kCancelWait = std::chrono::milliseconds(1000);

void LIBUSB_CALL transferDone(libusb_transfer *transfer)
{
    static_cast<BulkInReader *>(transfer->user_data)->transferCompleted();
}

} // namespace

BulkInReader::BulkInReader(
    libusb_context *ctx, libusb_device_handle *handle, unsigned char endpoint, int packetSize)
    : m_ctx(ctx)
    , m_handle(handle)
    , m_endpoint(endpoint)
    , m_transferBuffer(size_t(packetSize > 0 ? packetSize : 64))
    , m_transfer(libusb_alloc_transfer(0))
{
    if (m_transfer)
        libusb_fill_bulk_transfer(m_transfer, m_handle, m_endpoint, m_transferBuffer.data(),
            int(m_transferBuffer.size()), transferDone, this, 0);
}

BulkInReader::~BulkInReader()
{
    // A transfer that never came back after stop() has been disowned by libusb_close, and the
    // closed descriptor means nothing writes into its buffer any more; only freeing the transfer
    // itself would be unsafe, so in that one case it is left allocated.
    if (m_transfer && !m_pending)
        libusb_free_transfer(m_transfer);
}

void BulkInReader::transferCompleted()
{
    m_completed = 1;
    m_pending = false;
    switch (m_transfer->status) {
    case LIBUSB_TRANSFER_COMPLETED:
        m_buffer.append(
            reinterpret_cast<const char *>(m_transfer->buffer), m_transfer->actual_length);
        // Resubmitting at once keeps the endpoint read without a gap between two packets.
        keepReading();
        break;
    case LIBUSB_TRANSFER_NO_DEVICE:
        m_gone = true;
        break;
    case LIBUSB_TRANSFER_STALL:
        m_stalled = true;
        break;
    default:
        break; // cancelled, timed out, overflow, error: the next keepReading() starts it again
    }
}

void BulkInReader::keepReading()
{
    if (!m_transfer || m_pending || m_gone || m_stopped || m_buffer.size() >= kBufferLimit)
        return;
    if (m_stalled) {
        m_stalled = false;
        if (libusb_clear_halt(m_handle, m_endpoint) == LIBUSB_ERROR_NO_DEVICE)
            m_gone = true;
    }
    if (m_gone)
        return;
    const int r = libusb_submit_transfer(m_transfer);
    m_pending = r == LIBUSB_SUCCESS;
    m_gone = r == LIBUSB_ERROR_NO_DEVICE;
}

void BulkInReader::handleEvents(int waitUs)
{
    // One round of libusb's event handling returns on any event it saw, or when the wait is
    // over; the loop carries on to the deadline unless it was our transfer that came back.
    m_completed = 0;
    const auto deadline = Clock::now() + std::chrono::microseconds(waitUs);
    for (;;) {
        const auto left
            = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now())
                  .count();
        const long long us = std::max<long long>(left, 0);
        timeval tv { time_t(us / 1000000), suseconds_t(us % 1000000) };
        if (libusb_handle_events_timeout_completed(m_ctx, &tv, &m_completed) != LIBUSB_SUCCESS
            || m_completed || us == 0)
            return;
    }
}

bool BulkInReader::waitForData(quint32 timeoutMs, bool infinite)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
    keepReading();
    handleEvents(0);
    while (m_buffer.isEmpty()) {
        keepReading();
        if (!m_pending)
            return false;
        const auto now = Clock::now();
        if (!infinite && now >= deadline)
            return false;
        const auto left
            = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count();
        handleEvents(infinite ? kMaxWaitUs : int(std::min<long long>(left, kMaxWaitUs)));
    }
    return true;
}

void BulkInReader::stop()
{
    m_stopped = true;
    if (!m_pending)
        return;
    libusb_cancel_transfer(m_transfer);
    const auto deadline = Clock::now() + kCancelWait;
    while (m_pending && Clock::now() < deadline)
        handleEvents(10 * 1000);
}

int BulkInReader::take(quint8 *out, int max)
{
    const int n = std::min(max, int(m_buffer.size()));
    std::copy_n(reinterpret_cast<const quint8 *>(m_buffer.constData()), n, out);
    m_buffer.remove(0, n);
    keepReading(); // the buffer may have been full
    return n;
}
