#include "LibUsbBackend.h"

#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <tuple>
#include <vector>

using Clock = std::chrono::steady_clock;

struct LibUsbBackend::OpenDevice
{
    libusb_device_handle *handle = nullptr;
    int interfaceNumber = 0;
    unsigned char inEndpoint = 0;
    unsigned char outEndpoint = 0;
    int packetSize = 64;

    // The background read. Its length is one packet: a reply of exactly one full packet carries
    // no short packet to end a longer transfer, and would sit in the host controller unseen.
    libusb_transfer *transfer = nullptr;
    std::vector<unsigned char> transferBuffer;
    bool pending = false;

    bool dataPathOpen = false; // the device accepted the open request
    QByteArray received; // the host-side receive buffer
    bool gone = false; // the device has been unplugged
    bool stalled = false; // the IN endpoint answered with a stall; cleared before the next read
    bool closing = false;
};

namespace {

// The queue status of the vendor's receive-queue check; nothing in the program looks at it.
constexpr quint32 kQueueEmpty = 0x00;
constexpr quint32 kQueueReady = 0x02;

// How long the receive-queue check waits for USB events when nothing is queued: the program polls
// it in a loop while the box prepares its reply, and a short wait keeps that loop off the CPU.
constexpr int kQueueWaitUs = 1000;
// Longest single wait inside a blocking read, so that a stalled endpoint is cleared in good time.
constexpr int kMaxWaitUs = 100 * 1000;
constexpr auto kCancelWait = std::chrono::milliseconds(1000);

quint32 openStatus(int error)
{
    switch (error) {
    case LIBUSB_SUCCESS:
        return UsbStatus::Success;
    case LIBUSB_ERROR_NO_DEVICE:
    case LIBUSB_ERROR_NOT_FOUND:
        return UsbStatus::DeviceNotFound;
    case LIBUSB_ERROR_INVALID_PARAM:
        return UsbStatus::InvalidParameter;
    case LIBUSB_ERROR_ACCESS:
    case LIBUSB_ERROR_NO_MEM:
    case LIBUSB_ERROR_NOT_SUPPORTED:
    case LIBUSB_ERROR_OTHER:
        return UsbStatus::SystemErrorCode;
    default:
        return UsbStatus::DeviceIoFailed; // busy, I/O, pipe, time-out
    }
}

void LIBUSB_CALL inTransferDone(libusb_transfer *transfer)
{
    auto *d = static_cast<LibUsbBackend::OpenDevice *>(transfer->user_data);
    d->pending = false;
    switch (transfer->status) {
    case LIBUSB_TRANSFER_COMPLETED:
        d->received.append(
            reinterpret_cast<const char *>(transfer->buffer), transfer->actual_length);
        break;
    case LIBUSB_TRANSFER_NO_DEVICE:
        d->gone = true;
        break;
    case LIBUSB_TRANSFER_STALL:
        d->stalled = true;
        break;
    default:
        break; // cancelled, timed out, overflow, error: the next call starts it again
    }
    // Resubmitting at once keeps the endpoint read without a gap between two packets.
    if (transfer->status == LIBUSB_TRANSFER_COMPLETED && !d->closing
        && d->received.size() < LibUsbBackend::kHostBufferLimit) {
        const int r = libusb_submit_transfer(transfer);
        d->pending = r == LIBUSB_SUCCESS;
        d->gone = d->gone || r == LIBUSB_ERROR_NO_DEVICE;
    }
}

QByteArray hex4(quint16 value)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(4, '0');
}

QByteArray deviceName(libusb_device *device)
{
    libusb_device_descriptor desc {};
    libusb_get_device_descriptor(device, &desc);
    return hex4(desc.idVendor) + ':' + hex4(desc.idProduct) + " (bus "
        + QByteArray::number(libusb_get_bus_number(device)).rightJustified(3, '0') + ", address "
        + QByteArray::number(libusb_get_device_address(device)).rightJustified(3, '0') + ')';
}

