// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/DecodeWarning.h"

#include <QString>
#include <QVector>
#include <QtGlobal>

// What the EDID decoder finds in a table: numbers and named flags only, no wording (that is the
// describers' job). Field names follow the EDID, CTA-861, HDMI and DisplayID documents; a field
// that stands for one bit of the table is a bool named after that bit's meaning, so the
// describers, the tests and the editor read `eotfs.pq` rather than each testing bit 2 of a byte.
// Bits a document leaves reserved are kept as found, in `reserved...` fields, in their place in
// their byte.

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

// --- CTA-861 extension ---------------------------------------------------------------------------

struct CtaShortVideo
{
    int vic = 0;
    bool native = false;

    // The descriptor a code stands for: codes 129..192 are VICs 1..64 marked native; 0, 128, 254
    // and 255 are reserved (false).
    static bool fromCode(quint8 code, CtaShortVideo &svd)
    {
        if (code == 0 || code == 128 || code >= 254)
            return false;
        svd.native = code > 128 && code <= 192;
        svd.vic = svd.native ? code & 0x7F : code;
        return true;
    }
};

struct CtaShortAudio
{
    // The format code of a descriptor's first byte.
    static int formatOf(quint8 byte1) { return byte1 >> 3 & 0x0F; }

    int format = 0; // 1 LPCM, 2 AC-3, ... 15 extended
    int channels = 0;
    quint8 rates = 0; // bit 0 32 kHz ... bit 6 192 kHz
    quint8 detail = 0; // LPCM: bit depths (bit 0 16, 1 20, 2 24); 2..8: max rate / 8 kbit/s
};

// The speaker allocation data block, byte by byte in the order of its bits.
struct CtaSpeakers
{
    // Byte 1.
    bool flFr = false; // front left/right
    bool lfe1 = false; // low-frequency effects 1
    bool fc = false; // front centre
    bool blBr = false; // back left/right
    bool bc = false; // back centre
    bool flcFrc = false; // front left/right of centre
    bool rlcRrc = false; // rear left/right of centre
    bool flwFrw = false; // front left/right wide
    // Byte 2.
    bool tpflTpfr = false; // top front left/right
    bool tpc = false; // top centre
    bool tpfc = false; // top front centre
    bool lsRs = false; // left/right surround
    bool lfe2 = false; // low-frequency effects 2
    bool tpbc = false; // top back centre
    bool silSir = false; // side left/right
    bool tpsilTpsir = false; // top side left/right
    // Byte 3.
    bool tpblTpbr = false; // top back left/right
    bool btfc = false; // bottom front centre
    bool btflBtfr = false; // bottom front left/right
    bool tplsTprs = false; // top left/right surround
    bool lsdRsd = false; // left/right surround direct
    quint8 reservedBits = 0; // byte 3 bits 5..7, in place (0x20 is bit 5)
};

// Byte 3 of the HDR static metadata data block: the transfer functions the sink takes.
struct CtaEotfs
{
    bool sdr = false; // traditional gamma, SDR luminance range
    bool traditionalHdr = false; // traditional gamma, HDR luminance range
    bool pq = false; // SMPTE ST 2084
    bool hlg = false; // hybrid log-gamma (ITU-R BT.2100)
    quint8 reservedBits = 0; // bits 4..7, in place
};

struct CtaHdrStatic
{
    // Luminance code values, in cd/m2: 50 * 2^(CV/32) for the maximum and average, and
    // maximum * (CV/255)^2 / 100 for the minimum.
    static double luminanceCdm2(quint8 code);
    static double minimumCdm2(double maximumCdm2, quint8 code)
    {
        const double ratio = code / 255.0;
        return maximumCdm2 * ratio * ratio / 100.0;
    }

    CtaEotfs eotfs;
    bool staticMetadataType1 = false; // byte 4 bit 0: the static metadata descriptor it takes
    quint8 reservedDescriptors = 0; // byte 4 bits 1..7, in place (types 2 to 8)
    bool hasMax = false, hasAverage = false, hasMin = false;
    quint8 maxCode = 0, averageCode = 0, minCode = 0;
    double maxCdm2 = 0, averageCdm2 = 0, minCdm2 = 0;
};

