#include "MainWindow.h"

#include "DeviceLink.h"
#include "SignalDescription.h"
#include "ui_ZelvarinForm.h"

#include <QTimerEvent>

// The box changes by itself (its automatic switching, the source, its own EDID work), so the
// window polls it: every tick reflects the status block into the controls and describes the
// incoming signal.

namespace {
constexpr quint8 BLOCK_SIGNAL = 6;
constexpr quint8 BLOCK_SPD = 21;
constexpr quint8 BLOCK_HDR_INFOFRAME = 30;
constexpr quint8 BLOCK_UNUSED = 31;
constexpr quint8 SIGNAL_REFLECT_LEN = 14;
constexpr quint8 SIGNAL_DESCRIBE_LEN = 15;
constexpr quint8 NAMES_LEN = 31;

// The status block starts at reply byte 2.
constexpr int STATUS_OFFSET = 2;

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

void MainWindow::timerEvent(QTimerEvent *)
{
    // A tick delivered from a message loop opened inside a transaction (a warning box) must not
    // start a second one; and after the close handling there is no form left to reflect into.
    if (m_services.link->transactionBusy() || !ui)
        return;
    followEdidRefresh();
    reflectSettings();
    describeSignal();
}

void MainWindow::followEdidRefresh()
{
    if (!edidRefreshPending)
        return;
    Reply reply {};
    // A failed read tells nothing about the box's state: ask again at the next tick.
    if (!readStatus(reply, STATUS_LEN))
        return;
    if (reply[1] & STATUS_FLAG_BUSY)
        return;
    edidRefreshPending = false;
    ReadEDID();
}

void MainWindow::reflectSettings()
{
    Reply status {};
    Reply signal {};
    const bool statusOk = readStatus(status, STATUS_LEN);
    const bool signalOk = readRegisters(BLOCK_SIGNAL, signal, SIGNAL_REFLECT_LEN);
    if (!statusOk || (status[1] & STATUS_FLAG_BUSY) || !signalOk)
        return;

    RegisterImage &mirror = m_services.link->registerMirror;
    std::copy_n(status.begin() + STATUS_OFFSET, STATUS_BLOCK_LEN, mirror.begin());
    // The controls below may run their slots, which store into the mirror: read a copy.
    const RegisterImage p = mirror;

    // The lists: a value past the end (or input 0) leaves no current item.
    ui->cmbInputSel->setCurrentIndex(int(p[0]) - 1);
    ui->cmBEdid->setCurrentIndex(p[19]);
    ui->cmbLa->setCurrentIndex(p[30]);
    ui->cmbEdidAlgo->setCurrentIndex(p[32]);

    switch (p[1]) { // audio source; 2 is a source the window cannot choose
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

    switch (p[2]) { // EDID mode; only a custom table may be edited
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

    switch (p[3]) { // HDCP; 1 is a version the window cannot choose
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

    switch (p[4]) { // 4:2:0 output
    case 0:
        setPair(ui->disable420, ui->enable420, true);
        break;
    case 1:
        setPair(ui->enable420, ui->disable420, true);
        break;
    default:
        break;
    }

    switch (p[6]) { // automatic switching; the priority only matters while it is on
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
    const bool audioFree = p[11] == 1;
    ui->audioHdmi->setEnabled(audioFree);
    ui->audioJack->setEnabled(audioFree);
    const bool hdcpFree = p[10] == 1;
    ui->hdcp22->setEnabled(hdcpFree);
    ui->hdcp14->setEnabled(hdcpFree);
    const bool edidFree = p[9] == 1;
    ui->automixEDID->setEnabled(edidFree);
    ui->customEDID->setEnabled(edidFree);
    ui->fixedEDID->setEnabled(edidFree);
    if (!edidFree)
        ui->EDIDtext->setEnabled(false);

    ui->cb2cForce->setChecked(p[13] == 1);
    ui->cb51->setChecked(p[14] == 1);
    ui->cbFull->setChecked(p[17] == 1);
    ui->cb3D->setChecked(p[15] == 1);
    ui->cbHdr->setChecked(p[16] == 1);

    setPair(ui->pPrioForce, ui->bPrioNorm, p[18] == 1);
    setPair(ui->bHdrRepurpEn, ui->bHdrRepurpDis, p[21] == 1);
    setPair(ui->bSamHdr, ui->bFullHdr, p[24] == 1);
    ui->cbHdrForceMode->setChecked(p[22] == 1);
    setPair(ui->enableLed, ui->disableLed, p[26] == 1);
    setPair(ui->enableBLed, ui->disableBLed, p[27] == 1);

    ui->cbCec->setChecked(p[5] == 1);
    ui->cbYUV->setChecked(p[29] == 1);
    ui->cbBt2020->setChecked(p[28] == 1);

    setPair(ui->enableAVR, ui->disableAVR, p[31] == 1);
    ui->cbAviPersistent->setChecked(p[33] == 1);
}

void MainWindow::describeSignal()
{
    // All four blocks are read every time, so the box sees the same conversation on every tick.
    Reply signal {}, names {}, hdr {}, unused {};
    const bool signalOk = readRegisters(BLOCK_SIGNAL, signal, SIGNAL_DESCRIBE_LEN);
    const bool namesOk = readRegisters(BLOCK_SPD, names, NAMES_LEN);
    const bool hdrOk = readRegisters(BLOCK_HDR_INFOFRAME, hdr, NAMES_LEN);
    const bool unusedOk = readRegisters(BLOCK_UNUSED, unused, NAMES_LEN);
    if (!signalOk || !namesOk || !hdrOk || !unusedOk)
        return;

    const SignalDescription d = SignalDescription::fromBlocks(signal, names, hdr);
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
