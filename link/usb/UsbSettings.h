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
// vendor:product pairs to look at, and the vendor control requests that open, close and purge the
// data path. The request values come from public re-implementations, not from the maker, so each
// one can be changed from the command line (--usb-option NAME=VALUE) without a rebuild.
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

    // A CP210x-style "enable" sent before the open request. Some re-implementations send it; it is
    // not known whether the box needs or tolerates it, so it stays off unless asked for.
    bool sendEnable = false;
    quint8 enableRequest = 0x00;
    quint16 enableValue = 0xFFFF;

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

    // Applies "NAME=VALUE" assignments: request-type, request, index, open, close, purge,
    // enable-request, enable-value (hexadecimal), enable (on/off) and queue-wait (milliseconds,
    // decimal, 1 to kMaxQueueWaitMs). All or nothing.
    bool applyOptions(const QStringList &assignments, QString *error);

    static QStringList optionNames();
};