// The first interface with a bulk IN and a bulk OUT endpoint. The addresses differ between the
// chips that run this firmware, so they are never assumed.
bool findEndpoints(libusb_device *device, LibUsbBackend::OpenDevice &d)
{
    libusb_config_descriptor *config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS)
        return false;
    bool found = false;
    for (int i = 0; i < config->bNumInterfaces && !found; ++i) {
        if (config->interface[i].num_altsetting < 1)
            continue;
        const libusb_interface_descriptor &alt = config->interface[i].altsetting[0];
        unsigned char in = 0, out = 0;
        int packet = 0;
        for (int e = 0; e < alt.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor &ep = alt.endpoint[e];
            if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_ENDPOINT_TRANSFER_TYPE_BULK)
                continue;
            if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN) {
                if (!in) {
                    in = ep.bEndpointAddress;
                    packet = ep.wMaxPacketSize & 0x7FF;
                }
            } else if (!out) {
                out = ep.bEndpointAddress;
            }
        }
        if (in && out) {
            d.interfaceNumber = alt.bInterfaceNumber;
            d.inEndpoint = in;
            d.outEndpoint = out;
            d.packetSize = packet > 0 ? packet : 64;
            found = true;
        }
    }
    libusb_free_config_descriptor(config);
    return found;
}

std::vector<uint8_t> portPath(libusb_device *device)
{
    uint8_t ports[8] = {};
    const int n = libusb_get_port_numbers(device, ports, int(sizeof ports));
    return std::vector<uint8_t>(ports, ports + std::max(n, 0));
}

} // namespace

LibUsbBackend::LibUsbBackend(UsbSettings settings)
    : m_settings(std::move(settings))
{
    m_notice = [](const QByteArray &line) {
        std::fprintf(stderr, "%s\n", line.constData());
        std::fflush(stderr);
    };
    if (libusb_init(&m_ctx) != LIBUSB_SUCCESS)
        m_ctx = nullptr; // no USB on this system: every device query reports failure
}

LibUsbBackend::~LibUsbBackend()
{
    for (auto &entry : m_open)
        shutDown(*entry.second);
    m_open.clear();
    releaseList();
    if (m_ctx)
        libusb_exit(m_ctx);
}

unsigned int LibUsbBackend::libusbTimeout(quint32 vendorMs)
{
    if (vendorMs == kInfiniteTimeout)
        return 0;
    return std::max<quint32>(vendorMs, 1);
}

void LibUsbBackend::releaseList()
{
    for (libusb_device *device : m_devices)
        libusb_unref_device(device);
    m_devices.clear();
}

LibUsbBackend::OpenDevice *LibUsbBackend::find(UsbHandle handle) const
{
    const auto it = m_open.find(handle);
    return it == m_open.end() ? nullptr : it->second.get();
}

void LibUsbBackend::handleEvents(int waitUs)
{
    timeval tv { waitUs / 1000000, waitUs % 1000000 };
    libusb_handle_events_timeout_completed(m_ctx, &tv, nullptr);
}

// Keeps the background read pending unless the device is gone or the buffer is full.
void LibUsbBackend::serviceInEndpoint(OpenDevice &d)
{
    if (d.pending || d.gone || d.closing || d.received.size() >= kHostBufferLimit)
        return;
    if (d.stalled) {
        if (libusb_clear_halt(d.handle, d.inEndpoint) == LIBUSB_ERROR_NO_DEVICE)
            d.gone = true;
        d.stalled = false;
    }
    if (d.gone)
        return;
    const int r = libusb_submit_transfer(d.transfer);
    d.pending = r == LIBUSB_SUCCESS;
    d.gone = r == LIBUSB_ERROR_NO_DEVICE;
}

quint32 LibUsbBackend::sendRequest(OpenDevice &d, quint8 request, quint16 value)
{
    if (d.gone)
        return UsbStatus::DeviceIoFailed;
    const int r = libusb_control_transfer(d.handle, m_settings.requestType, request, value,
        m_settings.index, nullptr, 0, kControlTimeoutMs);
    if (r == LIBUSB_ERROR_NO_DEVICE)
        d.gone = true;
    return r < 0 ? UsbStatus::DeviceIoFailed : UsbStatus::Success;
}

void LibUsbBackend::reportAccessDenied(libusb_device *device)
{
    const QByteArray name = deviceName(device);
    if (m_accessReported.contains(name))
        return;
    m_accessReported.insert(name);
#ifdef Q_OS_LINUX
    m_notice("ZELVARIN USB: no permission to open USB device " + name
        + "; install the udev rule dist/60-zelvarin.rules (see docs/hardware.md) and "
          "plug the box in again.");
#else
    m_notice("ZELVARIN USB: no permission to open USB device " + name + '.');
#endif
}

