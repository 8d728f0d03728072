// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "zelvarind/client/DbusTypes.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>

// What the service knows about one box, as every transport shows it: the D-Bus properties have
// these names, and a change is announced by the names that differ.
struct BoxState
{
    QString serial;
    QString firmware;
    bool connected = false;
    bool busy = false;
    StringMap settings; // every setting by name, its value as a word
    QString signalSource;
    QString signalVideo;
    QString signalColour;
    QString signalHdr;
    QByteArray hdrInfoFrame; // data bytes of the captured HDR InfoFrame; empty when none

    // The property names whose values differ from `other`'s, in a fixed order.
    QStringList differences(const BoxState &other) const;
};

Q_DECLARE_METATYPE(BoxState)
