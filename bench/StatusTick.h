// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/DeviceLink.h"
#include "protocol/Frames.h"

// The six reads of one status tick on the link alone, as the box client makes them: what a tick
// cannot do without, for the benchmarks that time a tick.
namespace StatusTick {

inline bool readBlock(DeviceLink &link, quint8 block, quint8 count)
{
    Reply reply {};
    const quint8 request[] = { FRAME_READ, count, CODE_REGISTERS, block };
    return link.transact(reply, request, count, sizeof request) && reply[0] == CODE_REGISTERS;
}

inline bool onLink(DeviceLink &link)
{
    Reply reply {};
    const quint8 status[] = { FRAME_READ, STATUS_LEN, CODE_STATUS };
    bool ok = link.transact(reply, status, STATUS_LEN, sizeof status);
    ok &= readBlock(link, 6, 14);
    ok &= readBlock(link, 6, 15);
    ok &= readBlock(link, 21, 31);
    ok &= readBlock(link, 30, 31);
    ok &= readBlock(link, 31, 31);
    return ok;
}

} // namespace StatusTick
