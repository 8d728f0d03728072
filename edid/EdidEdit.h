// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/CtaBlockSelector.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// One change to an EDID table, as the command line and the edit window ask for it. Only the
// fields the kind names are used.
struct EdidEdit
{
    enum Kind {
        DisplayName, // text
        Serial, // text: into the serial descriptor where the table has one, else a number
        Manufacturer, // text: three letters
        ProductCode, // number
        Week, // number: 0, 1..54, or 255 (model year)
        Year, // number
        RemoveVic, // vic
        AddVic, // vic, position (1-based, 0: at the end), flag: native, flag2: YCbCr 4:2:0
        MoveVic, // vic, position (1-based)
        SetNative, // vic, flag: set or clear
        RemoveAudio, // number: format code, 0 for every format
        AddAudio, // sad
        Speakers, // number: allocation bits 0..23
        HdrEotfs, // number: EOTF bits
        HdrLuminance, // maxCdm2, averageCdm2, minCdm2 (negative: leave as it is)
        Colorimetry, // number: bits to set, mask: bits to change
        Ycbcr444, // flag
        Ycbcr422, // flag
        PhysicalAddress, // number: four nibbles
        MaxTmds, // number: MHz
        RemoveBlock, // block
        ReplaceTiming, // position: detailed timing 1.., vic
    };
    Kind kind = DisplayName;
    QString text;
    quint32 number = 0;
    quint32 mask = 0;
    int vic = 0;
    int position = 0;
    bool flag = false;
    bool flag2 = false;
    QByteArray sad; // three bytes
    double maxCdm2 = -1, averageCdm2 = -1, minCdm2 = -1;
    CtaBlockSelector block;
};

// What applying an edit did: the table it gave, or why it was refused.
struct EdidEditResult
{
    bool ok = false;
    QString message; // the refusal; empty when the edit was made
    QVector<int> touchedBlocks; // the blocks whose bytes changed, in order
};
