// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/CtaDescriber.h"

#include "edid/CtaVideoFormats.h"
#include "edid/EdidDescriber.h"

#include <QJsonArray>

namespace {

const char *const kAudioFormats[16]
    = { "Reserved", "Linear PCM", "AC-3", "MPEG-1", "MP3", "MPEG-2", "AAC LC", "DTS", "ATRAC",
          "One Bit Audio", "Enhanced AC-3", "DTS-HD", "MAT (MLP)", "DST", "WMA Pro", "Extended" };
const char *const kRates[7] = { "32", "44.1", "48", "88.2", "96", "176.4", "192" };
const char *const kSpeakers[24] = { "FL/FR", "LFE1", "FC", "BL/BR", "BC", "FLc/FRc", "RLC/RRC",
    "FLw/FRw", "TpFL/TpFR", "TpC", "TpFC", "LS/RS", "LFE2", "TpBC", "SiL/SiR", "TpSiL/TpSiR",
    "TpBL/TpBR", "BtFC", "BtFL/BtFR", "TpLS/TpRS", nullptr, nullptr, nullptr, nullptr };
const char *const kEotfs[6]
    = { "SDR", "traditional HDR", "SMPTE ST 2084 (PQ)", "HLG", "reserved 4", "reserved 5" };
const char *const kColorimetry[16]
    = { "xvYCC601", "xvYCC709", "sYCC601", "opYCC601", "opRGB", "BT2020cYCC", "BT2020YCC",
          "BT2020RGB", "MD0", "MD1", "MD2", "MD3", nullptr, nullptr, "ICtCp", "DCI-P3" };
const char *const kScan[4]
    = { "no data", "always overscanned", "always underscanned", "over- and underscan" };
const char *const kFrl[7] = { "none", "3 Gbit/s on 3 lanes", "6 Gbit/s on 3 lanes",
    "6 Gbit/s on 4 lanes", "8 Gbit/s on 4 lanes", "10 Gbit/s on 4 lanes", "12 Gbit/s on 4 lanes" };

QStringList bitNames(quint32 bits, const char *const *names, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i) {
        if (!(bits >> i & 1))
            continue;
        list << (names[i] ? QString::fromLatin1(names[i]) : QStringLiteral("bit %1").arg(i));
    }
    return list;
}

QString frlText(int rate)
{
    return rate < 7 ? QString::fromLatin1(kFrl[rate]) : QStringLiteral("reserved %1").arg(rate);
}

QString audioText(const CtaShortAudio &a)
{
    QString text = QStringLiteral("%1, %2 channels, %3 kHz")
                       .arg(QString::fromLatin1(kAudioFormats[a.format & 0x0F]))
                       .arg(a.channels)
                       .arg(bitNames(a.rates, kRates, 7).join(QLatin1Char(' ')));
    if (a.format == 1) {
        QStringList depths;
        for (int i = 0; i < 3; ++i)
            if (a.detail >> i & 1)
                depths << QString::number(16 + 4 * i);
        text += QStringLiteral(", %1 bit").arg(depths.join(QLatin1Char(' ')));
    } else if (a.format >= 2 && a.format <= 8) {
        text += QStringLiteral(", up to %1 kbit/s").arg(a.detail * 8);
    }
    return text;
}

QString luminanceText(double cdm2)
{
    return QString::number(cdm2, 'f', 3) + QStringLiteral(" cd/m2");
}

QStringList hdmiFlags(const CtaHdmiVsdb &h)
{
    QStringList flags;
    const bool bits[6] = { h.supportsAi, h.dc48, h.dc36, h.dc30, h.dcY444, h.dviDual };
    const char *const names[6]
        = { "AI", "DC 48 bit", "DC 36 bit", "DC 30 bit", "DC Y444", "DVI dual link" };
    for (int i = 0; i < 6; ++i)
        if (bits[i])
            flags << QString::fromLatin1(names[i]);
    return flags;
}

void hdmiLines(const CtaHdmiVsdb &h, QStringList &out)
{
    const QStringList flags = hdmiFlags(h);
    out << QStringLiteral("  HDMI VSDB: physical address %1")
               .arg(EdidDescriber::physicalAddressText(h.physicalAddress));
    if (h.maxTmdsMHz)
        out << QStringLiteral("    Max TMDS clock: %1 MHz").arg(h.maxTmdsMHz);
    if (!flags.isEmpty())
        out << QStringLiteral("    Supports: %1").arg(flags.join(QStringLiteral(", ")));
}

