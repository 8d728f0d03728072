// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// The box keeps its settings in numbered one-byte registers and reports them back in the 40-byte
// status block, at positions that do not follow the register numbers. This table is the one place
// that knows, for each of the 25 settings a front end may write, its register, its status
// position, the values it takes and the short names scripts and preset files use for both.
namespace Settings {

// In register order.
enum class Id {
    Input,
    AutoSwitch,
    AudioSource,
    Hdcp,
    Output420,
    EdidMode,
    Edid2ch,
    Edid51,
    EdidNo3d,
    EdidHdr,
    EdidFullAudio,
    SwitchPriority,
    CustomEdid,
    HdrHotkey,
    ForceHdr,
    HdrMode,
    GreenLed,
    BlueLeds,
    EdidBt2020,
    EdidYcbcr,
    Cec,
    CecDeviceType,
    AvrAudio,
    AutomixAlgorithm,
    ReplaceAvi,
};
constexpr int COUNT = 25;

struct NamedValue
{
    quint8 value;
    const char *name;
};

struct Setting
{
    Id id;
    const char *name; // e.g. "auto-switch"
    quint8 reg;
    int position; // in the status block and the settings image
    QList<NamedValue> values; // the values the program writes, by name
    const char *summary; // one line for help texts
};

// All 25, in register order.
const QList<Setting> &all();
const Setting &setting(Id id);
// By short name; nullptr when there is none.
const Setting *find(const QString &name);
// Every short name, in register order (for messages that list them).
QStringList names();

// The value's name, or its decimal number for a value the box may report but the program never
// writes (audio source 2, HDCP 1).
QString valueName(const Setting &s, quint8 value);
// The value a name stands for (a name of the table; decimal numbers are not taken).
std::optional<quint8> valueOf(const Setting &s, const QString &name);
// "on|off", "port-a|port-b|...".
QString valueNames(const Setting &s);

// Status positions the program reads but no register write sets: whether the box lets the user
// change the EDID mode, the HDCP version and the audio source right now (1 = yes).
constexpr int POS_EDID_MODE_FREE = 9;
constexpr int POS_HDCP_FREE = 10;
constexpr int POS_AUDIO_FREE = 11;

// Register 25 starts a factory reset and has no status position.
constexpr quint8 REG_FACTORY_RESET = 25;
enum class Reset : quint8 { Edid = 1, Settings = 2, Both = 3 };

// The EDID mode values of register 5.
constexpr quint8 EDID_MODE_AUTOMIX = 1;
constexpr quint8 EDID_MODE_FIXED = 2;
constexpr quint8 EDID_MODE_CUSTOM = 3;

// The status-block position a register's value is reported at; -1 for registers without one.
int positionOfRegister(quint8 reg);

} // namespace Settings
