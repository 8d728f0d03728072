// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/usb/EmulatedBox.h"

#include "tests/usb/UsbfsPoll.h"

#include <umockdev.h>

#include <linux/usbdevice_fs.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/stat.h>
#include <utility>

namespace {

constexpr int kPacketSize = 64;

QByteArray descriptors(const EmulatedBox::Descriptor &d)
{
    const quint8 device[] = { 18, 1, 0x00, 0x02, 0, 0, 0, kPacketSize, quint8(d.vendor),
        quint8(d.vendor >> 8), quint8(d.product), quint8(d.product >> 8), 0x00, 0x01, 1, 2, 3, 1 };
    const quint8 config[] = { 9, 2, 32, 0, 1, 1, 0, 0x80, 50,
        // interface 0: vendor class, two bulk endpoints
        9, 4, 0, 0, 2, 0xFF, 0, 0, 0, 7, 5, d.inEndpoint, 2, kPacketSize, 0, 0, 7, 5, d.outEndpoint,
        2, kPacketSize, 0, 0 };
    return QByteArray(reinterpret_cast<const char *>(device), sizeof device)
        + QByteArray(reinterpret_cast<const char *>(config), sizeof config);
}

QByteArray stringDescriptor(const QByteArray &ascii)
{
    QByteArray d;
    d.append(char(2 + 2 * ascii.size()));
    d.append(char(3));
    for (char c : ascii) {
        d.append(c);
        d.append('\0');
    }
    return d;
}

usbdevfs_urb *urbOf(UMockdevIoctlData *data)
{
    return reinterpret_cast<usbdevfs_urb *>(data->data);
}

} // namespace

EmulatedBox::EmulatedBox(UMockdevTestbed *testbed, Descriptor descriptor)
    : m_testbed(testbed)
    , m_descriptor(std::move(descriptor))
{
    const QString bus = QString::number(m_descriptor.bus).rightJustified(3, QLatin1Char('0'));
    const QString address
        = QString::number(m_descriptor.address).rightJustified(3, QLatin1Char('0'));
    m_devnode = QStringLiteral("/dev/bus/usb/%1/%2").arg(bus, address);
    const QString name = QStringLiteral("%1-%2").arg(m_descriptor.bus).arg(m_descriptor.address);
    m_syspath = QStringLiteral("/sys/devices/pci0000:00/0000:00:14.0/usb%1/%2")
                    .arg(m_descriptor.bus)
                    .arg(name);
    const QString record
        = QStringLiteral("P: /devices/pci0000:00/0000:00:14.0/usb%1/%2\n"
                         "N: bus/usb/%3/%4\n"
                         "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DEVNAME=%5\n"
                         "E: BUSNUM=%3\nE: DEVNUM=%4\n"
                         "A: busnum=%1\nA: devnum=%6\nA: speed=12\nA: bConfigurationValue=1\n"
                         "A: idVendor=%7\nA: idProduct=%8\nA: dev=189:%9\n"
                         "H: descriptors=%10\n")
              .arg(m_descriptor.bus)
              .arg(name, bus, address, m_devnode)
              .arg(m_descriptor.address)
              .arg(m_descriptor.vendor, 4, 16, QLatin1Char('0'))
              .arg(m_descriptor.product, 4, 16, QLatin1Char('0'))
              .arg((m_descriptor.bus - 1) * 128 + m_descriptor.address - 1)
              .arg(QString::fromLatin1(descriptors(m_descriptor).toHex().toUpper()));
    GError *error = nullptr;
    if (!umockdev_testbed_add_from_string(m_testbed, record.toUtf8().constData(), &error)) {
        qWarning("cannot add the emulated device: %s", error->message);
        g_error_free(error);
        return;
    }
    m_handler = umockdev_ioctl_base_new();
    g_signal_connect(m_handler, "handle-ioctl", G_CALLBACK(&EmulatedBox::onIoctl), this);
    if (!umockdev_testbed_attach_ioctl(
            m_testbed, m_devnode.toUtf8().constData(), m_handler, &error)) {
        qWarning("cannot attach the usbdevfs emulation: %s", error->message);
        g_error_free(error);
        return;
    }
    gchar *root = umockdev_testbed_get_root_dir(m_testbed);
    m_nodeFile = QByteArray(root) + m_devnode.toUtf8();
    g_free(root);
    m_outOutOfStep = m_inOutOfStep = m_descriptor.togglesOutOfStep;
    m_readyFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_readyFd >= 0)
        UsbfsPoll::add(m_nodeFile, m_readyFd, &m_goneForPoll);
}

