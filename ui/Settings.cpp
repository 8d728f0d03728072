#include "MainWindow.h"

#include "DeviceLink.h"
#include "ui_ZelvarinForm.h"

// The settings controls: each slot reads its controls, writes one register and records the value
// in the settings image at the register's place in the status block. The image is corrected by
// the next status reflection whatever the write's outcome.

namespace {
// Positions in the status block (and in registerMirror) of the settings the slots write.
constexpr int POS_AUDIO = 1;
constexpr int POS_EDID_MODE = 2;
constexpr int POS_HDCP = 3;
constexpr int POS_420 = 4;
constexpr int POS_CEC = 5;
constexpr int POS_AUTO_SWITCH = 6;
constexpr int POS_2CH = 13;
constexpr int POS_51 = 14;
constexpr int POS_NO_3D = 15;
constexpr int POS_HDR_EDID = 16;
constexpr int POS_FULL_AUDIO = 17;
constexpr int POS_PRIORITY = 18;
constexpr int POS_HDR_HOTKEY = 21;
constexpr int POS_FORCE_HDR = 22;
constexpr int POS_HDR_MODE = 24;
constexpr int POS_GREEN_LED = 26;
constexpr int POS_BLUE_LED = 27;
constexpr int POS_BT2020 = 28;
constexpr int POS_YUV = 29;
constexpr int POS_AVR = 31;
constexpr int POS_REPLACE_AVI = 33;

// Register numbers.
constexpr quint8 REG_INPUT = 0;
constexpr quint8 REG_AUTO_SWITCH = 1;
constexpr quint8 REG_AUDIO = 2;
constexpr quint8 REG_HDCP = 3;
constexpr quint8 REG_420 = 4;
constexpr quint8 REG_EDID_MODE = 5;
constexpr quint8 REG_2CH = 8;
constexpr quint8 REG_51 = 9;
constexpr quint8 REG_NO_3D = 10;
constexpr quint8 REG_HDR_EDID = 11;
constexpr quint8 REG_FULL_AUDIO = 12;
constexpr quint8 REG_PRIORITY = 13;
constexpr quint8 REG_CUSTOM_EDID = 14;
constexpr quint8 REG_HDR_HOTKEY = 16;
constexpr quint8 REG_FORCE_HDR = 17;
constexpr quint8 REG_HDR_MODE = 19;
constexpr quint8 REG_GREEN_LED = 22;
constexpr quint8 REG_BLUE_LED = 23;
constexpr quint8 REG_BT2020 = 24;
constexpr quint8 REG_FACTORY_RESET = 25;
constexpr quint8 REG_YUV = 26;
constexpr quint8 REG_CEC = 27;
constexpr quint8 REG_CEC_TYPE = 28;
constexpr quint8 REG_AVR = 29;
constexpr quint8 REG_AUTOMIX_ALGO = 32;
constexpr quint8 REG_REPLACE_AVI = 33;

// Register 25's values.
constexpr quint8 RESET_EDID = 1;
constexpr quint8 RESET_SETTINGS = 2;
constexpr quint8 RESET_BOTH = 3;
} // namespace

void MainWindow::writeOnOff(bool on, quint8 reg, int position)
{
    const quint8 value = on ? 1 : 0;
    writeRegister(reg, value);
    m_services.link->registerMirror[position] = value;
}

// Filling the lists at start-up moves their current index; only a connected window writes it.
// An index of -1 (no current item) goes out as 0xFF, as the byte it is.
void MainWindow::writeListIndex(int index, quint8 reg)
{
    if (boxConnected)
        writeRegister(reg, quint8(index));
}

void MainWindow::SetActivePort()
{
    // The box numbers its inputs from 1, so "no item" becomes 0.
    writeListIndex(ui->cmbInputSel->currentIndex() + 1, REG_INPUT);
}

void MainWindow::SetAutoSwitch()
{
    writeOnOff(ui->autoSwEn->isChecked(), REG_AUTO_SWITCH, POS_AUTO_SWITCH);
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
    writeRegister(REG_AUDIO, value);
    m_services.link->registerMirror[POS_AUDIO] = value;
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
    writeRegister(REG_HDCP, value);
    m_services.link->registerMirror[POS_HDCP] = value;
}

void MainWindow::SetOut_420()
{
    writeOnOff(ui->enable420->isChecked(), REG_420, POS_420);
}

