// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/DecodeWarning.h"

#include <QtGlobal>

// What the InfoFrame decoder finds: numbers only, the words are InfoFrameDescriber's.

// The Dynamic Range and Mastering InfoFrame (type 0x87).
struct HdrInfoFrame
{
    int eotf = 0; // 0 SDR, 1 traditional HDR, 2 SMPTE ST 2084, 3 HLG, 4..7 reserved
    int metadataId = 0; // 0: static metadata type 1, 1..7 reserved
    // Static metadata type 1, in the order sent: three primaries (usually green, blue, red),
    // then the white point, all as CIE x and y in units of 0.00002.
    quint16 primaryX[3] = {}, primaryY[3] = {};
    quint16 whiteX = 0, whiteY = 0;
    quint16 maxMasteringLuminance = 0; // 1 cd/m2
    quint16 minMasteringLuminance = 0; // 0.0001 cd/m2
    quint16 maxCll = 0, maxFall = 0; // cd/m2
};

// The Auxiliary Video Information InfoFrame (type 0x82).
struct AviInfoFrame
{
    int colourFormat = 0; // Y2..Y0: 0 RGB, 1 YCbCr 4:2:2, 2 YCbCr 4:4:4, 3 YCbCr 4:2:0
    bool activeFormatPresent = false;
    int barInfo = 0, scanInfo = 0;
    int colorimetry = 0; // C1C0: 0 none, 1 SMPTE 170M, 2 BT.709, 3 extended
    int pictureAspect = 0; // M1M0: 0 none, 1 4:3, 2 16:9
    int activeFormatAspect = 0; // R3..R0
    bool itContent = false;
    int extendedColorimetry = 0; // EC2..EC0
    int quantisationRange = 0; // Q1Q0: 0 default, 1 limited, 2 full
    int scaling = 0;
    int vic = 0;
    int ycbcrQuantisationRange = 0; // YQ1YQ0: 0 limited, 1 full
    int contentType = 0;
    int pixelRepetition = 0;
    quint16 topBarEnd = 0, bottomBarStart = 0, leftBarEnd = 0, rightBarStart = 0;
    int additionalColorimetry = 0; // ACE3..ACE0 (version 4, PB14)
};

struct InfoFrameDecoded
{
    enum Form {
        Payload, // the data bytes alone, as the window's text boxes take them
        Captured, // type, length, data: how the box reports a captured frame
        Full, // type, version, length, checksum, data: as sent on the link
    };
    enum Type { Unknown = 0, Avi = 0x82, Hdr = 0x87 };

    Type type = Unknown;
    int typeCode = 0;
    Form form = Payload;
    int version = 0; // Full form only
    int length = 0; // the length byte, or the payload size in the Payload form
    bool hasChecksum = false;
    quint8 checksum = 0, expectedChecksum = 0;
    HdrInfoFrame hdr;
    AviInfoFrame avi;
    DecodeWarnings warnings;

    bool checksumOk() const { return !hasChecksum || checksum == expectedChecksum; }
};
