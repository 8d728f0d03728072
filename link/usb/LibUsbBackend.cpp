// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/usb/LibUsbBackend.h"

#include "link/usb/BulkInReader.h"

#include <libusb.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <tuple>
#include <vector>

namespace {
struct Endpoints
{
    int interfaceNumber = 0;
    unsigned char in = 0;
    unsigned char out = 0;
    int packetSize = 64;
};
} // namespace

struct LibUsbBackend::OpenDevice
{
    libusb_device_handle *handle = nullptr;
    Endpoints endpoints;
    bool dataPathOpen = false; // the device accepted the open request
    std::unique_ptr<BulkInReader> reader; // from the claim on

    bool gone() const { return reader->gone(); }
};

namespace {

// The queue status of the vendor's receive-queue check; nothing in the program looks at it.
constexpr quint32 kQueueEmpty = 0x00;
constexpr quint32 kQueueReady = 0x02;

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
    case LIBUSB_ERROR_BUSY:
        return UsbStatus::DeviceInUse; // another program has claimed the interface
    case LIBUSB_ERROR_ACCESS:
    case LIBUSB_ERROR_NO_MEM:
    case LIBUSB_ERROR_NOT_SUPPORTED:
    case LIBUSB_ERROR_OTHER:
        return UsbStatus::SystemErrorCode;
    default:
        return UsbStatus::DeviceIoFailed; // I/O, pipe, time-out
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
bool findEndpoints(libusb_device *device, Endpoints &found)
{
    libusb_config_descriptor *config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS)
        return false;
    bool ok = false;
    for (int i = 0; i < config->bNumInterfaces && !ok; ++i) {
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
            found = Endpoints { alt.bInterfaceNumber, in, out, packet > 0 ? packet : 64 };
            ok = true;
        }
    }
    libusb_free_config_descriptor(config);
    return ok;
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

quint32 LibUsbBackend::sendRequest(OpenDevice &d, quint8 request, quint16 value)
{
    if (d.gone())
        return UsbStatus::DeviceIoFailed;
    const int r = libusb_control_transfer(d.handle, m_settings.requestType, request, value,
        m_settings.index, nullptr, 0, kControlTimeoutMs);
    if (r == LIBUSB_ERROR_NO_DEVICE)
        d.reader->markGone();
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
    ProductString::fill(buffer, text);
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
    if (!findEndpoints(device, d->endpoints))
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
    r = libusb_claim_interface(d->handle, d->endpoints.interfaceNumber);
    if (r == LIBUSB_ERROR_ACCESS)
        reportAccessDenied(device);
    if (r != LIBUSB_SUCCESS) {
        libusb_close(d->handle);
        return openStatus(r);
    }
    d->reader = std::make_unique<BulkInReader>(
        m_ctx, d->handle, d->endpoints.in, d->endpoints.packetSize);

    // The firmware ignores bulk data until it has seen the open request.
    quint32 status = UsbStatus::Success;
    if (m_settings.sendEnable)
        status = sendRequest(*d, m_settings.enableRequest, m_settings.enableValue);
    if (status == UsbStatus::Success)
        status = sendRequest(*d, m_settings.request, m_settings.openValue);
    if (status == UsbStatus::Success) {
        d->dataPathOpen = true;
        d->reader->keepReading();
        if (!d->reader->reading())
            status = UsbStatus::DeviceIoFailed;
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
    if (d.dataPathOpen && !d.gone())
        status = sendRequest(d, m_settings.request, m_settings.closeValue);
    d.reader->stop();
    const int r = libusb_release_interface(d.handle, d.endpoints.interfaceNumber);
    if (r != LIBUSB_SUCCESS && r != LIBUSB_ERROR_NO_DEVICE && r != LIBUSB_ERROR_NOT_FOUND)
        status = UsbStatus::DeviceIoFailed;
    if (d.gone())
        status = UsbStatus::Success;
    libusb_close(d.handle);
    d.reader.reset();
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
    if (!d->reader->waitForData(m_readTimeout, m_readTimeout == kInfiniteTimeout))
        return d->reader->reading() ? UsbStatus::ReadTimedOut : UsbStatus::ReadError;
    *got = quint32(d->reader->take(buffer, int(std::min<quint32>(wanted, INT_MAX))));
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
    if (d->gone())
        return UsbStatus::WriteError;
    int transferred = 0;
    const int r = libusb_bulk_transfer(d->handle, d->endpoints.out, const_cast<quint8 *>(buffer),
        int(length), &transferred, libusbTimeout(m_writeTimeout));
    *written = quint32(std::max(transferred, 0));
    if (r == LIBUSB_SUCCESS)
        return UsbStatus::Success;
    if (r == LIBUSB_ERROR_NO_DEVICE)
        d->reader->markGone();
    if (r == LIBUSB_ERROR_PIPE)
        libusb_clear_halt(d->handle, d->endpoints.out);
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
    d->reader->handleEvents(0);
    if (flushReceive)
        d->reader->clear();
    d->reader->keepReading();
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
    BulkInReader &in = *d->reader;
    in.keepReading();
    // The program polls this in a loop while the box prepares its reply. With nothing queued the
    // check sleeps in libusb until the pending read comes back, rather than waking every
    // millisecond to look: a reply or an unplug ends the sleep at once, and only the slice bounds
    // how late the caller sees its own deadline pass.
    const bool idle = in.buffered() == 0 && in.reading();
    in.handleEvents(
        idle ? int(std::min<quint64>(quint64(m_settings.queueWaitMs) * 1000, INT_MAX)) : 0);
    in.keepReading();
    *bytesInQueue = quint32(in.buffered());
    if (queueStatus && in.buffered() > 0)
        *queueStatus = kQueueReady;
    // With nothing buffered and no read pending, nothing can ever arrive: the device is gone or
    // its endpoint refuses reads.
    if (in.buffered() == 0 && !in.reading())
        return UsbStatus::DeviceIoFailed;
    return UsbStatus::Success;
}