// One descriptor of the HDR dynamic metadata data block.
struct CtaHdrDynamicType
{
    int type = 0; // 1 SMPTE ST 2094-10, 2 ETSI TS 103 433, 3 ST 2094-30, 4 ST 2094-40
    bool hasVersion = false; // types 1, 2 and 4 carry a support byte with the version
    int version = 0; // its low four bits
};

// The colorimetry data block, byte 3 then byte 4, in the order of their bits.
struct CtaColorimetry
{
    bool xvYcc601 = false, xvYcc709 = false, sYcc601 = false, opYcc601 = false;
    bool opRgb = false, bt2020cYcc = false, bt2020Ycc = false, bt2020Rgb = false;
    bool md0 = false, md1 = false, md2 = false, md3 = false; // gamut metadata profiles
    bool defaultRgb = false; // byte 4 bit 4
    bool sRgb = false; // byte 4 bit 5
    bool ictcp = false; // byte 4 bit 6
    bool dciP3 = false; // byte 4 bit 7 (named ST2113RGB since CTA-861-H)
};

// The video capability data block.
struct CtaVideoCapability
{
    bool ycbcrQuantisationSelectable = false; // QY
    bool rgbQuantisationSelectable = false; // QS
    // Scan behaviour of preferred (PT), IT and CE formats: 0 no data, 1 always overscanned,
    // 2 always underscanned, 3 both.
    int ptScan = 0, itScan = 0, ceScan = 0;

    // The block's byte, which these fields cover bit for bit.
    quint8 byte() const
    {
        return quint8((ycbcrQuantisationSelectable ? 0x80 : 0)
            | (rgbQuantisationSelectable ? 0x40 : 0) | (ptScan & 3) << 4 | (itScan & 3) << 2
            | (ceScan & 3));
    }
};

// 3D formats as the HDMI 1.4 VSDB's 3D_Structure_ALL bits and 3D_Structure_X codes name them.
struct Cta3dStructures
{
    bool framePacking = false; // bit 0, code 0
    bool fieldAlternative = false; // bit 1, code 1
    bool lineAlternative = false; // bit 2, code 2
    bool sideBySideFull = false; // bit 3, code 3
    bool lDepth = false; // bit 4, code 4
    bool lDepthGraphics = false; // bit 5, code 5
    bool topAndBottom = false; // bit 6, code 6
    bool sideBySideHalf = false; // bit 8, code 8 (horizontal sub-sampling)
    bool sideBySideHalfQuincunx = false; // bit 15 (all quincunx sub-sampling)
    quint16 reservedBits = 0; // bits 7 and 9..14, in place
};

// One 2D_VIC_order / 3D_Structure entry: a 3D format of one listed VIC.
struct Cta3dVic
{
    int vicIndex = 0; // among the short video descriptors of the block's video data blocks
    int vic = 0; // that descriptor's VIC, 0 when the index is past the list
    int structure = 0; // 3D_Structure_X code: 0 frame packing, 6 top-and-bottom, 8 side-by-side
    int detail = -1; // 3D_Detail_X for structures 8 and up, else -1
};

struct CtaHdmiVsdb
{
    quint16 physicalAddress = 0xFFFF; // a.b.c.d as four nibbles
    bool supportsAi = false, dc48 = false, dc36 = false, dc30 = false, dcY444 = false;
    bool dviDual = false;
    int maxTmdsMHz = 0; // 0: not given
    // Content types (CNC0..3).
    bool cncGraphics = false, cncPhoto = false, cncCinema = false, cncGame = false;
    // Latencies as coded: 0 unknown, 255 no video (audio) supported, else (code - 1) * 2 ms.
    bool hasLatency = false, hasInterlacedLatency = false;
    quint8 videoLatency = 0, audioLatency = 0;
    quint8 interlacedVideoLatency = 0, interlacedAudioLatency = 0;
    // HDMI_Video_present and what follows it.
    bool hasVideo = false;
    bool present3d = false; // the mandatory 3D formats are taken
    int multi3d = 0; // 3D_Multi_present: 0 none, 1 structures for all VICs, 2 with a VIC mask
    // Image_size: 0 no more information, 1 the base block's size is an aspect ratio, 2 it is in
    // units of 1 cm, 3 in units of 5 cm.
    int imageSize = 0;
    QVector<int> hdmiVics; // HDMI_VIC codes: 1 to 4 are 4K formats
    bool hasStructures3d = false;
    Cta3dStructures structures3d; // 3D_Structure_ALL
    bool hasMask3d = false;
    QVector<int> maskVics3d; // the VICs whose 3D_MASK bit is set, in the order listed
    QVector<Cta3dVic> vics3d; // 2D_VIC_order entries