EmulatedBox::~EmulatedBox()
{
    if (m_readyFd >= 0) {
        UsbfsPoll::remove(m_nodeFile);
        ::close(m_readyFd);
    }
    if (m_handler) {
        umockdev_testbed_detach_ioctl(m_testbed, m_devnode.toUtf8().constData(), nullptr);
        g_object_unref(m_handler);
    }
    for (auto *queue : { &m_pendingIn, &m_pendingOut, &m_done }) {
        for (Urb &u : *queue) {
            g_object_unref(u.urb);
            if (u.buffer)
                g_object_unref(u.buffer);
        }
    }
}

// --- test side -------------------------------------------------------------------------------

void EmulatedBox::setMode(Mode mode)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mode = mode;
}

void EmulatedBox::refuseRequest(quint16 value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_refused.append(value);
}

void EmulatedBox::sendUnsolicited(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    queueReply(bytes);
    feedInUrbs();
    updateReadiness();
}

void EmulatedBox::unplug()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        vanish();
        updateReadiness();
    }
    const QByteArray path = m_syspath.toUtf8();
    umockdev_testbed_uevent(m_testbed, path.constData(), "remove");
    umockdev_testbed_remove_device(m_testbed, path.constData());
}

void EmulatedBox::denyAccess()
{
    gchar *root = umockdev_testbed_get_root_dir(m_testbed);
    const QByteArray file = QByteArray(root) + m_devnode.toUtf8();
    g_free(root);
    ::chmod(file.constData(), 0);
}

QList<EmulatedBox::ControlRequest> EmulatedBox::controlRequests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

QList<QByteArray> EmulatedBox::frames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

int EmulatedBox::zeroLengthPackets() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_zeroLengthPackets;
}

bool EmulatedBox::interfaceClaimed() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_claimed;
}

bool EmulatedBox::kernelDriverBound() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_driverBound;
}

int EmulatedBox::queuedInBytes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int n = 0;
    for (const QByteArray &p : m_packets)
        n += int(p.size());
    return n;
}

RegisterImage EmulatedBox::statusBlock() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return const_cast<BoxFirmware &>(m_firmware).statusBlock();
}

// --- device side (umockdev's worker thread) ---------------------------------------------------

int EmulatedBox::onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self)
{
    auto *box = static_cast<EmulatedBox *>(self);
    std::lock_guard<std::mutex> lock(box->m_mutex);
    const bool handled = box->handle(client);
    box->updateReadiness();
    return handled;
}

bool EmulatedBox::handle(UMockdevIoctlClient *client)
{
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    const auto done = [client](long result, int error) {
        umockdev_ioctl_client_complete(client, result, error);
        return true;
    };

    // After an unplug only the URBs that completed with it can still be reaped.
    if (m_gone && request != USBDEVFS_REAPURBNDELAY && request != USBDEVFS_REAPURB)
        return done(-1, ENODEV);

    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData *caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(quint32), nullptr);
        const quint32 value = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM
            | USBDEVFS_CAP_REAP_AFTER_DISCONNECT
            | (m_descriptor.kernelAddsZeroPackets ? USBDEVFS_CAP_ZERO_PACKET : 0);
        std::memcpy(caps->data, &value, sizeof value);
        return done(0, 0);
    }
    case USBDEVFS_CLAIMINTERFACE:
        if (m_driverBound || m_claimed)
            return done(-1, EBUSY);
        m_claimed = true;
        return done(0, 0);
    case USBDEVFS_DISCONNECT_CLAIM:
        // A claim by another program binds the interface to usbfs, which this request (as libusb
        // sends it, "except usbfs") does not take over.
        if (m_claimed)
            return done(-1, EBUSY);
        m_driverBound = false;
        m_claimed = true;
        return done(0, 0);
    case USBDEVFS_RELEASEINTERFACE:
        if (!m_claimed)
            return done(-1, EINVAL);
        m_claimed = false;
        return done(0, 0);
    case USBDEVFS_GETDRIVER: {
        if (!m_driverBound)
            return done(-1, ENODATA);
        UMockdevIoctlData *d
            = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_getdriver), nullptr);
        std::strcpy(reinterpret_cast<usbdevfs_getdriver *>(d->data)->driver, "cp210x");
        return done(0, 0);
    }
    case USBDEVFS_IOCTL: {
        UMockdevIoctlData *d = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_ioctl), nullptr);
        const int code = reinterpret_cast<usbdevfs_ioctl *>(d->data)->ioctl_code;
        if (code == int(USBDEVFS_DISCONNECT) && m_driverBound && !m_claimed) {
            m_driverBound = false;
            return done(0, 0);
        }
        if (code == int(USBDEVFS_CONNECT) && !m_claimed) {
            m_driverBound = true;
            return done(0, 0);
        }
        return done(-1, code == int(USBDEVFS_DISCONNECT) ? ENODATA : EBUSY);
    }
    case USBDEVFS_CLEAR_HALT:
        clearHalt(arg);
        return done(0, 0);
    case USBDEVFS_SUBMITURB: {
        // A kernel from before zero-length packets refuses the flag it does not know.
        const usbdevfs_urb *urb
            = urbOf(umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr));
        if ((urb->flags & USBDEVFS_URB_ZERO_PACKET) && !m_descriptor.kernelAddsZeroPackets)
            return done(-1, EINVAL);
        submit(client);
        return done(0, 0);
    }
    case USBDEVFS_DISCARDURB: {
        // The argument is the URB's address in the client.
        gulong address = 0;
        std::memcpy(&address, arg->data, sizeof address);
        for (auto *queue : { &m_pendingIn, &m_pendingOut }) {
            for (auto it = queue->begin(); it != queue->end(); ++it) {
                if (it->urb->client_addr == address) {
                    const Urb u = *it;
                    queue->erase(it);
                    complete(u, -ECONNRESET, u.filled);
                    return done(0, 0);
                }
            }
        }
        return done(-1, EINVAL);
    }
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY: {
        if (m_done.empty())
            return done(-1, m_gone ? ENODEV : EAGAIN);
        const Urb u = m_done.front();
        m_done.pop_front();
        // The argument points at the client's URB pointer; it must receive the client's own
        // address of the URB, which set_ptr writes when the data goes back.
        UMockdevIoctlData *slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void *), nullptr);
        umockdev_ioctl_data_set_ptr(slot, 0, u.urb);
        done(0, 0);
        g_object_unref(u.urb);
        if (u.buffer)
            g_object_unref(u.buffer);
        return true;
    }
    default:
        return done(-1, ENOTTY);
    }
}

