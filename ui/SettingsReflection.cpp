// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/SettingsReflection.h"

#include "ui_ZelvarinForm.h"

using Settings::Id;

SettingsReflection::SettingsReflection(Ui::ZelvarinForm &form)
    : ui(form)
{
    const auto list = [](Id id, QComboBox *box, int base = 0) {
        Row r;
        r.id = id;
        r.list = box;
        r.listBase = base;
        return r;
    };
    const auto check = [](Id id, QCheckBox *box) {
        Row r;
        r.id = id;
        r.check = box;
        return r;
    };
    const auto pair = [](Id id, QAbstractButton *on, QAbstractButton *off) {
        Row r;
        r.id = id;
        r.on = on;
        r.off = off;
        return r;
    };
    const auto radios
        = [](Id id, QList<QPair<quint8, QAbstractButton *>> buttons, int noneValue = -1) {
              Row r;
              r.id = id;
              r.radios = std::move(buttons);
              r.noneValue = noneValue;
              return r;
          };

    // The box numbers its inputs from 1, so input 0 leaves no current item.
    m_rows << list(Id::Input, ui.cmbInputSel, 1) << list(Id::CustomEdid, ui.cmBEdid)
           << list(Id::CecDeviceType, ui.cmbLa) << list(Id::AutomixAlgorithm, ui.cmbEdidAlgo);
    // Audio source 2 and HDCP 1 are values the window cannot choose: neither button shows them.
    m_rows << radios(Id::AudioSource, { { 1, ui.audioHdmi }, { 3, ui.audioJack } }, 2);
    Row edidMode = radios(Id::EdidMode,
        { { Settings::EDID_MODE_AUTOMIX, ui.automixEDID },
            { Settings::EDID_MODE_FIXED, ui.fixedEDID },
            { Settings::EDID_MODE_CUSTOM, ui.customEDID } });
    // Only a custom table is the user's to edit.
    edidMode.follow = { ui.EDIDtext };
    edidMode.followValue = Settings::EDID_MODE_CUSTOM;
    m_rows << edidMode;
    m_rows << radios(Id::Hdcp, { { 2, ui.hdcp14 }, { 3, ui.hdcp22 } }, 1);
    m_rows << radios(Id::Output420, { { 0, ui.disable420 }, { 1, ui.enable420 } });
    Row autoSwitch = radios(Id::AutoSwitch, { { 0, ui.autoSwDis }, { 1, ui.autoSwEn } });
    // The switching priority only matters while automatic switching is on.
    autoSwitch.follow = { ui.pPrioForce, ui.bPrioNorm };
    autoSwitch.followValue = 1;
    m_rows << autoSwitch;
    m_rows << check(Id::Edid2ch, ui.cb2cForce) << check(Id::Edid51, ui.cb51)
           << check(Id::EdidFullAudio, ui.cbFull) << check(Id::EdidNo3d, ui.cb3D)
           << check(Id::EdidHdr, ui.cbHdr);
    m_rows << pair(Id::SwitchPriority, ui.pPrioForce, ui.bPrioNorm)
           << pair(Id::HdrHotkey, ui.bHdrRepurpEn, ui.bHdrRepurpDis)
           << pair(Id::HdrMode, ui.bSamHdr, ui.bFullHdr) << check(Id::ForceHdr, ui.cbHdrForceMode)
           << pair(Id::GreenLed, ui.enableLed, ui.disableLed)
           << pair(Id::BlueLeds, ui.enableBLed, ui.disableBLed);
    m_rows << check(Id::Cec, ui.cbCec) << check(Id::EdidYcbcr, ui.cbYUV)
           << check(Id::EdidBt2020, ui.cbBt2020);
    m_rows << pair(Id::AvrAudio, ui.enableAVR, ui.disableAVR)
           << check(Id::ReplaceAvi, ui.cbAviPersistent);
}

void SettingsReflection::applyRadios(const Row &row, quint8 value) const
{
    if (int(value) == row.noneValue) {
        for (const auto &radio : row.radios)
            radio.second->setChecked(false);
        return;
    }
    QAbstractButton *chosen = nullptr;
    for (const auto &radio : row.radios) {
        if (radio.first == value)
            chosen = radio.second;
    }
    if (!chosen)
        return;
    // Checked first: unchecking the checked button of an exclusive group does nothing.
    chosen->setChecked(true);
    for (const auto &radio : row.radios) {
        if (radio.second != chosen)
            radio.second->setChecked(false);
    }
    for (QWidget *w : row.follow)
        w->setEnabled(value == row.followValue);
}

void SettingsReflection::apply(const RegisterImage &p) const
{
    for (const Row &row : m_rows) {
        const quint8 value = p[Settings::setting(row.id).position];
        if (row.list) {
            row.list->setCurrentIndex(int(value) - row.listBase);
        } else if (row.check) {
            row.check->setChecked(value == 1);
        } else if (row.on) {
            row.on->setChecked(value == 1);
            row.off->setChecked(value != 1);
        } else {
            applyRadios(row, value);
        }
    }

    // What the box lets the user change right now.
    const bool audioFree = p[Settings::POS_AUDIO_FREE] == 1;
    ui.audioHdmi->setEnabled(audioFree);
    ui.audioJack->setEnabled(audioFree);
    const bool hdcpFree = p[Settings::POS_HDCP_FREE] == 1;
    ui.hdcp22->setEnabled(hdcpFree);
    ui.hdcp14->setEnabled(hdcpFree);
    const bool edidFree = p[Settings::POS_EDID_MODE_FREE] == 1;
    ui.automixEDID->setEnabled(edidFree);
    ui.customEDID->setEnabled(edidFree);
    ui.fixedEDID->setEnabled(edidFree);
    if (!edidFree)
        ui.EDIDtext->setEnabled(false);
}
