// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "protocol/Frames.h"

#include <QByteArray>
#include <QString>

// What the box reports about its incoming HDMI signal, decoded from the replies of blocks 6, 21
// and 30 into plain fields. No words here: the window, the command line and the decoded view each
// say it their own way.
struct SignalInfo
{
    enum class ColourFormat { Rgb, YCbCr422, YCbCr444, YCbCr420 };
    // Byte 12 of block 6: what the HDMI vendor-specific byte (hdmiVsdb) describes.
    enum class HdmiFormat { None, ExtendedResolution, ThreeD };

    quint8 vic = 0; // CTA-861 video identification code
    bool hdmi = false; // HDMI rather than DVI signalling
    quint8 linkMode = 0; // 2 = 600 MHz, 1 = 4:2:0 10-bit, 0 = plain
    bool onOutputA = false;
    bool onOutputB = false;
    HdmiFormat hdmiFormat = HdmiFormat::None;
    quint8 hdmiVsdb = 0; // HDMI VIC (1 to 4) or 3D structure (0x00, 0x60, 0x80)
    ColourFormat colourFormat = ColourFormat::Rgb;
    quint8 colorimetry = 0; // AVI C1:C0: 0 none, 1 SMPTE 170M, 2 BT.709, 3 extended
    quint8 extendedColorimetry = 0; // AVI EC2:EC0 (0 to 7)
    QString sourceVendor; // SPD InfoFrame
    QString sourceProduct;
    quint8 hdrType = 0; // type byte of the captured InfoFrame (0x87 for HDR)
    quint8 hdrEotf = 0; // its first data byte, whatever the type: 0 SDR, 1 HDR, 2 PQ, 3 HLG
    // Data bytes of a captured HDR InfoFrame (at most Block::Capture::MAX_DATA); empty when the
    // box holds none.
    QByteArray hdrInfoFrame;

    bool hasHdrInfoFrame() const { return !hdrInfoFrame.isEmpty(); }

    // From the replies of block 6 (15 bytes), block 21 (31 bytes) and block 30 (31 bytes); each
    // reply starts with the code byte.
    static SignalInfo decode(const Reply &block6, const Reply &block21, const Reply &block30);
};
