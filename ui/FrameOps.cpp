// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "box/BoxClient.h"
#include "link/DeviceLink.h"
#include "session/ConnectionWatch.h"

// The four frame operations that report their own failures on the status bar.

// Reads of a status tick cut short by a silent box send nothing (Connection.cpp).
bool MainWindow::readRegisters(quint8 block, Reply &reply, quint8 count)
{
    if (m_watch->tickAbandoned())
        return false;
    if (m_box->readBlock(block, count, reply).ok())
        return true;
    if (!lostDuringTick())
        showStatus(tr("..."), 2000);
    return false;
}

// True when the frame went out and a reply came, whatever its code; a wrong code is reported all
// the same.
bool MainWindow::writeRegister(quint8 index, quint8 value)
{
    const BoxResult r = m_box->writeRegister(index, value);
    if (!r.ok())
        showStatus(tr("Error Writing values"), 4000);
    return r.delivered();
}

bool MainWindow::readStatus(Reply &reply, quint8 count)
{
    if (m_watch->tickAbandoned())
        return false;
    BoxClient::Status status;
    status.reply = reply;
    const BoxResult r = m_box->readStatus(status, count);
    reply = status.reply;
    if (r.ok())
        return true;
    if (!lostDuringTick())
        showStatus(tr("Error Reading values"), 4000);
    return false;
}

bool MainWindow::writeAllRegisters(const RegisterImage &image)
{
    const BoxResult r = m_box->writeAllRegisters(image);
    if (!r.ok())
        showStatus(tr("Error Writing values"), 4000);
    return r.delivered();
}
