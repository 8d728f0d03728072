// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/usb/LibUsbBackend.h"

#include "link/TraceLine.h"

#include "link/usb/BulkInReader.h"
#include "link/usb/BulkOutWriter.h"
#include "link/usb/UsbAccessHint.h"
#include "link/usb/UsbDescriptors.h"

#include <libusb.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <tuple>
#include <vector>

using UsbDescriptors::deviceName;
using UsbDescriptors::Endpoints;
using UsbDescriptors::findEndpoints;
using UsbDescriptors::portPath;

struct LibUsbBackend::OpenDevice
{
    libusb_device_handle *handle = nullptr;
    Endpoints endpoints;
    bool dataPathOpen = false; // the device accepted the open request
    std::unique_ptr<BulkInReader> reader; // from the claim on
    std::unique_ptr<BulkOutWriter> writer; // from the claim on

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
    return UsbDescriptors::hex(value, 4);
}

QByteArray hex2(quint8 value)
{
    return UsbDescriptors::hex(value, 2);
}

quint32 requestStatus(int libusbResult)
{
    return libusbResult == LIBUSB_SUCCESS ? UsbStatus::Success : UsbStatus::DeviceIoFailed;
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
    m_trace = nullptr; // whoever owns it may be on the way out as well
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

void LibUsbBackend::trace(const QByteArray &line)
{
    if (!m_trace)
        return;
    TraceLine::write(m_trace, TraceLine::stamp() + " usb: " + line);
}

LibUsbBackend::Request LibUsbBackend::dataPathRequest(const char *name, quint16 value) const
{
    return { name, m_settings.requestType, m_settings.request, value, m_settings.index };
}

int LibUsbBackend::sendRequest(OpenDevice &d, const Request &request)
{
    int r = LIBUSB_ERROR_NO_DEVICE;
    if (!d.gone())
        r = libusb_control_transfer(d.handle, request.type, request.request, request.value,
            request.index, nullptr, 0, kControlTimeoutMs);
    if (r == LIBUSB_ERROR_NO_DEVICE)
        d.reader->markGone();
    if (r >= 0)
        return LIBUSB_SUCCESS;
    // A stalled control request is the device saying no; anything else did not get through.
    trace(request.describe() + (r == LIBUSB_ERROR_PIPE ? " refused (" : " failed (")
        + libusb_error_name(r) + ')');
    return r;
}

QByteArray LibUsbBackend::Request::describe() const
{
    return QByteArray(name) + " request " + hex2(type) + ' ' + hex2(request) + ' ' + hex4(value)
        + ' ' + hex4(index);
}

bool LibUsbBackend::openRequest(
    OpenDevice &d, const Request &request, bool fatal, const char *option, bool *accepted)
{
    const int r = sendRequest(d, request);
    if (accepted)
        *accepted = r == LIBUSB_SUCCESS;
    if (r == LIBUSB_SUCCESS) {
        trace(request.describe() + " accepted");
        return true;
    }
    if (r == LIBUSB_ERROR_NO_DEVICE)
        return false;
    if (fatal) {
        trace(QByteArray("the open fails (") + option + "=on)");
        return false;
    }
    trace(QByteArray("the open carries on (") + option + "=off)");
    return true;
}

// Clearing a halt resets the data toggle on both sides, so that the device and the host agree on
// the first packet whatever an earlier program left behind. Not fatal: the requests after it find
// out whether the device is still there.
void LibUsbBackend::clearHalts(OpenDevice &d)
{
    if (!m_settings.clearHalt) {
        trace("endpoint halts not cleared (clear-halt=off)");
        return;
    }
    QByteArrayList cleared;
    for (const unsigned char endpoint : { d.endpoints.out, d.endpoints.in }) {
        const int r = libusb_clear_halt(d.handle, endpoint);
        if (r == LIBUSB_SUCCESS) {
            cleared << hex2(endpoint);
            continue;
        }
        if (r == LIBUSB_ERROR_NO_DEVICE)
            d.reader->markGone();
        trace("clearing the halt on endpoint " + hex2(endpoint) + " failed (" + libusb_error_name(r)
            + "); the open carries on");
    }
    if (!cleared.isEmpty())
        trace(QByteArray("cleared the halt on endpoint") + (cleared.size() > 1 ? "s " : " ")
            + cleared.join(" and ") + " (clear-halt=on)");
}

void LibUsbBackend::reportAccessDenied(libusb_device *device)
{
    const QByteArray name = deviceName(device);
    if (m_accessReported.contains(name))
        return;
    m_accessReported.insert(name);
#ifdef Q_OS_LINUX
    m_notice(
        "ZELVARIN USB: no permission to open USB device " + name + "; " + UsbAccessHint::advice());
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
    d->writer = std::make_unique<BulkOutWriter>(
        m_ctx, d->handle, d->endpoints.out, d->endpoints.outPacketSize);
    const Endpoints &ep = d->endpoints;
    trace("opening " + deviceName(device) + ", interface " + QByteArray::number(ep.interfaceNumber)
        + ", endpoints IN " + hex2(ep.in) + " OUT " + hex2(ep.out) + ", packets of "
        + QByteArray::number(ep.packetSize) + '/' + QByteArray::number(ep.outPacketSize)
        + " bytes; " + m_settings.summary().toLatin1());

    // Before the read starts: a halt is not cleared under a pending transfer.
    clearHalts(*d);
    // The firmware ignores bulk data until it has seen the open request.
    bool carryOn = true;
    if (m_settings.sendEnable)
        carryOn = openRequest(*d,
            { "enable", m_settings.enableRequestType, m_settings.enableRequest,
                m_settings.enableValue, m_settings.enableIndex },
            m_settings.enableFatal, "enable-fatal");
    if (carryOn)
        carryOn = openRequest(*d, dataPathRequest("open", m_settings.openValue),
            m_settings.openFatal, "open-fatal", &d->dataPathOpen);
    quint32 status = carryOn ? UsbStatus::Success : UsbStatus::DeviceIoFailed;
    if (carryOn) {
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
        status = requestStatus(sendRequest(d, dataPathRequest("close", m_settings.closeValue)));
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
    const int r = d->writer->write(
        buffer, int(length), libusbTimeout(m_writeTimeout), m_settings.zeroPacket, &transferred);
    *written = quint32(std::max(transferred, 0));
    if (const QByteArray note = d->writer->endingNote(); !note.isEmpty())
        trace(QByteArray::number(length) + "-byte write " + note);
    if (r == LIBUSB_SUCCESS)
        return UsbStatus::Success;
    if (r == LIBUSB_ERROR_NO_DEVICE)
        d->reader->markGone();
    if (r == LIBUSB_ERROR_PIPE) {
        trace("endpoint " + hex2(d->endpoints.out) + " stalled the write; clearing its halt");
        libusb_clear_halt(d->handle, d->endpoints.out);
    }
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
        status = requestStatus(sendRequest(*d, dataPathRequest("purge", m_settings.purgeValue)));
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