void MainWindow::SetEDID_Mode()
{
    quint8 mode = 0;
    if (ui->automixEDID->isChecked())
        mode = 1;
    else if (ui->fixedEDID->isChecked())
        mode = 2;
    else if (ui->customEDID->isChecked())
        mode = 3;
    if (mode != 0) {
        writeRegister(REG_EDID_MODE, mode);
        m_services.link->registerMirror[POS_EDID_MODE] = mode;
        // Only a custom table is the user's to edit.
        ui->EDIDtext->setEnabled(mode == 3);
    }
    // The box now rebuilds its EDID; the status tick reads it back once the box is idle again.
    showStatus(tr("EDID Writing Busy"), 2000);
    edidRefreshPending = true;
}

void MainWindow::force2c()
{
    writeOnOff(ui->cb2cForce->isChecked(), REG_2CH, POS_2CH);
}

void MainWindow::force51()
{
    writeOnOff(ui->cb51->isChecked(), REG_51, POS_51);
}

void MainWindow::forceHdr()
{
    writeOnOff(ui->cbHdr->isChecked(), REG_HDR_EDID, POS_HDR_EDID);
}

void MainWindow::forceFullAudio()
{
    writeOnOff(ui->cbFull->isChecked(), REG_FULL_AUDIO, POS_FULL_AUDIO);
}

void MainWindow::setSwPriority()
{
    writeOnOff(ui->pPrioForce->isChecked(), REG_PRIORITY, POS_PRIORITY);
}

void MainWindow::changeCustomEdid()
{
    writeListIndex(ui->cmBEdid->currentIndex(), REG_CUSTOM_EDID);
}

void MainWindow::CecLpRepurp()
{
    writeOnOff(ui->bHdrRepurpEn->isChecked(), REG_HDR_HOTKEY, POS_HDR_HOTKEY);
}

void MainWindow::hdrForceActivate()
{
    const bool on = ui->cbHdrForceMode->isChecked();
    // Forcing HDR needs an InfoFrame in the box; the register is written whatever the load did.
    if (on)
        sendHdrInfoFrame();
    writeOnOff(on, REG_FORCE_HDR, POS_FORCE_HDR);
}

void MainWindow::hdrSamsung()
{
    writeOnOff(ui->bSamHdr->isChecked(), REG_HDR_MODE, POS_HDR_MODE);
}

void MainWindow::setLogoLed()
{
    writeOnOff(ui->enableLed->isChecked(), REG_GREEN_LED, POS_GREEN_LED);
}

void MainWindow::setBt2020()
{
    writeOnOff(ui->cbBt2020->isChecked(), REG_BT2020, POS_BT2020);
}

void MainWindow::setBlueLed()
{
    writeOnOff(ui->enableBLed->isChecked(), REG_BLUE_LED, POS_BLUE_LED);
}

void MainWindow::setYUV()
{
    writeOnOff(ui->cbYUV->isChecked(), REG_YUV, POS_YUV);
}

void MainWindow::setCEC()
{
    writeOnOff(ui->cbCec->isChecked(), REG_CEC, POS_CEC);
}

void MainWindow::setCecLa()
{
    writeListIndex(ui->cmbLa->currentIndex(), REG_CEC_TYPE);
}

void MainWindow::setAVR()
{
    writeOnOff(ui->enableAVR->isChecked(), REG_AVR, POS_AVR);
}

void MainWindow::set3D()
{
    writeOnOff(ui->cb3D->isChecked(), REG_NO_3D, POS_NO_3D);
}

void MainWindow::setEdidAlgo()
{
    writeListIndex(ui->cmbEdidAlgo->currentIndex(), REG_AUTOMIX_ALGO);
}

void MainWindow::setAviPers()
{
    const bool on = ui->cbAviPersistent->isChecked();
    // Replacing the AVI InfoFrame needs the custom one loaded first; its outcome does not change
    // the register write.
    if (on)
        sendAVI();
    writeOnOff(on, REG_REPLACE_AVI, POS_REPLACE_AVI);
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
        writeRegister(REG_FACTORY_RESET, RESET_BOTH);
    else if (settings)
        writeRegister(REG_FACTORY_RESET, RESET_SETTINGS);
    else if (edid)
        writeRegister(REG_FACTORY_RESET, RESET_EDID);
    else
        showStatus(tr("Choose the reset from the checkboxes"), 2000);

    // Every further reset must be asked for again from the start.
    ui->leReset->clear();
    ui->cbClearSettings->setChecked(false);
    ui->cbClearEdid->setChecked(false);
}