// --- the ten operations --------------------------------------------------------------------------

quint32 LibUsbBackend::getNumDevices(quint32 *count)
{
    if (!count)
        return UsbStatus::InvalidParameter;
    *count = 0;
    releaseList();
    if (!m_ctx)
        return UsbStatus::SystemErrorCode;

    libusb_device **list = nullptr;
    const ssize_t n = libusb_get_device_list(m_ctx, &list);
    if (n < 0)
        return UsbStatus::SystemErrorCode;
    for (ssize_t i = 0; i < n; ++i) {
        libusb_device_descriptor desc {};
        if (libusb_get_device_descriptor(list[i], &desc) != LIBUSB_SUCCESS)
            continue;
        if (m_settings.ids.contains(UsbId { desc.idVendor, desc.idProduct }))
            m_devices.push_back(libusb_ref_device(list[i]));
    }
    libusb_free_device_list(list, 1);

    // libusb lists devices in no promised order; the index must mean the same device from one
    // call to the next, so the list goes by bus, then position on the bus.
    std::sort(m_devices.begin(), m_devices.end(), [](libusb_device *a, libusb_device *b) {
        const auto ka
            = std::make_tuple(libusb_get_bus_number(a), portPath(a), libusb_get_device_address(a));
        const auto kb
            = std::make_tuple(libusb_get_bus_number(b), portPath(b), libusb_get_device_address(b));
        return ka < kb;
    });
    *count = quint32(m_devices.size());
    return UsbStatus::Success;
}

quint32 LibUsbBackend::getProductString(quint32 index, char *buffer, quint32 kind)
{
    if (!buffer)
        return UsbStatus::InvalidParameter;
    buffer[0] = '\0';
    if (index >= m_devices.size())
        return UsbStatus::DeviceNotFound;
    libusb_device *device = m_devices[index];
    libusb_device_descriptor desc {};
    libusb_get_device_descriptor(device, &desc);

    QByteArray text;
    switch (kind) {
    case ProductString::Vid:
        text = hex4(desc.idVendor);
        break;
    case ProductString::Pid:
        text = hex4(desc.idProduct);
        break;
    case ProductString::LinkName:
        text = "usb:" + QByteArray::number(libusb_get_bus_number(device)).rightJustified(3, '0')
            + ':' + QByteArray::number(libusb_get_device_address(device)).rightJustified(3, '0');
        break;
    case ProductString::SerialNumber:
    case ProductString::Description: {
        const uint8_t stringIndex
            = kind == ProductString::SerialNumber ? desc.iSerialNumber : desc.iProduct;
        if (stringIndex == 0)
            break; // the device has no such string: an empty one, as the vendor library gives
        // Strings need a control request, so the device is opened for it (or the handle we
        // already hold is used).
        libusb_device_handle *handle = nullptr;
        bool borrowed = false;
        for (const auto &entry : m_open) {
            if (libusb_get_device(entry.second->handle) == device) {
                handle = entry.second->handle;
                borrowed = true;
            }
        }
        if (!handle) {
            const int r = libusb_open(device, &handle);
            if (r == LIBUSB_ERROR_ACCESS)
                reportAccessDenied(device);
            if (r != LIBUSB_SUCCESS)
                return openStatus(r);
        }
        unsigned char ascii[ProductString::kBufferSize] = {};
        const int n
            = libusb_get_string_descriptor_ascii(handle, stringIndex, ascii, int(sizeof ascii) - 1);
        if (!borrowed)
            libusb_close(handle);
        if (n < 0)
            return n == LIBUSB_ERROR_NO_DEVICE ? UsbStatus::DeviceNotFound
                                               : UsbStatus::DeviceIoFailed;
        text = QByteArray(reinterpret_cast<const char *>(ascii), n);
        break;
    }
    default:
        return UsbStatus::InvalidParameter;
    }
    const int n = std::min<int>(int(text.size()), ProductString::kBufferSize - 1);
    std::copy_n(text.constData(), n, buffer);
    buffer[n] = '\0';
    return UsbStatus::Success;
}

