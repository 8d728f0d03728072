// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/Clock.h"
#include "sim/BoxFirmware.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <deque>
#include <mutex>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

// A box on the emulated USB bus of a umockdev testbed: sysfs entry, device node and the usbdevfs
// ioctls that libusb sends to it (claim, driver detach, URB submit, reap and discard), answered
// the way the kernel and the box's firmware would. Bulk OUT frames go to a BoxFirmware once the
// open request has been seen; its replies come back as 64-byte packets on the IN endpoint, and a
// pending IN URB completes on a short packet or when it is full, as on the wire.
//
// The ioctls are answered on umockdev's worker thread; every accessor locks.
class EmulatedBox
{
public:
    struct Descriptor
    {
        quint16 vendor = 0x10C4;
        quint16 product = 0xEA61;
        QByteArray serial = "2023";
        QByteArray productName = "ZELVARIN";
        int bus = 1;
        int address = 2;
        quint8 inEndpoint = 0x82;
        quint8 outEndpoint = 0x02;
    };
    struct ControlRequest
    {
        quint8 requestType;
        quint8 request;
        quint16 value;
        quint16 index;
        bool operator==(const ControlRequest &o) const
        {
            return requestType == o.requestType && request == o.request && value == o.value
                && index == o.index;
        }
    };
    enum class Mode {
        Answering, // the firmware answers every frame
        Silent, // frames are taken but never answered
        Stuck, // the OUT endpoint takes nothing: writes time out
        VanishOnNextFrame, // takes the next frame, then is unplugged before it answers
    };

    EmulatedBox(UMockdevTestbed *testbed, Descriptor descriptor);
    ~EmulatedBox();

    void setMode(Mode mode);
    // The device stalls this vendor request (by its wValue).
    void refuseRequest(quint16 value);
    // Bytes the device sends without being asked, as packets on the IN endpoint.
    void sendUnsolicited(const QByteArray &bytes);
    void unplug();
    // The node becomes one that nobody may open without overriding file permissions, as a box
    // without the udev rule is to a user.
    void denyAccess();

    QList<ControlRequest> controlRequests() const;
    QList<QByteArray> frames() const;
    bool interfaceClaimed() const;
    bool kernelDriverBound() const;
    int queuedInBytes() const;
    RegisterImage statusBlock() const;

private:
    struct Urb
    {
        UMockdevIoctlData *urb = nullptr;
        UMockdevIoctlData *buffer = nullptr;
        int filled = 0;
    };

    static int onIoctl(UMockdevIoctlBase *handler, UMockdevIoctlClient *client, void *self);
    bool handle(UMockdevIoctlClient *client);
    void submit(UMockdevIoctlClient *client);
    void control(Urb urb);
    void bulkOut(Urb urb);
    void queueReply(const QByteArray &bytes);
    void feedInUrbs();
    void complete(Urb urb, int status, int actualLength);
    void vanish();
    void updateReadiness();

    UMockdevTestbed *m_testbed;
    Descriptor m_descriptor;
    QString m_devnode;
    QString m_syspath;
    QByteArray m_nodeFile; // the node's file in the testbed
    UMockdevIoctlBase *m_handler = nullptr;

    mutable std::mutex m_mutex;
    VirtualClock m_clock;
    BoxFirmware m_firmware { m_clock };
    Mode m_mode = Mode::Answering;
    QList<quint16> m_refused;
    bool m_dataPathOpen = false;
    bool m_claimed = false;
    bool m_driverBound = true; // Linux's serial driver holds the interface until it is detached
    bool m_gone = false;
    QList<ControlRequest> m_requests;
    QList<QByteArray> m_frames;
    std::deque<QByteArray> m_packets; // what the device has ready on its IN endpoint
    std::deque<Urb> m_pendingIn;
    std::deque<Urb> m_pendingOut;
    std::deque<Urb> m_done;

    // What polling the node reports (UsbfsPoll): readable while URBs wait in m_done or the device
    // is gone, as the kernel makes a usbfs node writable and then errant.
    int m_readyFd = -1;
    bool m_readySignalled = false;
    std::atomic<bool> m_goneForPoll { false };
};
