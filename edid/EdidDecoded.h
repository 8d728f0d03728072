// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/DecodeWarning.h"

#include <QString>
#include <QVector>
#include <QtGlobal>

// What the EDID decoder finds in a table: numbers and flags only, no wording (that is
// EdidDescriber's job). Field names follow the EDID and CTA-861 documents.

struct EdidDetailedTiming
{
    quint32 pixelClockKHz = 0;
    int hActive = 0, hBlank = 0, hSyncOffset = 0, hSyncWidth = 0;
    int vActive = 0, vBlank = 0, vSyncOffset = 0, vSyncWidth = 0; // field lines when interlaced
    int hImageMm = 0, vImageMm = 0;
    bool interlaced = false;
    bool digitalSeparateSync = false;
    bool hSyncPositive = false, vSyncPositive = false;

    int frameHeight() const { return interlaced ? 2 * vActive : vActive; }
    // Frame rate, or field rate for interlaced timings (which have half a line more per field).
    double refreshHz() const;
};

struct EdidStandardTiming
{
    int width = 0, height = 0, refreshHz = 0;
};

struct EdidRangeLimits
{
    int minVHz = 0, maxVHz = 0, minHKHz = 0, maxHKHz = 0, maxPixelClockMHz = 0;
};

struct EdidBaseBlock
{
    bool headerOk = false;
    QString manufacturer; // three letters
    quint16 productCode = 0;
    quint32 serialNumber = 0;
    int week = 0; // 0: none, 255: the year is a model year
    int year = 0;
    int version = 0, revision = 0;
    bool digital = false;
    int widthCm = 0, heightCm = 0;
    QString displayName, displaySerial;
    bool hasRangeLimits = false;
    EdidRangeLimits rangeLimits;
    quint32 establishedTimings = 0; // bytes 35, 36, 37 as bits 23..0 (bit 23: 720x400 70 Hz)
    QVector<EdidStandardTiming> standardTimings;
    QVector<EdidDetailedTiming> detailedTimings;
    int extensionCount = 0;
};

struct CtaShortVideo
{
    int vic = 0;
    bool native = false;
};

struct CtaShortAudio
{
    int format = 0; // 1 LPCM, 2 AC-3, ... 15 extended
    int channels = 0;
    quint8 rates = 0; // bit 0 32 kHz ... bit 6 192 kHz
    quint8 detail = 0; // LPCM: bit depths (bit 0 16, 1 20, 2 24); 2..8: max rate / 8 kbit/s
};

struct CtaHdmiVsdb
{
    quint16 physicalAddress = 0xFFFF; // a.b.c.d as four nibbles
    bool supportsAi = false, dc48 = false, dc36 = false, dc30 = false, dcY444 = false;
    bool dviDual = false;
    int maxTmdsMHz = 0; // 0: not given
};

struct CtaHdmiForum
{
    bool sinkCapabilityBlock = false; // the HF-SCDB form (extended tag 0x79) rather than a VSDB
    int version = 0;
    int maxTmdsCharacterRateMHz = 0; // 0: not above 340 MHz
    bool scdcPresent = false, readRequest = false, scrambling340 = false;
    bool dc48_420 = false, dc36_420 = false, dc30_420 = false;
    int maxFrlRate = 0; // 0 none, 1..6 from 3 Gbit/s on 3 lanes to 12 Gbit/s on 4 lanes
    bool allm = false;
    int vrrMinHz = 0, vrrMaxHz = 0;
    bool dsc12 = false, dscNative420 = false;
    int dscMaxFrlRate = 0, dscMaxSlices = 0;
};

struct CtaHdrStatic
{
    quint8 eotfs = 0; // bit 0 SDR, 1 traditional HDR, 2 SMPTE ST 2084, 3 HLG
    quint8 descriptors = 0; // bit 0: static metadata type 1
    bool hasMax = false, hasAverage = false, hasMin = false;
    quint8 maxCode = 0, averageCode = 0, minCode = 0;
    double maxCdm2 = 0, averageCdm2 = 0, minCdm2 = 0;
};

// A data block the decoder lists without reading its contents.
struct CtaOtherBlock
{
    int tag = 0, extendedTag = -1;
    quint32 oui = 0; // vendor-specific blocks only
    int length = 0;
};

struct CtaBlock
{
    int blockIndex = 0;
    int revision = 0;
    bool underscan = false, basicAudio = false, ycbcr444 = false, ycbcr422 = false;
    int nativeTimings = 0;
    QVector<CtaShortVideo> videos;
    QVector<CtaShortAudio> audios;
    bool hasSpeakers = false;
    quint32 speakers = 0; // the three allocation bytes, first in bits 7..0
    bool hasHdmi = false;
    CtaHdmiVsdb hdmi;
    bool hasHdmiForum = false;
    CtaHdmiForum hdmiForum;
    bool hasHdrStatic = false;
    CtaHdrStatic hdrStatic;
    bool hasColorimetry = false;
    quint16 colorimetry = 0; // first byte in bits 7..0, second in bits 15..8
    bool hasVideoCapability = false;
    quint8 videoCapability = 0;
    QVector<int> ycbcr420Only; // VICs of the YCbCr 4:2:0 video data block
    bool hasYcbcr420Map = false;
    QVector<int> ycbcr420Capable; // VICs of the video data blocks the map marks
    QVector<CtaOtherBlock> others;
    QVector<EdidDetailedTiming> detailedTimings;
};

struct EdidBlockState
{
    int index = 0;
    quint8 tag = 0;
    quint8 checksum = 0, expected = 0;
    bool complete = true; // false: the input ended inside this block
    bool checksumOk() const { return checksum == expected; }
};

struct EdidDecoded
{
    int inputSize = 0;
    EdidBaseBlock base;
    QVector<CtaBlock> cta;
    QVector<EdidBlockState> blocks;
    DecodeWarnings warnings;
};
