// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "packets/InfoFrameDescriber.h"

#include "edid/CtaVideoFormats.h"
#include "edid/DecodeWarningText.h"
#include "edid/HexText.h"

#include <QJsonArray>

namespace {

QString pick(const char *const *names, int count, int value)
{
    if (value >= 0 && value < count && names[value])
        return QString::fromLatin1(names[value]);
    return QStringLiteral("reserved (%1)").arg(value);
}

const char *const kEotf[4] = { "SDR", "traditional HDR", "SMPTE ST 2084 (PQ)", "HLG" };
const char *const kColourFormat[8] = { "RGB", "YCbCr 4:2:2", "YCbCr 4:4:4", "YCbCr 4:2:0", nullptr,
    nullptr, nullptr, "IDO-defined" };
const char *const kColorimetry[4] = { "no data", "SMPTE 170M", "BT.709", "extended" };
const char *const kExtended[8] = { "xvYCC601", "xvYCC709", "sYCC601", "opYCC601", "opRGB",
    "BT.2020 YCC (constant luminance)", "BT.2020 RGB or YCC", "additional (see ACE)" };
const char *const kAdditional[2] = { "DCI-P3 RGB (D65)", "DCI-P3 RGB (theater)" };
const char *const kPictureAspect[3] = { "no data", "4:3", "16:9" };
const char *const kQuantisation[3] = { "default", "limited", "full" };
const char *const kYccQuantisation[2] = { "limited", "full" };
const char *const kScan[3] = { "no data", "overscanned", "underscanned" };
const char *const kContent[4] = { "graphics", "photo", "cinema", "game" };
const char *const kBars[4] = { "none", "vertical", "horizontal", "vertical and horizontal" };

QString activeFormat(int r)
{
    switch (r) {
    case 8:
        return QStringLiteral("as picture");
    case 9:
        return QStringLiteral("4:3 centred");
    case 10:
        return QStringLiteral("16:9 centred");
    case 11:
        return QStringLiteral("14:9 centred");
    default:
        return QStringLiteral("code %1").arg(r);
    }
}

QString xy(quint16 x, quint16 y)
{
    return QStringLiteral("(%1, %2)").arg(x * 0.00002, 0, 'f', 5).arg(y * 0.00002, 0, 'f', 5);
}

QString formText(const InfoFrameDecoded &f)
{
    switch (f.form) {
    case InfoFrameDecoded::Full:
        return QStringLiteral("version %1, length %2, checksum %3 %4")
            .arg(f.version)
            .arg(f.length)
            .arg(HexText::byte(f.checksum),
                f.checksumOk() ? QStringLiteral("good") : QStringLiteral("bad"));
    case InfoFrameDecoded::Captured:
        return QStringLiteral("captured, length %1").arg(f.length);
    case InfoFrameDecoded::Payload:
        break;
    }
    return QStringLiteral("payload of %1 bytes").arg(f.length);
}

void hdrLines(const HdrInfoFrame &h, QStringList &out)
{
    out << QStringLiteral("  EOTF: %1").arg(InfoFrameDescriber::eotfName(h.eotf));
    if (h.metadataId != 0) {
        out << QStringLiteral("  Metadata type: reserved (%1)").arg(h.metadataId);
        return;
    }
    out << QStringLiteral("  Static metadata type 1");
    out << QStringLiteral("  Display primaries: %1 %2 %3")
               .arg(xy(h.primaryX[0], h.primaryY[0]), xy(h.primaryX[1], h.primaryY[1]),
                   xy(h.primaryX[2], h.primaryY[2]));
    out << QStringLiteral("  White point: %1").arg(xy(h.whiteX, h.whiteY));
    out << QStringLiteral("  Mastering luminance: max %1 cd/m2, min %2 cd/m2")
               .arg(h.maxMasteringLuminance)
               .arg(h.minMasteringLuminance * 0.0001, 0, 'f', 4);
    out << QStringLiteral("  MaxCLL: %1 cd/m2, MaxFALL: %2 cd/m2").arg(h.maxCll).arg(h.maxFall);
}

QString colorimetryText(const AviInfoFrame &a)
{
    if (a.colorimetry != 3)
        return pick(kColorimetry, 4, a.colorimetry);
    if (a.extendedColorimetry != 7)
        return pick(kExtended, 8, a.extendedColorimetry);
    return pick(kAdditional, 2, a.additionalColorimetry);
}

void aviLines(const AviInfoFrame &a, QStringList &out)
{
    out << QStringLiteral("  Colour format: %1").arg(pick(kColourFormat, 8, a.colourFormat));
    out << QStringLiteral("  Colorimetry: %1").arg(colorimetryText(a));
    out << QStringLiteral("  RGB quantisation range: %1, YCC quantisation range: %2")
               .arg(pick(kQuantisation, 3, a.quantisationRange),
                   pick(kYccQuantisation, 2, a.ycbcrQuantisationRange));
    out << QStringLiteral("  Picture aspect: %1, active format: %2")
               .arg(pick(kPictureAspect, 3, a.pictureAspect),
                   a.activeFormatPresent ? activeFormat(a.activeFormatAspect)
                                         : QStringLiteral("not given"));
    out << QStringLiteral("  VIC %1: %2")
               .arg(a.vic)
               .arg(a.vic ? CtaVideoFormats::name(a.vic) : QStringLiteral("none"));
    out << QStringLiteral("  Scan: %1, bars: %2, pixel repetition: %3")
               .arg(pick(kScan, 3, a.scanInfo), pick(kBars, 4, a.barInfo))
               .arg(a.pixelRepetition + 1);
    if (a.itContent)
        out << QStringLiteral("  IT content: %1").arg(pick(kContent, 4, a.contentType));
    if (a.barInfo)
        out << QStringLiteral(
            "  Bars: top ends %1, bottom starts %2, left ends %3, right starts %4")
                   .arg(a.topBarEnd)
                   .arg(a.bottomBarStart)
                   .arg(a.leftBarEnd)
                   .arg(a.rightBarStart);
}

} // namespace

