// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "box/BoxClient.h"
#include "box/SignalDescription.h"
#include "link/DeviceLink.h"
#include "protocol/Blocks.h"
#include "ui/BoxRoute.h"
#include "ui/Dialogs.h"
#include "ui_ZelvarinForm.h"

#include <QStringList>

// Runs at the end of construction: find and open the box, show what it holds, start polling it.
// Without a box the window stays usable, every action fails in the device link, and the window
// keeps looking for the box in the background (Connection.cpp).
void MainWindow::connectBox()
{
    const BoxRoute::Opened opened = m_route->open(false);
    if (opened == BoxRoute::Opened::Yes) {
        runConnectSequence();
        return;
    }
    if (opened == BoxRoute::Opened::OpenFailed)
        m_services.dialogs->warning(this, tr("ZELVARIN Utility"), tr("Hardware not found"));
    startBoxSearch();
}

// What the window learns from a newly opened box; run again when a lost box comes back.
void MainWindow::runConnectSequence()
{
    // A box that comes back must not get the lists' refilling written to it.
    boxConnected = false;
    resetConnectionWatch();

    // The lists are still empty here; they take the box's values at the first tick.
    reflectSettings();

    // What the box holds, read as one piece: no other program's frame comes between.
    BoxClient::FirmwareVersion version;
    Reply infoFrame {}, avi {};
    BoxResult identified;
    {
        const DeviceLink::Sequence holdings(*m_services.link);
        identified = m_box->identify(version);
        if (!identified.ok())
            showStatus(tr("..."), 2000);
        readRegisters(Block::CUSTOM_INFOFRAME, infoFrame, Block::CUSTOM_INFOFRAME_LEN);
        readRegisters(Block::CUSTOM_AVI, avi, Block::CUSTOM_AVI_LEN);
    }

    if (identified.ok()) {
        ui->labelFw1->setText(QStringLiteral("ver: ") + version.dotted());
        ui->labelTitle->setText(tr("ZELVARIN GUI"));
    }

    // Filling moves each list's index from none to 0; boxConnected is still false, so the list
    // slots write nothing. A second run (the box came back) starts from empty lists.
    ui->cmbInputSel->clear();
    ui->cmBEdid->clear();
    ui->cmbLa->clear();
    ui->cmbEdidAlgo->clear();
    ui->cmbInputSel->addItems({ QStringLiteral("PORT A [TOP]"), QStringLiteral("PORT B [BOT]"),
        QStringLiteral("MATRIX THRU"), QStringLiteral("MATRIX SWAP") });
    ui->cmBEdid->addItems({ QStringLiteral("Custom Uploaded/Default EDID"),
        QStringLiteral("4k30-444 300MHz All Sound"), QStringLiteral("4k30-RGB 300MHz All Sound"),
        QStringLiteral("4k60-420 8-bit 300MHz All Sound"),
        QStringLiteral("4k60-420 10-bit HDR BT.2020 All Sound"),
        QStringLiteral("4k60-444 600MHz All Sound"),
        QStringLiteral("4k60-444 600MHz HDR BT.2020 All Sound"),
        QStringLiteral("1080p-444 148MHz All Sound") });
    ui->cmbLa->addItems(
        { QStringLiteral("Video Processor [Default]"), QStringLiteral("Audio System w/ARC") });
    ui->cmbEdidAlgo->addItems(
        { QStringLiteral("Min Mixed [Default]"), QStringLiteral("Max Audio, Min Video"),
            QStringLiteral("TOP Output Priority"), QStringLiteral("Max Audio, Max Video") });

    // The custom InfoFrames the box holds, shown whatever their reads returned (a failed read
    // leaves zeros). When the box comes back, what the user typed meanwhile is kept.
    if (!connectedOnce) {
        ui->IFtext->setText(SignalDescription::hexList(
            infoFrame.data() + Block::BLOCK_DATA, Block::CUSTOM_INFOFRAME_SHOWN));
        ui->AVItext->setText(
            SignalDescription::hexList(avi.data() + Block::BLOCK_DATA, Block::CUSTOM_AVI_SHOWN));
        ui->CECtext->setPlainText(tr("50:04"));
    }

    // A box lost on the way (Connection.cpp) is not polled: the search that its loss started
    // runs this sequence again once the box is back.
    if (!m_services.link->isOpen())
        return;
    startStatusTimer(STATUS_PERIOD_MS);
    describeSignal();
    ReadEDID();
    ui->CECtext->setEnabled(true);
    if (!m_services.link->isOpen()) {
        stopStatusTimer();
        return;
    }
    boxConnected = true;
    connectedOnce = true;
}
