// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>

class DeviceLink;

// What one exchange with the box came to. Front ends choose their own words for each kind; the
// command line uses describe().
struct BoxResult
{
    enum Kind {
        Ok,
        NotOpen, // no box is open
        LinkError, // a USB operation failed; usbStatus says which status it returned
        NoReply, // the box stayed silent for the whole wait
        ShortReply, // fewer bytes came than the frame asks for
        WrongCode, // a reply came whose code is not the request's
        Busy, // the box still reported busy when the wait for it ended
    };

    Kind kind = Ok;
    quint32 usbStatus = 0;
    quint8 expectedCode = 0;
    quint8 replyCode = 0;
    quint32 replyLength = 0;

    bool ok() const { return kind == Ok; }
    // The request went out and a full reply came back, whatever its code: the transaction itself
    // succeeded.
    bool delivered() const { return kind == Ok || kind == WrongCode; }

    // From the link's account of its last transaction; `expectedCode` is checked against reply
    // byte 0 unless it is zero (replies without a code, such as EDID chunks).
    static BoxResult fromLink(
        const DeviceLink &link, bool transacted, quint8 expectedCode, quint8 replyCode);

    // "no reply from the box", "wrong reply code 0x1F (expected 0xE0)", ...
    QString describe() const;
};
