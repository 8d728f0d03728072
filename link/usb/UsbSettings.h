// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// A USB vendor:product pair that the libusb backend treats as a box.
struct UsbId
{
    quint16 vendor = 0;
    quint16 product = 0;

    friend bool operator==(const UsbId &a, const UsbId &b)
    {
        return a.vendor == b.vendor && a.product == b.product;
    }
};

// What the libusb backend needs to know about the device beyond the USB descriptors: which
// vendor:product pairs to look at, the vendor control requests that open, close and purge the
// data path, and how the open and the writes meet a real device's USB details. The values come
// from public re-implementations and the device-side library, not from the maker's host side, so
// each one can be changed from the command line (--usb-option NAME=VALUE) without a rebuild.
class UsbSettings
{
public:
    static constexpr UsbId kDefaultId { 0x10C4, 0xEA61 };

    // Filled with a count and a value: GCC 12 wrongly warns of an uninitialised read when a
    // QList member is built from an initializer list.
    QList<UsbId> ids = QList<UsbId>(1, kDefaultId);

    // Every request is a vendor request to the device with no data stage.
    quint8 requestType = 0x40;
    quint8 request = 0x02;
    quint16 index = 0x0000;
    quint16 openValue = 0x0002;
    quint16 closeValue = 0x0004;
    quint16 purgeValue = 0x0001;

    // A CP210x-style "enable" sent before the open request, with a request type, value and index
    // of its own (a CP210x bridge wants 41 / 00 / 0001 / interface). The device-side library
    // refuses it, so it stays off unless asked for.
    bool sendEnable = false;
    quint8 enableRequestType = 0x40;
    quint8 enableRequest = 0x00;
    quint16 enableValue = 0xFFFF;
    quint16 enableIndex = 0x0000;

    // Whether a refused or failed request ends the open, or is only traced and the open carries
    // on. The open request is one every box knows: its refusal means the values are wrong, and
    // saying so at once beats four silent seconds per request. The enable request is one the
    // device-side library refuses, so by default its refusal is no reason to give up.
    bool openFatal = true;
    bool enableFatal = false;

    // Clears the halt on both bulk endpoints after claiming the interface, which resets the data
    // toggles on both sides: a device whose toggle is out of step would drop the first packet.
    bool clearHalt = true;

    // Ends a write that is a whole number of packets with a zero-length packet: the device-side
    // library ends a transfer on a short packet only, and would wait for the next frame.
    bool zeroPacket = true;

    // The longest the receive-queue check blocks while nothing is queued, in milliseconds. The
    // check returns the moment the pending read comes back, so this bounds only how late a caller
    // polling it notices its own deadline (DeviceLink's four seconds) when the box stays silent.
    // Short slices wake the program often for nothing; long ones let the deadline slip.
    static constexpr quint32 kMaxQueueWaitMs = 1000;
    quint32 queueWaitMs = 50;

    // "VID:PID" in hexadecimal, as lsusb prints it ("10c4:ea61"; a 0x prefix is allowed).
    static bool parseId(const QString &text, UsbId *id);

    // Adds each "VID:PID" pair (a pair already listed is not added twice). On a malformed pair,
    // returns false with a one-line explanation in *error and leaves the list as it was.
    bool addIds(const QStringList &pairs, QString *error);

    // Applies "NAME=VALUE" assignments, NAME one of optionNames(): request values in hexadecimal,
    // switches on/off (also 1/0, yes/no), queue-wait in decimal milliseconds from 1 to
    // kMaxQueueWaitMs. All or nothing.
    bool applyOptions(const QStringList &assignments, QString *error);

    static QStringList optionNames();

    // Every option as NAME=VALUE, in the order of optionNames() and the form applyOptions takes,
    // so that a trace says exactly what the backend did.
    QString summary() const;
};
