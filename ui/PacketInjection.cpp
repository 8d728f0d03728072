// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "box/BoxClient.h"
#include "link/DeviceLink.h"
#include "link/HexBytes.h"
#include "protocol/PacketRules.h"
#include "protocol/SettingsTable.h"
#include "ui_ZelvarinForm.h"

#include <QTextEdit>
#include <cstdio>

// CEC commands and InfoFrame injection: the text fields of the CEC and HDR / IF tabs go to the box
// as load frames, most of them followed 100 ms later by an activate frame.

namespace {

// A failed activate frame is not shown on the window, whose status bar keeps the load's outcome;
// it goes to standard output, unbuffered so it is not lost if the program ends abruptly.
void reportOnStdout(const char *line)
{
    std::fputs(line, stdout);
    std::fflush(stdout);
}

} // namespace

void MainWindow::WriteCEC()
{
    clearTextBuffer();
    sendCecCommand(CODE_CEC_SEND);
}

void MainWindow::SaveCEC_1()
{
    clearTextBuffer();
    storeCecCommand(CODE_CEC_STORE_1);
}

void MainWindow::SaveCEC_2()
{
    clearTextBuffer();
    storeCecCommand(CODE_CEC_STORE_2);
}

void MainWindow::WriteIF()
{
    clearTextBuffer();
    sendHdrInfoFrame();
}

// The window sends with CODE_CEC_SEND only; the stores go through storeCecCommand.
bool MainWindow::sendCecCommand(quint8 code)
{
    Q_UNUSED(code);
    const QByteArray text = prepareHexText(ui->CECtext->toPlainText());
    if (!PacketRules::fitsCecSend(int(text.size()))) {
        showStatus(tr("Error: min 2, max 31 data bytes"), 2000);
        return false;
    }
    // The box gets the activate frame even when the send was not acknowledged.
    const BoxClient::PacketResult sent = m_box->sendCec(text);
    if (sent.load.ok())
        showStatus(tr("CEC values written..."), 2000);
    else
        showStatus(tr("Error Writing CEC command."), 4000);
    if (!sent.activate.ok())
        reportOnStdout("\nError Populating CEC values.\n");
    return sent.activate.ok();
}

bool MainWindow::storeCecCommand(quint8 code)
{
    const QByteArray text = prepareHexText(ui->CECtext->toPlainText());
    if (!PacketRules::fitsCecStore(int(text.size()))) {
        showStatus(tr("CEC values not correct"), 2000);
        return false;
    }
    const BoxResult stored = m_box->storeCec(code == CODE_CEC_STORE_2 ? 2 : 1, text);
    if (stored.ok())
        showStatus(tr("CEC values written..."), 2000);
    else
        showStatus(tr("Error Writing CEC values."), 4000);
    return stored.delivered();
}

bool MainWindow::sendHdrInfoFrame()
{
    const QByteArray text = prepareHexText(ui->IFtext->toPlainText());
    if (!PacketRules::fitsHdrInfoFrame(int(text.size()))) {
        showStatus(tr("Error: min 2, max 31 data bytes"), 2000);
        return false;
    }

    // Activated whatever the load's outcome: the box may still hold an earlier InfoFrame.
    const BoxClient::PacketResult loaded = m_box->loadHdrInfoFrame(text);
    if (loaded.load.ok())
        showStatus(tr("Infoframe values written..."), 2000);
    else
        showStatus(tr("Error Writing Infoframe values."), 4000);
    if (loaded.activate.ok())
        return true;
    reportOnStdout("\nError Populating IF values.\n");
    return false;
}

bool MainWindow::sendAVI()
{
    const QByteArray text = prepareHexText(ui->AVItext->toPlainText());
    if (!PacketRules::fitsAvi(int(text.size()))) {
        showStatus(tr("Error: min 2, max 13 data bytes"), 2000);
        return false;
    }

    // The load, its activation and the replace setting are one command to the box.
    const DeviceLink::Sequence command(*m_services.link);
    const BoxClient::PacketResult loaded = m_box->loadAvi(text);
    if (!loaded.load.ok()) {
        showStatus(tr("Error Writing AVI command."), 4000);
        return false;
    }
    showStatus(tr("AVI values written..."), 2000);
    if (!loaded.activate.ok()) {
        reportOnStdout("\nError Activating AVI values.\n");
        return false;
    }

    const Settings::Setting &replace = Settings::setting(Settings::Id::ReplaceAvi);
    const quint8 persistent = ui->cbAviPersistent->isChecked() ? 1 : 0;
    writeRegister(replace.reg, persistent);
    m_services.link->registerMirror[replace.position] = persistent;
    return true;
}