void forumLines(const CtaHdmiForum &f, QStringList &out)
{
    out << QStringLiteral("  %1, version %2")
               .arg(f.sinkCapabilityBlock ? QStringLiteral("HDMI Forum SCDB")
                                          : QStringLiteral("HDMI Forum VSDB"))
               .arg(f.version);
    if (f.maxTmdsCharacterRateMHz)
        out << QStringLiteral("    Max TMDS character rate: %1 MHz").arg(f.maxTmdsCharacterRateMHz);
    out << QStringLiteral("    SCDC: %1")
               .arg(f.scdcPresent ? QStringLiteral("yes") : QStringLiteral("no"));
    out << QStringLiteral("    Max FRL rate: %1").arg(frlText(f.maxFrlRate));
    if (f.allm)
        out << QStringLiteral("    Auto low-latency mode");
    // A zero maximum means the sink gives none (it then follows the timing's own rate).
    if (f.vrrMinHz)
        out << QStringLiteral("    VRR minimum: %1 Hz").arg(f.vrrMinHz);
    if (f.vrrMaxHz)
        out << QStringLiteral("    VRR maximum: %1 Hz").arg(f.vrrMaxHz);
    if (f.dsc12) {
        // Slice counts by code; codes 4 and 5 differ in the pixel rate per slice (340 or 400 MHz).
        static const int slices[8] = { 0, 1, 2, 4, 8, 8, 12, 16 };
        out << QStringLiteral("    DSC 1.2: max FRL %1, up to %2 slices")
                   .arg(frlText(f.dscMaxFrlRate))
                   .arg(slices[f.dscMaxSlices & 7]);
    }
}

QString vicList(const QVector<int> &vics)
{
    QStringList names;
    for (int vic : vics)
        names << QStringLiteral("%1 (%2)").arg(vic).arg(CtaVideoFormats::name(vic));
    return names.join(QStringLiteral(", "));
}

QJsonArray intArray(const QVector<int> &values)
{
    QJsonArray a;
    for (int v : values)
        a.append(v);
    return a;
}

// Made for the VICs a table lists, when it lists them: a cache of every possible object would cost
// a one-table run more than it saves.
QJsonObject videoJson(const CtaShortVideo &v)
{
    return QJsonObject { { QStringLiteral("vic"), v.vic },
        { QStringLiteral("name"), CtaVideoFormats::name(v.vic) },
        { QStringLiteral("native"), v.native } };
}

} // namespace

QStringList CtaDescriber::eotfNames(quint8 eotfs)
{
    return bitNames(eotfs, kEotfs, 6);
}

QStringList CtaDescriber::lines(const CtaBlock &cta)
{
    QStringList out;
    out << QStringLiteral("Block %1: CTA-861 extension, revision %2")
               .arg(cta.blockIndex)
               .arg(cta.revision);
    out << QStringLiteral(
        "  Underscan %1, basic audio %2, YCbCr 4:4:4 %3, YCbCr 4:2:2 %4, %5 native timings")
               .arg(cta.underscan ? "yes" : "no", cta.basicAudio ? "yes" : "no",
                   cta.ycbcr444 ? "yes" : "no", cta.ycbcr422 ? "yes" : "no")
               .arg(cta.nativeTimings);
    // Plain concatenation: a table lists dozens of VICs and arg() parses its pattern each time.
    for (const CtaShortVideo &v : cta.videos)
        out << QLatin1String("  VIC ") + QString::number(v.vic) + QLatin1String(": ")
                + CtaVideoFormats::name(v.vic)
                + (v.native ? QLatin1String(" (native)") : QLatin1String());
    for (const CtaShortAudio &a : cta.audios)
        out << QStringLiteral("  Audio: %1").arg(audioText(a));
    if (cta.hasSpeakers)
        out << QStringLiteral("  Speakers: %1")
                   .arg(bitNames(cta.speakers, kSpeakers, 24).join(QLatin1Char(' ')));
    if (cta.hasHdmi)
        hdmiLines(cta.hdmi, out);
    if (cta.hasHdmiForum)
        forumLines(cta.hdmiForum, out);
    if (cta.hasHdrStatic) {
        const CtaHdrStatic &h = cta.hdrStatic;
        out << QStringLiteral("  HDR static metadata: %1")
                   .arg(eotfNames(h.eotfs).join(QStringLiteral(", ")));
        if (h.hasMax)
            out << QStringLiteral("    Max luminance: %1").arg(luminanceText(h.maxCdm2));
        if (h.hasAverage)
            out << QStringLiteral("    Max frame-average luminance: %1")
                       .arg(luminanceText(h.averageCdm2));
        if (h.hasMin)
            out << QStringLiteral("    Min luminance: %1").arg(luminanceText(h.minCdm2));
    }
    if (cta.hasColorimetry)
        out << QStringLiteral("  Colorimetry: %1")
                   .arg(bitNames(cta.colorimetry, kColorimetry, 16).join(QLatin1Char(' ')));
    if (cta.hasVideoCapability) {
        const quint8 c = cta.videoCapability;
        out << QStringLiteral("  Video capability: quantisation range selectable YCbCr %1, RGB %2; "
                              "PT %3, IT %4, CE %5")
                   .arg(c & 0x80 ? "yes" : "no", c & 0x40 ? "yes" : "no")
                   .arg(QString::fromLatin1(kScan[c >> 4 & 3]),
                       QString::fromLatin1(kScan[c >> 2 & 3]), QString::fromLatin1(kScan[c & 3]));
    }
    if (!cta.ycbcr420Only.isEmpty())
        out << QStringLiteral("  YCbCr 4:2:0 only: %1").arg(vicList(cta.ycbcr420Only));
    if (cta.hasYcbcr420Map)
        out << QStringLiteral("  YCbCr 4:2:0 also: %1").arg(vicList(cta.ycbcr420Capable));
    for (const CtaOtherBlock &o : cta.others) {
        if (o.extendedTag >= 0)
            out << QStringLiteral("  Data block, extended tag %1, %2 bytes")
                       .arg(o.extendedTag)
                       .arg(o.length);
        else if (o.tag == 3)
            out << QStringLiteral("  Vendor-specific block, OUI %1, %2 bytes")
                       .arg(o.oui, 6, 16, QLatin1Char('0'))
                       .arg(o.length);
        else
            out << QStringLiteral("  Data block, tag %1, %2 bytes").arg(o.tag).arg(o.length);
    }
    for (const EdidDetailedTiming &t : cta.detailedTimings)
        out << QStringLiteral("  Detailed timing: %1").arg(EdidDescriber::timingText(t));
    return out;
}