    // The latency a code stands for in milliseconds, or -1 when it gives none.
    static int latencyMs(quint8 code) { return code == 0 || code == 255 ? -1 : (code - 1) * 2; }
};

// The HDMI Forum VSDB or HF-SCDB.
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
    // Display stream compression.
    bool dsc12 = false; // VESA DSC 1.2a
    bool dscNative420 = false; // compressed 4:2:0
    bool dscAllBpp = false; // any bit rate in 1/16 bpp steps
    bool dsc16bpc = false, dsc12bpc = false, dsc10bpc = false;
    int dscMaxFrlRate = 0; // as maxFrlRate
    // DSC_MaxSlices: 0 none, 1..4 up to 1, 2, 4, 8 slices at 340 MHz per slice, 5..7 up to 8, 12,
    // 16 slices at 400 MHz per slice, 8..15 reserved.
    int dscMaxSlices = 0;
    // DSC_TotalChunkKBytes: a line of chunks holds up to (code + 1) * 1024 bytes. The describers
    // say so only for a code above 0, which is how sinks that give none leave the byte.
    int dscTotalChunkKBytes = 0;
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
    CtaSpeakers speakers;
    bool hasHdmi = false;
    CtaHdmiVsdb hdmi;
    bool hasHdmiForum = false;
    CtaHdmiForum hdmiForum;
    bool hasHdrStatic = false;
    CtaHdrStatic hdrStatic;
    bool hasHdrDynamic = false;
    QVector<CtaHdrDynamicType> hdrDynamic;
    bool hasColorimetry = false;
    CtaColorimetry colorimetry;
    bool hasVideoCapability = false;
    CtaVideoCapability videoCapability;
    QVector<int> ycbcr420Only; // VICs of the YCbCr 4:2:0 video data block
    bool hasYcbcr420Map = false;
    QVector<int> ycbcr420Capable; // VICs of the video data blocks the map marks
    QVector<CtaOtherBlock> others;
    QVector<EdidDetailedTiming> detailedTimings;
};

// --- DisplayID extension ----------------------------------------------------------------------

// A detailed timing of a DisplayID type I (1.x) or type VII (2.x) timing data block.
struct DisplayIdTiming
{
    EdidDetailedTiming timing; // no image size: the block gives an aspect ratio instead
    bool preferred = false;
    int aspect = 0; // 0 1:1, 1 5:4, 2 4:3, 3 15:9, 4 16:9, 5 16:10, 6 64:27, 7 256:135, 8 none
    int stereo = 0; // 0 mono, 1 stereo, 2 either as the user chooses
};

// A data block of the section the decoder lists without reading it.
struct DisplayIdOtherBlock
{
    int tag = 0, revision = 0, length = 0;
};

struct DisplayIdBlock
{
    int blockIndex = 0;
    int version = 0, revision = 0; // 1.2, 2.0, ...
    int productType = 0; // 1.x: display product type; 2.x: its primary use case
    int extensionCount = 0;
    int sectionLength = 0; // payload bytes of the section
    bool sectionChecksumOk = true;
    QVector<DisplayIdTiming> timings;
    QVector<DisplayIdOtherBlock> others;
};

// --- the whole table ----------------------------------------------------------------------------

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
    QVector<DisplayIdBlock> displayId;
    QVector<EdidBlockState> blocks;
    DecodeWarnings warnings;
};
