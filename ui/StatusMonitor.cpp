// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MainWindow.h"

#include "Blocks.h"
#include "BoxClient.h"
#include "DecodedView.h"
#include "DeviceLink.h"
#include "SettingsTable.h"
#include "SignalDescription.h"
#include "ui_ZelvarinForm.h"

#include <QTimerEvent>

// The box changes by itself (its automatic switching, the source, its own EDID work), so the
// window polls it: every tick reflects the status block into the controls and describes the
// incoming signal.

namespace {
using Settings::Id;

int statusPos(Id id)
{
    return Settings::setting(id).position;
}

// Both buttons of a pair are set, in this order; unchecking the checked button of an exclusive
// group does nothing, which keeps the group's last choice when neither value applies.
void setPair(QAbstractButton *on, QAbstractButton *off, bool first)
{
    on->setChecked(first);
    off->setChecked(!first);
}
} // namespace

void MainWindow::startStatusTimer(int periodMs)
{
    if (statusTimerRunning)
        return;
    statusTimerId = startTimer(periodMs);
    statusTimerRunning = true;
}

void MainWindow::stopStatusTimer()
{
    if (!statusTimerRunning)
        return;
    statusTimerRunning = false;
    killTimer(statusTimerId);
}

void MainWindow::timerEvent(QTimerEvent *event)
{
    // A tick delivered from a message loop opened inside a transaction (a warning box) must not
    // start a second one; and after the close handling there is no form left to reflect into.
    if (m_services.link->transactionBusy() || !ui)
        return;
    if (isSearchTimer(event)) {
        searchForBox(false);
        return;
    }
    beginTick();
    followEdidRefresh();
    reflectSettings();
    describeSignal();
    endTick();
}

void MainWindow::followEdidRefresh()
{
    if (!edidRefreshPending)
        return;
    BoxClient::Status status;
    // A failed read tells nothing about the box's state: ask again at the next tick.
    if (!readStatus(status.reply, STATUS_LEN))
        return;
    noteBusyTick(status.busy());
    if (status.busy())
        return;
    edidRefreshPending = false;
    ReadEDID();
}