void EmulatedBox::submit(UMockdevIoctlClient *client)
{
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    Urb u;
    u.urb = static_cast<UMockdevIoctlData *>(
        g_object_ref(umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr)));
    usbdevfs_urb *urb = urbOf(u.urb);
    if (urb->buffer_length > 0)
        u.buffer = static_cast<UMockdevIoctlData *>(g_object_ref(umockdev_ioctl_data_resolve(
            u.urb, offsetof(usbdevfs_urb, buffer), size_t(urb->buffer_length), nullptr)));
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL)
        control(u);
    else if (urb->endpoint & 0x80) {
        m_pendingIn.push_back(u);
        feedInUrbs();
    } else {
        bulkOut(u);
    }
}

void EmulatedBox::control(Urb u)
{
    const quint8 *setup = u.buffer->data;
    const quint8 type = setup[0], request = setup[1];
    const quint16 value = quint16(setup[2] | setup[3] << 8);
    const quint16 index = quint16(setup[4] | setup[5] << 8);
    const int length = setup[6] | setup[7] << 8;

    if (type == 0x80 && request == 6 && (value >> 8) == 3) { // GET_DESCRIPTOR, string
        const int which = value & 0xFF;
        QByteArray d;
        if (which == 0)
            d = QByteArray("\x04\x03\x09\x04", 4); // US English only
        else if (which == 2)
            d = stringDescriptor(m_descriptor.productName);
        else if (which == 3)
            d = stringDescriptor(m_descriptor.serial);
        if (d.isEmpty())
            return complete(u, -EPIPE, 0);
        const int n = std::min(int(d.size()), length);
        std::memcpy(u.buffer->data + 8, d.constData(), size_t(n));
        return complete(u, 0, n);
    }
    m_requests.append({ type, request, value, index });
    // The device-side library knows its one vendor request with three values, and stalls
    // anything else.
    const Descriptor &d = m_descriptor;
    const bool known = (type & 0x60) == 0x40 && request == d.request
        && (value == d.openValue || value == d.closeValue || value == d.purgeValue);
    if (!known || m_refused.contains(value))
        return complete(u, -EPIPE, 0);
    if (value == d.openValue)
        m_dataPathOpen = true;
    else if (value == d.closeValue)
        m_dataPathOpen = false;
    else
        m_packets.clear();
    complete(u, 0, 0);
}

// The kernel sends CLEAR_FEATURE(ENDPOINT_HALT) and resets its own toggle for the endpoint; the
// device resets its toggle too, so both start again from DATA0.
void EmulatedBox::clearHalt(UMockdevIoctlData *arg)
{
    UMockdevIoctlData *d = umockdev_ioctl_data_resolve(arg, 0, sizeof(unsigned int), nullptr);
    unsigned int endpoint = 0;
    std::memcpy(&endpoint, d->data, sizeof endpoint);
    m_requests.append({ 0x02, 0x01, 0x0000, quint16(endpoint) });
    if (endpoint == m_descriptor.outEndpoint)
        m_outOutOfStep = false;
    else if (endpoint == m_descriptor.inEndpoint)
        m_inOutOfStep = false;
}

