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
// ioctls that libusb sends to it (claim, driver detach, URB submit, reap and discard, clear halt),
// answered the way the kernel and the box's firmware would. Bulk OUT frames go to a BoxFirmware
// once the open request has been seen; its replies come back as 64-byte packets on the IN
// endpoint, and a pending IN URB completes on a short packet or when it is full, as on the wire.
//
// Like the device-side library a real box runs, it refuses vendor requests it does not know, and
// a frame ends only with a short or zero-length packet: a frame of whole packets waits for the
// next one. Its data toggles can start out of step with the host's, which loses the first packet
// each way until the halt of that endpoint is cleared.
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
        // The vendor requests the firmware knows (any wIndex): bRequest and the three wValues.
        quint8 request = 0x02;
        quint16 openValue = 0x0002;
        quint16 closeValue = 0x0004;
        quint16 purgeValue = 0x0001;
        bool togglesOutOfStep = false;
        // A kernel since 2.6.31 adds a zero-length packet to a URB that asks; an older one
        // refuses the URB.
        bool kernelAddsZeroPackets = true;
    };
    // Every request on the control endpoint but the string descriptors, refused ones too; a
    // cleared halt is the standard CLEAR_FEATURE request { 0x02, 0x01, 0x0000, endpoint }.
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
    int zeroLengthPackets() const; // received on the OUT endpoint
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
    void receivePacket(const QByteArray &packet);
    void clearHalt(UMockdevIoctlData *arg);
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
    QByteArray m_outTransfer; // the whole packets of a frame not yet ended
    int m_zeroLengthPackets = 0;
    bool m_outOutOfStep = false;
    bool m_inOutOfStep = false;
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
