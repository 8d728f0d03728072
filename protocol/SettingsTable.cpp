// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "protocol/SettingsTable.h"

namespace Settings {
namespace {

QList<Setting> buildTable()
{
    const QList<NamedValue> kOnOff = { { 1, "on" }, { 0, "off" } };
    return {
        { Id::Input, "input", 0, 0,
            { { 1, "port-a" }, { 2, "port-b" }, { 3, "matrix-thru" }, { 4, "matrix-swap" } },
            "active input" },
        { Id::AutoSwitch, "auto-switch", 1, 6, kOnOff, "automatic input switching" },
        { Id::AudioSource, "audio-source", 2, 1, { { 1, "hdmi" }, { 3, "jack" } }, "audio source" },
        { Id::Hdcp, "hdcp", 3, 3, { { 2, "1.4" }, { 3, "2.2" } }, "HDCP version" },
        { Id::Output420, "output-420", 4, 4, kOnOff, "4:2:0 output" },
        { Id::EdidMode, "edid-mode", 5, 2,
            { { EDID_MODE_AUTOMIX, "automix" }, { EDID_MODE_FIXED, "fixed" },
                { EDID_MODE_CUSTOM, "custom" } },
            "EDID mode" },
        { Id::Edid2ch, "edid-2ch", 8, 13, kOnOff, "automix EDID: force 2.0 audio" },
        { Id::Edid51, "edid-5.1", 9, 14, kOnOff, "automix EDID: force 5.1 audio" },
        { Id::EdidNo3d, "edid-no-3d", 10, 15, kOnOff, "automix EDID: no 3D" },
        { Id::EdidHdr, "edid-hdr", 11, 16, kOnOff, "automix EDID: HDR" },
        { Id::EdidFullAudio, "edid-full-audio", 12, 17, kOnOff, "automix EDID: full audio" },
        { Id::SwitchPriority, "switch-priority", 13, 18, { { 1, "forced" }, { 0, "normal" } },
            "switching priority" },
        { Id::CustomEdid, "custom-edid", 14, 19,
            { { 0, "custom" }, { 1, "4k30-444" }, { 2, "4k30-rgb" }, { 3, "4k60-420-8bit" },
                { 4, "4k60-420-10bit-hdr" }, { 5, "4k60-444" }, { 6, "4k60-444-hdr" },
                { 7, "1080p-444" } },
            "built-in EDID choice" },
        { Id::HdrHotkey, "hdr-hotkey", 16, 21, kOnOff, "CEC SP/LP buttons switch HDR" },
        { Id::ForceHdr, "force-hdr", 17, 22, kOnOff, "force the custom HDR InfoFrame" },
        { Id::HdrMode, "hdr-mode", 19, 24, { { 1, "samsung" }, { 0, "full" } }, "HDR mode" },
        { Id::GreenLed, "green-led", 22, 26, kOnOff, "green logo LED" },
        { Id::BlueLeds, "blue-leds", 23, 27, kOnOff, "blue LEDs" },
        { Id::EdidBt2020, "edid-bt2020", 24, 28, kOnOff, "automix EDID: BT.2020" },
        { Id::EdidYcbcr, "edid-ycbcr", 26, 29, kOnOff, "automix EDID: YCbCr" },
        { Id::Cec, "cec", 27, 5, kOnOff, "CEC processing" },
        { Id::CecDeviceType, "cec-device-type", 28, 30,
            { { 0, "video-processor" }, { 1, "audio-system" } }, "CEC device type" },
        { Id::AvrAudio, "avr-audio", 29, 31, kOnOff, "AVR audio" },
        { Id::AutomixAlgorithm, "automix-algorithm", 32, 32,
            { { 0, "min-mixed" }, { 1, "max-audio-min-video" }, { 2, "top-output" },
                { 3, "max-audio-max-video" } },
            "automix algorithm" },
        { Id::ReplaceAvi, "replace-avi", 33, 33, kOnOff, "replace the source's AVI InfoFrame" },
    };
}

} // namespace

const QList<Setting> &all()
{
    static const QList<Setting> table = buildTable();
    return table;
}

const Setting &setting(Id id)
{
    return all().at(int(id));
}

const Setting *find(const QString &name)
{
    for (const Setting &s : all()) {
        if (name == QLatin1String(s.name))
            return &s;
    }
    return nullptr;
}

QStringList names()
{
    QStringList list;
    for (const Setting &s : all())
        list << QLatin1String(s.name);
    return list;
}

QString valueName(const Setting &s, quint8 value)
{
    for (const NamedValue &v : s.values) {
        if (v.value == value)
            return QLatin1String(v.name);
    }
    return QString::number(value);
}

std::optional<quint8> valueOf(const Setting &s, const QString &name)
{
    for (const NamedValue &v : s.values) {
        if (name == QLatin1String(v.name))
            return v.value;
    }
    return std::nullopt;
}

QString valueNames(const Setting &s)
{
    QStringList names;
    for (const NamedValue &v : s.values)
        names << QLatin1String(v.name);
    return names.join(QLatin1Char('|'));
}

int positionOfRegister(quint8 reg)
{
    for (const Setting &s : all()) {
        if (s.reg == reg)
            return s.position;
    }
    return -1;
}

} // namespace Settings