void EmulatedBox::bulkOut(Urb u)
{
    if (m_mode == Mode::Stuck) {
        m_pendingOut.push_back(u);
        return;
    }
    const usbdevfs_urb *urb = urbOf(u.urb);
    const int length = urb->buffer_length;
    const QByteArray data = length > 0
        ? QByteArray(reinterpret_cast<const char *>(u.buffer->data), length)
        : QByteArray();
    complete(u, 0, length);
    // On the wire: whole packets, then the short rest, or a zero-length packet for an empty URB
    // and for one of whole packets that asks for it.
    QList<QByteArray> packets;
    for (int at = 0; at < length; at += kPacketSize)
        packets << data.mid(at, kPacketSize);
    if (length == 0 || ((urb->flags & USBDEVFS_URB_ZERO_PACKET) && length % kPacketSize == 0))
        packets << QByteArray();
    for (const QByteArray &packet : packets) {
        if (!m_gone)
            receivePacket(packet);
    }
}

void EmulatedBox::receivePacket(const QByteArray &packet)
{
    // With its toggle out of step the device takes the packet for a repeat of one it has:
    // acknowledged, and dropped.
    if (m_outOutOfStep) {
        m_outOutOfStep = false;
        return;
    }
    m_zeroLengthPackets += packet.isEmpty();
    m_outTransfer += packet;
    if (packet.size() == kPacketSize)
        return; // the device-side library waits for a short packet to end the transfer
    const QByteArray frame = std::exchange(m_outTransfer, QByteArray());
    // The firmware drops bulk data until the open request has opened the data path.
    if (!m_dataPathOpen || frame.isEmpty())
        return;
    m_frames.append(frame);
    if (m_mode == Mode::VanishOnNextFrame)
        return vanish();
    if (m_mode == Mode::Answering)
        queueReply(m_firmware.answer(frame));
    feedInUrbs();
}

void EmulatedBox::queueReply(const QByteArray &bytes)
{
    for (int at = 0; at < bytes.size(); at += kPacketSize)
        m_packets.push_back(bytes.mid(at, kPacketSize));
}

// A pending IN URB takes whole packets; it completes on a short packet or when it is full, and
// otherwise waits for more, as a host controller does.
void EmulatedBox::feedInUrbs()
{
    while (!m_pendingIn.empty() && !m_packets.empty()) {
        // The host takes a packet with the wrong toggle for a repeat: acknowledged, and dropped.
        if (m_inOutOfStep) {
            m_inOutOfStep = false;
            m_packets.pop_front();
            continue;
        }
        Urb &u = m_pendingIn.front();
        const int room = urbOf(u.urb)->buffer_length - u.filled;
        QByteArray &packet = m_packets.front();
        const int n = std::min(room, int(packet.size()));
        std::memcpy(u.buffer->data + u.filled, packet.constData(), size_t(n));
        u.filled += n;
        const bool shortPacket = packet.size() < kPacketSize;
        if (n < packet.size()) {
            // A packet larger than the room left is the overflow ("babble") the kernel reports.
            m_packets.pop_front();
            const Urb full = u;
            m_pendingIn.pop_front();
            complete(full, -EOVERFLOW, full.filled);
            continue;
        }
        m_packets.pop_front();
        if (shortPacket || u.filled == urbOf(u.urb)->buffer_length) {
            const Urb finished = u;
            m_pendingIn.pop_front();
            complete(finished, 0, finished.filled);
        }
    }
}

void EmulatedBox::complete(Urb u, int status, int actualLength)
{
    urbOf(u.urb)->status = status;
    urbOf(u.urb)->actual_length = actualLength;
    m_done.push_back(u);
}

void EmulatedBox::updateReadiness()
{
    m_goneForPoll = m_gone;
    const bool ready = !m_done.empty() || m_gone;
    if (m_readyFd < 0 || ready == m_readySignalled)
        return;
    eventfd_t value = 0;
    if (ready)
        eventfd_write(m_readyFd, 1);
    else
        eventfd_read(m_readyFd, &value);
    m_readySignalled = ready;
}

// The kernel ends every URB of a vanished device with -ENODEV and keeps them reapable.
void EmulatedBox::vanish()
{
    m_gone = true;
    for (auto *queue : { &m_pendingIn, &m_pendingOut }) {
        while (!queue->empty()) {
            const Urb u = queue->front();
            queue->pop_front();
            complete(u, -ENODEV, u.filled);
        }
    }
}