quint32 LibUsbBackend::open(quint32 index, UsbHandle *handle)
{
    if (!handle)
        return UsbStatus::InvalidParameter;
    if (index >= m_devices.size())
        return UsbStatus::DeviceNotFound;
    libusb_device *device = m_devices[index];

    auto d = std::make_unique<OpenDevice>();
    if (!findEndpoints(device, *d))
        return UsbStatus::DeviceNotFound; // not a device this program can talk to
    int r = libusb_open(device, &d->handle);
    if (r == LIBUSB_ERROR_ACCESS)
        reportAccessDenied(device);
    if (r != LIBUSB_SUCCESS)
        return openStatus(r);

    // Linux binds its serial driver to this vendor:product pair. Claiming with auto-detach takes
    // the interface from it, and releasing gives it back. Where there are no kernel drivers to
    // detach the call is not supported, and the claim is all that is needed.
    libusb_set_auto_detach_kernel_driver(d->handle, 1);
    r = libusb_claim_interface(d->handle, d->interfaceNumber);
    if (r == LIBUSB_ERROR_ACCESS)
        reportAccessDenied(device);
    if (r != LIBUSB_SUCCESS) {
        libusb_close(d->handle);
        return openStatus(r);
    }

    // The firmware ignores bulk data until it has seen the open request.
    quint32 status = UsbStatus::Success;
    if (m_settings.sendEnable)
        status = sendRequest(*d, m_settings.enableRequest, m_settings.enableValue);
    if (status == UsbStatus::Success)
        status = sendRequest(*d, m_settings.request, m_settings.openValue);

    if (status == UsbStatus::Success) {
        d->dataPathOpen = true;
        d->transfer = libusb_alloc_transfer(0);
        d->transferBuffer.assign(size_t(d->packetSize), 0);
        if (d->transfer) {
            libusb_fill_bulk_transfer(d->transfer, d->handle, d->inEndpoint,
                d->transferBuffer.data(), d->packetSize, inTransferDone, d.get(), 0);
            serviceInEndpoint(*d);
        }
        if (!d->pending)
            status = d->transfer ? UsbStatus::DeviceIoFailed : UsbStatus::SystemErrorCode;
    }
    if (status != UsbStatus::Success) {
        shutDown(*d);
        return status;
    }
    *handle = m_nextHandle++;
    m_open.emplace(*handle, std::move(d));
    return UsbStatus::Success;
}

// The close request, the background read cancelled, the interface released (which gives it back
// to a kernel driver that had it) and the handle closed. Returns the first failure of a device
// that is still there; for an unplugged one there is nothing left to fail.
quint32 LibUsbBackend::shutDown(OpenDevice &d)
{
    quint32 status = UsbStatus::Success;
    if (d.dataPathOpen && !d.gone)
        status = sendRequest(d, m_settings.request, m_settings.closeValue);
    d.closing = true;
    if (d.pending) {
        libusb_cancel_transfer(d.transfer);
        const auto deadline = Clock::now() + kCancelWait;
        while (d.pending && Clock::now() < deadline)
            handleEvents(10 * 1000);
    }
    const int r = libusb_release_interface(d.handle, d.interfaceNumber);
    if (r != LIBUSB_SUCCESS && r != LIBUSB_ERROR_NO_DEVICE && r != LIBUSB_ERROR_NOT_FOUND && !d.gone
        && status == UsbStatus::Success)
        status = UsbStatus::DeviceIoFailed;
    if (d.gone)
        status = UsbStatus::Success;
    libusb_close(d.handle);
    // A transfer that never came back is disowned by libusb_close, and the closed descriptor
    // means nothing writes into its buffer any more; only freeing the transfer itself would be
    // unsafe, so in that one case it is left allocated.
    if (d.transfer && !d.pending)
        libusb_free_transfer(d.transfer);
    d.transfer = nullptr;
    d.handle = nullptr;
    return status;
}

quint32 LibUsbBackend::close(UsbHandle handle)
{
    const auto it = m_open.find(handle);
    if (it == m_open.end())
        return UsbStatus::InvalidHandle;
    const quint32 status = shutDown(*it->second);
    m_open.erase(it);
    return status;
}

bool LibUsbBackend::waitForData(OpenDevice &d)
{
    const bool waitForever = m_readTimeout == kInfiniteTimeout;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitForever ? 0 : m_readTimeout);
    serviceInEndpoint(d);
    handleEvents(0);
    while (d.received.isEmpty()) {
        serviceInEndpoint(d);
        if (!d.pending)
            return false;
        const auto now = Clock::now();
        if (!waitForever && now >= deadline)
            return false;
        const auto left
            = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count();
        handleEvents(waitForever ? kMaxWaitUs : int(std::min<long long>(left, kMaxWaitUs)));
    }
    return true;
}