QJsonObject CtaDescriber::json(const CtaBlock &cta)
{
    QJsonObject o;
    o[QStringLiteral("block")] = cta.blockIndex;
    o[QStringLiteral("revision")] = cta.revision;
    QJsonArray videos;
    for (const CtaShortVideo &v : cta.videos)
        videos.append(videoJson(v));
    o[QStringLiteral("videos")] = videos;
    QJsonArray audios;
    for (const CtaShortAudio &a : cta.audios)
        audios.append(audioText(a));
    o[QStringLiteral("audio")] = audios;
    if (cta.hasSpeakers)
        o[QStringLiteral("speakers")]
            = QJsonArray::fromStringList(bitNames(cta.speakers, kSpeakers, 24));
    if (cta.hasHdmi) {
        o[QStringLiteral("hdmi")] = QJsonObject {
            { QStringLiteral("physical_address"),
                EdidDescriber::physicalAddressText(cta.hdmi.physicalAddress) },
            { QStringLiteral("max_tmds_mhz"), cta.hdmi.maxTmdsMHz },
            { QStringLiteral("supports"), QJsonArray::fromStringList(hdmiFlags(cta.hdmi)) },
        };
    }
    if (cta.hasHdmiForum) {
        const CtaHdmiForum &f = cta.hdmiForum;
        o[QStringLiteral("hdmi_forum")] = QJsonObject {
            { QStringLiteral("version"), f.version },
            { QStringLiteral("max_tmds_character_rate_mhz"), f.maxTmdsCharacterRateMHz },
            { QStringLiteral("scdc"), f.scdcPresent },
            { QStringLiteral("max_frl"), frlText(f.maxFrlRate) },
            { QStringLiteral("dsc12"), f.dsc12 },
        };
    }
    if (cta.hasHdrStatic) {
        const CtaHdrStatic &h = cta.hdrStatic;
        QJsonObject hdr { { QStringLiteral("eotfs"),
            QJsonArray::fromStringList(eotfNames(h.eotfs)) } };
        if (h.hasMax)
            hdr[QStringLiteral("max_cdm2")] = h.maxCdm2;
        if (h.hasAverage)
            hdr[QStringLiteral("average_cdm2")] = h.averageCdm2;
        if (h.hasMin)
            hdr[QStringLiteral("min_cdm2")] = h.minCdm2;
        o[QStringLiteral("hdr_static")] = hdr;
    }
    if (cta.hasColorimetry)
        o[QStringLiteral("colorimetry")]
            = QJsonArray::fromStringList(bitNames(cta.colorimetry, kColorimetry, 16));
    if (cta.hasVideoCapability)
        o[QStringLiteral("video_capability")] = int(cta.videoCapability);
    o[QStringLiteral("ycbcr420_only")] = intArray(cta.ycbcr420Only);
    o[QStringLiteral("ycbcr420_capable")] = intArray(cta.ycbcr420Capable);
    QJsonArray timings;
    for (const EdidDetailedTiming &t : cta.detailedTimings)
        timings.append(EdidDescriber::timingText(t));
    o[QStringLiteral("detailed_timings")] = timings;
    return o;
}
