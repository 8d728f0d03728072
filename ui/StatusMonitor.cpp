// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "box/BoxClient.h"
#include "box/SignalDescription.h"
#include "link/DeviceLink.h"
#include "protocol/Blocks.h"
#include "protocol/SettingsTable.h"
#include "session/ConnectionWatch.h"
#include "ui/DecodedView.h"
#include "ui/SettingsReflection.h"
#include "ui_ZelvarinForm.h"

#include <QTimerEvent>

namespace {

// A tick finds the same words as the last one most of the time, and setting a text again lays
// its widget out again (for the HDR text box that was most of a tick): set only what changed.
void setChangedText(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

void setChangedText(QTextEdit *box, const QString &text)
{
    if (box->toPlainText() != text)
        box->setPlainText(text);
}

} // namespace

// The box changes by itself (its automatic switching, the source, its own EDID work), so the
// window polls it: every tick reflects the status block into the controls and describes the
// incoming signal.

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
    // One tick reads the box at one moment: no other program's frame comes between its reads.
    const DeviceLink::Sequence tick(*m_services.link);
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
    // Every tick reads the status here, pending EDID refresh or not: one count per tick.
    if (statusOk && m_watch->inTick())
        noteBusyTick(status.busy());
    if (!statusOk || status.busy() || !signalOk)
        return;

    RegisterImage &mirror = m_services.link->registerMirror;
    mirror = status.settings();
    // The controls below may run their slots, which store into the mirror: read a copy.
    const RegisterImage p = mirror;

    m_reflection->apply(p);
}

void MainWindow::describeSignal()
{
    // The client reads all four blocks every time, so the box sees the same conversation on
    // every tick; each failed read says so, as any block read does.
    if (m_watch->tickAbandoned())
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
    setChangedText(ui->label_video_format, d.videoLine);
    setChangedText(ui->lblCsc, d.colourLine);
    // The names come from whatever source is plugged in: never let them be taken for markup.
    ui->lblVideoSource->setTextFormat(Qt::PlainText);
    setChangedText(ui->lblVideoSource, d.sourceLine);
    setChangedText(ui->lblHdrInput, d.hdrLine);
    setChangedText(ui->txtHdrIf, d.hdrCapture);
}