void MainWindow::reflectSettings()
{
    BoxClient::Status status;
    Reply signal {};
    const bool statusOk = readStatus(status.reply, STATUS_LEN);
    const bool signalOk = readRegisters(Block::SIGNAL, signal, Block::SIGNAL_REFLECT_LEN);
    if (!statusOk || status.busy() || !signalOk)
        return;

    RegisterImage &mirror = m_services.link->registerMirror;
    mirror = status.settings();
    // The controls below may run their slots, which store into the mirror: read a copy.
    const RegisterImage p = mirror;

    // The lists: a value past the end (or input 0) leaves no current item.
    ui->cmbInputSel->setCurrentIndex(int(p[statusPos(Id::Input)]) - 1);
    ui->cmBEdid->setCurrentIndex(p[statusPos(Id::CustomEdid)]);
    ui->cmbLa->setCurrentIndex(p[statusPos(Id::CecDeviceType)]);
    ui->cmbEdidAlgo->setCurrentIndex(p[statusPos(Id::AutomixAlgorithm)]);

    switch (p[statusPos(Id::AudioSource)]) { // audio source; 2 is a source the window cannot choose
    case 1:
        setPair(ui->audioHdmi, ui->audioJack, true);
        break;
    case 2:
        ui->audioHdmi->setChecked(false);
        ui->audioJack->setChecked(false);
        break;
    case 3:
        setPair(ui->audioHdmi, ui->audioJack, false);
        break;
    default:
        break;
    }

    switch (p[statusPos(Id::EdidMode)]) { // EDID mode; only a custom table may be edited
    case 1:
        ui->automixEDID->setChecked(true);
        ui->customEDID->setChecked(false);
        ui->fixedEDID->setChecked(false);
        ui->EDIDtext->setEnabled(false);
        break;
    case 2:
        ui->fixedEDID->setChecked(true);
        ui->automixEDID->setChecked(false);
        ui->customEDID->setChecked(false);
        ui->EDIDtext->setEnabled(false);
        break;
    case 3:
        ui->customEDID->setChecked(true);
        ui->automixEDID->setChecked(false);
        ui->fixedEDID->setChecked(false);
        ui->EDIDtext->setEnabled(true);
        break;
    default:
        break;
    }

    switch (p[statusPos(Id::Hdcp)]) { // HDCP; 1 is a version the window cannot choose
    case 1:
        ui->hdcp14->setChecked(false);
        ui->hdcp22->setChecked(false);
        break;
    case 2:
        setPair(ui->hdcp14, ui->hdcp22, true);
        break;
    case 3:
        setPair(ui->hdcp14, ui->hdcp22, false);
        break;
    default:
        break;
    }

    switch (p[statusPos(Id::Output420)]) { // 4:2:0 output
    case 0:
        setPair(ui->disable420, ui->enable420, true);
        break;
    case 1:
        setPair(ui->enable420, ui->disable420, true);
        break;
    default:
        break;
    }

    switch (p[statusPos(
        Id::AutoSwitch)]) { // automatic switching; the priority only matters while it is on
    case 0:
        setPair(ui->autoSwDis, ui->autoSwEn, true);
        ui->pPrioForce->setEnabled(false);
        ui->bPrioNorm->setEnabled(false);
        break;
    case 1:
        setPair(ui->autoSwEn, ui->autoSwDis, true);
        ui->pPrioForce->setEnabled(true);
        ui->bPrioNorm->setEnabled(true);
        break;
    default:
        break;
    }

    // What the box lets the user change right now.
    const bool audioFree = p[Settings::POS_AUDIO_FREE] == 1;
    ui->audioHdmi->setEnabled(audioFree);
    ui->audioJack->setEnabled(audioFree);
    const bool hdcpFree = p[Settings::POS_HDCP_FREE] == 1;
    ui->hdcp22->setEnabled(hdcpFree);
    ui->hdcp14->setEnabled(hdcpFree);
    const bool edidFree = p[Settings::POS_EDID_MODE_FREE] == 1;
    ui->automixEDID->setEnabled(edidFree);
    ui->customEDID->setEnabled(edidFree);
    ui->fixedEDID->setEnabled(edidFree);
    if (!edidFree)
        ui->EDIDtext->setEnabled(false);

    ui->cb2cForce->setChecked(p[statusPos(Id::Edid2ch)] == 1);
    ui->cb51->setChecked(p[statusPos(Id::Edid51)] == 1);
    ui->cbFull->setChecked(p[statusPos(Id::EdidFullAudio)] == 1);
    ui->cb3D->setChecked(p[statusPos(Id::EdidNo3d)] == 1);
    ui->cbHdr->setChecked(p[statusPos(Id::EdidHdr)] == 1);

    setPair(ui->pPrioForce, ui->bPrioNorm, p[statusPos(Id::SwitchPriority)] == 1);
    setPair(ui->bHdrRepurpEn, ui->bHdrRepurpDis, p[statusPos(Id::HdrHotkey)] == 1);
    setPair(ui->bSamHdr, ui->bFullHdr, p[statusPos(Id::HdrMode)] == 1);
    ui->cbHdrForceMode->setChecked(p[statusPos(Id::ForceHdr)] == 1);
    setPair(ui->enableLed, ui->disableLed, p[statusPos(Id::GreenLed)] == 1);
    setPair(ui->enableBLed, ui->disableBLed, p[statusPos(Id::BlueLeds)] == 1);

    ui->cbCec->setChecked(p[statusPos(Id::Cec)] == 1);
    ui->cbYUV->setChecked(p[statusPos(Id::EdidYcbcr)] == 1);
    ui->cbBt2020->setChecked(p[statusPos(Id::EdidBt2020)] == 1);

    setPair(ui->enableAVR, ui->disableAVR, p[statusPos(Id::AvrAudio)] == 1);
    ui->cbAviPersistent->setChecked(p[statusPos(Id::ReplaceAvi)] == 1);
}

void MainWindow::describeSignal()
{
    // The client reads all four blocks every time, so the box sees the same conversation on
    // every tick; each failed read says so, as any block read does.
    if (tickAbandoned)
        return;
    const BoxClient::SignalRead read = m_box->readSignal();
    for (const BoxResult &r : read.results) {
        if (!r.ok())
            showStatus(tr("..."), 2000);
    }
    if (!read.ok())
        return;

    lastSignal = read.decode();
    signalRead = true;
    if (decodedView)
        decodedView->showSignal(lastSignal);
    const SignalDescription d = SignalDescription::describe(lastSignal);
    ui->label_video_format->setText(d.videoLine);
    ui->lblCsc->setText(d.colourLine);
    // The names come from whatever source is plugged in: never let them be taken for markup.
    ui->lblVideoSource->setTextFormat(Qt::PlainText);
    ui->lblVideoSource->setText(d.sourceLine);
    ui->lblHdrInput->setText(d.hdrLine);
    if (d.hdrCapture.isEmpty())
        ui->txtHdrIf->clear();
    else
        ui->txtHdrIf->setText(d.hdrCapture);
}