quint32 LibUsbBackend::read(UsbHandle handle, quint8 *buffer, quint32 wanted, quint32 *got)
{
    if (!got || !buffer)
        return UsbStatus::InvalidParameter;
    *got = 0;
    OpenDevice *d = find(handle);
    if (!d)
        return UsbStatus::InvalidHandle;
    if (wanted == 0)
        return UsbStatus::InvalidRequestLength;
    if (!waitForData(*d))
        return d->pending ? UsbStatus::ReadTimedOut : UsbStatus::ReadError;
    const int n = std::min<int>(int(std::min<quint32>(wanted, INT_MAX)), int(d->received.size()));
    std::copy_n(reinterpret_cast<const quint8 *>(d->received.constData()), n, buffer);
    d->received.remove(0, n);
    *got = quint32(n);
    serviceInEndpoint(*d); // the buffer may have been full
    return UsbStatus::Success;
}

quint32 LibUsbBackend::write(
    UsbHandle handle, const quint8 *buffer, quint32 length, quint32 *written)
{
    if (!written || !buffer)
        return UsbStatus::InvalidParameter;
    *written = 0;
    OpenDevice *d = find(handle);
    if (!d)
        return UsbStatus::InvalidHandle;
    if (length == 0 || length > INT_MAX)
        return UsbStatus::InvalidRequestLength;
    if (d->gone)
        return UsbStatus::WriteError;
    int transferred = 0;
    const int r = libusb_bulk_transfer(d->handle, d->outEndpoint, const_cast<quint8 *>(buffer),
        int(length), &transferred, libusbTimeout(m_writeTimeout));
    *written = quint32(std::max(transferred, 0));
    if (r == LIBUSB_SUCCESS)
        return UsbStatus::Success;
    if (r == LIBUSB_ERROR_NO_DEVICE)
        d->gone = true;
    if (r == LIBUSB_ERROR_PIPE)
        libusb_clear_halt(d->handle, d->outEndpoint);
    return r == LIBUSB_ERROR_TIMEOUT ? UsbStatus::WriteTimedOut : UsbStatus::WriteError;
}

quint32 LibUsbBackend::getTimeouts(quint32 *readMs, quint32 *writeMs)
{
    if (!readMs || !writeMs)
        return UsbStatus::InvalidParameter;
    *readMs = m_readTimeout;
    *writeMs = m_writeTimeout;
    return UsbStatus::Success;
}

quint32 LibUsbBackend::setTimeouts(quint32 readMs, quint32 writeMs)
{
    m_readTimeout = readMs;
    m_writeTimeout = writeMs;
    return UsbStatus::Success;
}

quint32 LibUsbBackend::flushBuffers(UsbHandle handle, quint8 flushTransmit, quint8 flushReceive)
{
    OpenDevice *d = find(handle);
    if (!d)
        return UsbStatus::InvalidHandle;
    quint32 status = UsbStatus::Success;
    if (flushTransmit || flushReceive)
        status = sendRequest(*d, m_settings.request, m_settings.purgeValue);
    // Whatever had already reached the host goes with the purge, not into the next reply.
    handleEvents(0);
    if (flushReceive)
        d->received.clear();
    serviceInEndpoint(*d);
    return status;
}

quint32 LibUsbBackend::checkRxQueue(UsbHandle handle, quint32 *bytesInQueue, quint32 *queueStatus)
{
    if (!bytesInQueue)
        return UsbStatus::InvalidParameter;
    *bytesInQueue = 0;
    if (queueStatus)
        *queueStatus = kQueueEmpty;
    OpenDevice *d = find(handle);
    if (!d)
        return UsbStatus::InvalidHandle;
    serviceInEndpoint(*d);
    handleEvents(d->received.isEmpty() && d->pending ? kQueueWaitUs : 0);
    serviceInEndpoint(*d);
    *bytesInQueue = quint32(d->received.size());
    if (queueStatus && !d->received.isEmpty())
        *queueStatus = kQueueReady;
    // With nothing buffered and no read pending, nothing can ever arrive: the device is gone or
    // its endpoint refuses reads.
    if (d->received.isEmpty() && !d->pending)
        return UsbStatus::DeviceIoFailed;
    return UsbStatus::Success;
}
