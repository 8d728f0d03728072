// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "link/DeviceLink.h"
#include "protocol/SettingsTable.h"
#include "ui_ZelvarinForm.h"

// The settings controls: each slot reads its controls, writes one register and records the value
// in the settings image at the register's place in the status block. The image is corrected by
// the next status reflection whatever the write's outcome.

using Settings::Id;

void MainWindow::writeSetting(Settings::Id id, quint8 value)
{
    const Settings::Setting &s = Settings::setting(id);
    writeRegister(s.reg, value);
    m_services.link->registerMirror[s.position] = value;
}

void MainWindow::writeOnOff(bool on, Settings::Id id)
{
    writeSetting(id, on ? 1 : 0);
}

// Filling the lists at start-up moves their current index; only a connected window writes it.
// An index of -1 (no current item) goes out as 0xFF, as the byte it is.
void MainWindow::writeListIndex(int index, Settings::Id id)
{
    if (boxConnected)
        writeRegister(Settings::setting(id).reg, quint8(index));
}

void MainWindow::SetActivePort()
{
    // The box numbers its inputs from 1, so "no item" becomes 0.
    writeListIndex(ui->cmbInputSel->currentIndex() + 1, Id::Input);
}

void MainWindow::SetAutoSwitch()
{
    writeOnOff(ui->autoSwEn->isChecked(), Id::AutoSwitch);
}

void MainWindow::SetAudioSource()
{
    quint8 value = 0;
    if (ui->audioHdmi->isChecked())
        value = 1;
    else if (ui->audioJack->isChecked())
        value = 3;
    else
        return;
    writeSetting(Id::AudioSource, value);
}

void MainWindow::SetHDCP_Version()
{
    quint8 value = 0;
    if (ui->hdcp14->isChecked())
        value = 2;
    else if (ui->hdcp22->isChecked())
        value = 3;
    else
        return;
    writeSetting(Id::Hdcp, value);
}

void MainWindow::SetOut_420()
{
    writeOnOff(ui->enable420->isChecked(), Id::Output420);
}

void MainWindow::SetEDID_Mode()
{
    quint8 mode = 0;
    if (ui->automixEDID->isChecked())
        mode = Settings::EDID_MODE_AUTOMIX;
    else if (ui->fixedEDID->isChecked())
        mode = Settings::EDID_MODE_FIXED;
    else if (ui->customEDID->isChecked())
        mode = Settings::EDID_MODE_CUSTOM;
    if (mode != 0) {
        writeSetting(Id::EdidMode, mode);
        // Only a custom table is the user's to edit.
        ui->EDIDtext->setEnabled(mode == Settings::EDID_MODE_CUSTOM);
    }
    // The box now rebuilds its EDID; the status tick reads it back once the box is idle again.
    showStatus(tr("EDID Writing Busy"), 2000);
    edidRefreshPending = true;
}

void MainWindow::force2c()
{
    writeOnOff(ui->cb2cForce->isChecked(), Id::Edid2ch);
}

void MainWindow::force51()
{
    writeOnOff(ui->cb51->isChecked(), Id::Edid51);
}

void MainWindow::forceHdr()
{
    writeOnOff(ui->cbHdr->isChecked(), Id::EdidHdr);
}

void MainWindow::forceFullAudio()
{
    writeOnOff(ui->cbFull->isChecked(), Id::EdidFullAudio);
}

void MainWindow::setSwPriority()
{
    writeOnOff(ui->pPrioForce->isChecked(), Id::SwitchPriority);
}

void MainWindow::changeCustomEdid()
{
    writeListIndex(ui->cmBEdid->currentIndex(), Id::CustomEdid);
}

void MainWindow::CecLpRepurp()
{
    writeOnOff(ui->bHdrRepurpEn->isChecked(), Id::HdrHotkey);
}

void MainWindow::hdrForceActivate()
{
    const bool on = ui->cbHdrForceMode->isChecked();
    const DeviceLink::Sequence command(*m_services.link);
    // Forcing HDR needs an InfoFrame in the box; the register is written whatever the load did.
    if (on)
        sendHdrInfoFrame();
    writeOnOff(on, Id::ForceHdr);
}

void MainWindow::hdrSamsung()
{
    writeOnOff(ui->bSamHdr->isChecked(), Id::HdrMode);
}

void MainWindow::setLogoLed()
{
    writeOnOff(ui->enableLed->isChecked(), Id::GreenLed);
}

void MainWindow::setBt2020()
{
    writeOnOff(ui->cbBt2020->isChecked(), Id::EdidBt2020);
}

void MainWindow::setBlueLed()
{
    writeOnOff(ui->enableBLed->isChecked(), Id::BlueLeds);
}

void MainWindow::setYUV()
{
    writeOnOff(ui->cbYUV->isChecked(), Id::EdidYcbcr);
}

void MainWindow::setCEC()
{
    writeOnOff(ui->cbCec->isChecked(), Id::Cec);
}

void MainWindow::setCecLa()
{
    writeListIndex(ui->cmbLa->currentIndex(), Id::CecDeviceType);
}

void MainWindow::setAVR()
{
    writeOnOff(ui->enableAVR->isChecked(), Id::AvrAudio);
}

void MainWindow::set3D()
{
    writeOnOff(ui->cb3D->isChecked(), Id::EdidNo3d);
}

void MainWindow::setEdidAlgo()
{
    writeListIndex(ui->cmbEdidAlgo->currentIndex(), Id::AutomixAlgorithm);
}

void MainWindow::setAviPers()
{
    const bool on = ui->cbAviPersistent->isChecked();
    const DeviceLink::Sequence command(*m_services.link);
    // Replacing the AVI InfoFrame needs the custom one loaded first; its outcome does not change
    // the register write.
    if (on)
        sendAVI();
    writeOnOff(on, Id::ReplaceAvi);
}

void MainWindow::factoryReset()
{
    // A typed word, not a confirmation box, guards the reset: exact and case-sensitive.
    if (ui->leReset->text() != QLatin1String("RESET")) {
        showStatus(tr("Type RESET into the text box and click OK"), 2000);
        return;
    }
    const bool settings = ui->cbClearSettings->isChecked();
    const bool edid = ui->cbClearEdid->isChecked();
    if (settings && edid)
        writeRegister(Settings::REG_FACTORY_RESET, quint8(Settings::Reset::Both));
    else if (settings)
        writeRegister(Settings::REG_FACTORY_RESET, quint8(Settings::Reset::Settings));
    else if (edid)
        writeRegister(Settings::REG_FACTORY_RESET, quint8(Settings::Reset::Edid));
    else
        showStatus(tr("Choose the reset from the checkboxes"), 2000);

    // Every further reset must be asked for again from the start.
    ui->leReset->clear();
    ui->cbClearSettings->setChecked(false);
    ui->cbClearEdid->setChecked(false);
}