QString InfoFrameDescriber::eotfName(int eotf)
{
    return pick(kEotf, 4, eotf);
}

QStringList InfoFrameDescriber::lines(const InfoFrameDecoded &f)
{
    QStringList out;
    switch (f.type) {
    case InfoFrameDecoded::Hdr:
        out << QStringLiteral("Dynamic Range and Mastering InfoFrame, %1").arg(formText(f));
        hdrLines(f.hdr, out);
        break;
    case InfoFrameDecoded::Avi:
        out << QStringLiteral("AVI InfoFrame, %1").arg(formText(f));
        aviLines(f.avi, out);
        break;
    case InfoFrameDecoded::Unknown:
        out << QStringLiteral("InfoFrame type %1, %2").arg(HexText::byte(f.typeCode), formText(f));
        break;
    }
    for (const DecodeWarning &w : f.warnings)
        out << QStringLiteral("Warning: %1").arg(DecodeWarningText::describe(w));
    return out;
}

QJsonObject InfoFrameDescriber::json(const InfoFrameDecoded &f)
{
    QJsonObject o { { QStringLiteral("type"), f.typeCode },
        { QStringLiteral("form"),
            f.form == InfoFrameDecoded::Full           ? QStringLiteral("full")
                : f.form == InfoFrameDecoded::Captured ? QStringLiteral("captured")
                                                       : QStringLiteral("payload") },
        { QStringLiteral("length"), f.length } };
    if (f.hasChecksum)
        o[QStringLiteral("checksum_good")] = f.checksumOk();
    if (f.type == InfoFrameDecoded::Hdr) {
        const HdrInfoFrame &h = f.hdr;
        QJsonArray primaries;
        for (int c = 0; c < 3; ++c)
            primaries.append(QJsonArray { h.primaryX[c] * 0.00002, h.primaryY[c] * 0.00002 });
        o[QStringLiteral("eotf")] = eotfName(h.eotf);
        o[QStringLiteral("metadata_type")] = h.metadataId + 1;
        o[QStringLiteral("primaries")] = primaries;
        o[QStringLiteral("white_point")] = QJsonArray { h.whiteX * 0.00002, h.whiteY * 0.00002 };
        o[QStringLiteral("max_mastering_cdm2")] = h.maxMasteringLuminance;
        o[QStringLiteral("min_mastering_cdm2")] = h.minMasteringLuminance * 0.0001;
        o[QStringLiteral("max_cll")] = h.maxCll;
        o[QStringLiteral("max_fall")] = h.maxFall;
    } else if (f.type == InfoFrameDecoded::Avi) {
        const AviInfoFrame &a = f.avi;
        o[QStringLiteral("colour_format")] = pick(kColourFormat, 8, a.colourFormat);
        o[QStringLiteral("colorimetry")] = colorimetryText(a);
        o[QStringLiteral("quantisation_range")] = pick(kQuantisation, 3, a.quantisationRange);
        o[QStringLiteral("picture_aspect")] = pick(kPictureAspect, 3, a.pictureAspect);
        if (a.activeFormatPresent)
            o[QStringLiteral("active_format")] = activeFormat(a.activeFormatAspect);
        o[QStringLiteral("vic")] = a.vic;
        if (a.vic)
            o[QStringLiteral("video_format")] = CtaVideoFormats::name(a.vic);
    }
    QJsonArray warnings;
    for (const DecodeWarning &w : f.warnings)
        warnings.append(DecodeWarningText::describe(w));
    o[QStringLiteral("warnings")] = warnings;
    return o;
}
