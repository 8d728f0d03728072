// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/BoxState.h"

QStringList BoxState::differences(const BoxState &other) const
{
    QStringList names;
    const auto check = [&names](bool differs, const char *name) {
        if (differs)
            names << QLatin1String(name);
    };
    check(serial != other.serial, "Serial");
    check(firmware != other.firmware, "Firmware");
    check(connected != other.connected, "Connected");
    check(busy != other.busy, "Busy");
    check(settings != other.settings, "Settings");
    check(signalSource != other.signalSource, "SignalSource");
    check(signalVideo != other.signalVideo, "SignalVideo");
    check(signalColour != other.signalColour, "SignalColour");
    check(signalHdr != other.signalHdr, "SignalHdr");
    check(hdrInfoFrame != other.hdrInfoFrame, "HdrInfoFrame");
    return names;
}
