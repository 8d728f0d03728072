// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/UsbXpress.h"
#include "link/usb/UsbSettings.h"

#include <QByteArray>
#include <QSet>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QIODevice;
struct libusb_context;
struct libusb_device;

// The ten USBXpress operations on top of libusb-1.0, for Linux and macOS where the vendor
// library does not exist. The device list holds every attached device whose vendor:product pair
// is in the settings; an open device keeps one bulk IN transfer pending, whose data collects in a
// host-side buffer that the receive-queue check reports and read() takes from, as the vendor
// library's background read does. Everything runs on the caller's thread: libusb's events are
// handled inside the calls, never on a thread of our own. The receive-queue check sleeps in
// libusb until that read comes back or UsbSettings::queueWaitMs pass. What the open does to meet
// a real device (halts cleared, requests refused but lived with, zero-length packets) goes to the
// trace, so that a user's log shows it.
class LibUsbBackend final : public UsbXpress
{
public:
    explicit LibUsbBackend(UsbSettings settings = UsbSettings());
    ~LibUsbBackend() override;

    LibUsbBackend(const LibUsbBackend &) = delete;
    LibUsbBackend &operator=(const LibUsbBackend &) = delete;

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

    // Where the one-line hints for the user go (standard error unless replaced).
    void setNoticeSink(std::function<void(const QByteArray &)> sink) { m_notice = std::move(sink); }

    // Where the backend's own lines of the --trace go ("usb: ..."); nullptr: nowhere. Must
    // outlive every use of the backend but its destruction.
    void setTrace(QIODevice *out) { m_trace = out; }

    // The vendor library's time-out in milliseconds as libusb takes it: the vendor's "infinite"
    // is libusb's 0, and a vendor 0 must not turn into libusb's "wait for ever".
    static unsigned int libusbTimeout(quint32 vendorMs);

    // Time-out of the enable, open, close and purge requests.
    static constexpr unsigned int kControlTimeoutMs = 1000;

private:
    struct OpenDevice;
    struct Request
    {
        const char *name;
        quint8 type;
        quint8 request;
        quint16 value;
        quint16 index;
        QByteArray describe() const; // "open request 40 02 0002 0000"
    };

    OpenDevice *find(UsbHandle handle) const;
    void releaseList();
    Request dataPathRequest(const char *name, quint16 value) const;
    // 0 or the LIBUSB_ERROR code; a failure is traced.
    int sendRequest(OpenDevice &d, const Request &request);
    // One request of the open. Whether the open goes on: the request was accepted, or its failure
    // is only traced (not `fatal`, and the device still there). `option` names the switch.
    bool openRequest(OpenDevice &d, const Request &request, bool fatal, const char *option,
        bool *accepted = nullptr);
    void clearHalts(OpenDevice &d);
    void trace(const QByteArray &line);
    void reportAccessDenied(libusb_device *device);
    quint32 shutDown(OpenDevice &d);

    UsbSettings m_settings;
    libusb_context *m_ctx = nullptr;
    std::vector<libusb_device *> m_devices; // the list of the last getNumDevices, referenced
    std::map<UsbHandle, std::unique_ptr<OpenDevice>> m_open;
    UsbHandle m_nextHandle = 1;
    quint32 m_readTimeout = kInfiniteTimeout;
    quint32 m_writeTimeout = kInfiniteTimeout;
    QSet<QByteArray> m_accessReported;
    std::function<void(const QByteArray &)> m_notice;
    QIODevice *m_trace = nullptr;
};
