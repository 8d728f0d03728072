// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "box/BoxResult.h"

#include "edid/HexText.h"
#include "link/DeviceLink.h"

BoxResult BoxResult::fromLink(
    const DeviceLink &link, bool transacted, quint8 expectedCode, quint8 replyCode)
{
    const DeviceLink::Outcome &outcome = link.lastOutcome();
    BoxResult r;
    r.usbStatus = outcome.usbStatus;
    r.expectedCode = expectedCode;
    r.replyCode = replyCode;
    r.replyLength = outcome.replyLength;
    if (transacted) {
        r.kind = (expectedCode != 0 && replyCode != expectedCode) ? WrongCode : Ok;
        return r;
    }
    switch (outcome.kind) {
    case DeviceLink::Outcome::NotOpen:
        r.kind = NotOpen;
        break;
    case DeviceLink::Outcome::NoReply:
        r.kind = NoReply;
        break;
    case DeviceLink::Outcome::ShortReply:
        r.kind = ShortReply;
        break;
    default:
        r.kind = LinkError;
        break;
    }
    return r;
}

QString BoxResult::describe() const
{
    const auto hex = [](quint32 v) {
        return QStringLiteral("0x") + HexText::number(v, 2, HexText::Case::Upper);
    };
    switch (kind) {
    case Ok:
        return QStringLiteral("ok");
    case NotOpen:
        return QStringLiteral("no box is open");
    case LinkError:
        return QStringLiteral("USB link error (status %1)").arg(hex(usbStatus));
    case NoReply:
        return QStringLiteral("no reply from the box");
    case ShortReply:
        return QStringLiteral("short reply from the box (%1 bytes)").arg(replyLength);
    case WrongCode:
        return QStringLiteral("wrong reply code %1 (expected %2)")
            .arg(hex(replyCode), hex(expectedCode));
    case Busy:
        return QStringLiteral("the box stays busy");
    }
    return QString();
}
