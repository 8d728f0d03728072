// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/CtaDescriber.h"

#include "edid/CtaBits.h"
#include "edid/CtaVideoFormats.h"
#include "edid/EdidDescriber.h"
#include "edid/HdmiDescriber.h"
#include "edid/HexText.h"

namespace {

const char *const kScan[4]
    = { "no data", "always overscanned", "always underscanned", "over- and underscan" };

QLatin1String yesNo(bool on)
{
    return on ? QLatin1String("yes") : QLatin1String("no");
}

// The names of the flags set, in bit order, then "<reserved> N" for each reserved bit set.
template <typename Flags, std::size_t N>
QStringList flagNames(const Flags &flags, const CtaFlagBit<Flags> (&table)[N],
    quint32 reservedBits = 0, QLatin1String reservedWord = QLatin1String("bit"))
{
    QStringList names;
    for (const CtaFlagBit<Flags> &b : table)
        if (flags.*b.field)
            names << QLatin1String(b.name);
    for (int bit = 0; bit < 32; ++bit)
        if (reservedBits >> bit & 1)
            names << reservedWord % QLatin1Char(' ') % Decimal(bit).text();
    return names;
}

// A list of names: one line after `label`, joined by `separator`, and a JSON array of them.
void nameList(const char *key, QLatin1String label, const QStringList &names,
    QLatin1String separator, Description &out)
{
    out.line(label % names.join(separator));
    out.beginArray(key);
    for (const QString &name : names)
        out.element(name);
    out.endArray();
}

QString audioText(const CtaShortAudio &a)
{
    QStringList rates;
    for (int i = 0; i < 7; ++i)
        if (a.rates >> i & 1)
            rates << QLatin1String(CtaBits::sampleRatesKHz[i]);
    QString text = QLatin1String(CtaBits::audioFormats[a.format & 0x0F]) % QLatin1String(", ")
        % Decimal(a.channels).text() % QLatin1String(" channels, ") % rates.join(QLatin1Char(' '))
        % QLatin1String(" kHz");
    if (a.format == 1) {
        QStringList depths;
        for (int i = 0; i < 3; ++i)
            if (a.detail >> i & 1)
                depths << QString::number(16 + 4 * i);
        text += QLatin1String(", ") % depths.join(QLatin1Char(' ')) % QLatin1String(" bit");
    } else if (a.format >= 2 && a.format <= 8) {
        text += QLatin1String(", up to ") % Decimal(a.detail * 8).text() % QLatin1String(" kbit/s");
    }
    return text;
}

QString luminanceText(double cdm2)
{
    return QString::number(cdm2, 'f', 3) % QLatin1String(" cd/m2");
}

// "97 (3840x2160p 60 Hz 16:9), ..." and the VICs as a JSON array.
void vicList(const char *key, QLatin1String label, const QVector<int> &vics, Description &out)
{
    if (out.wantsLines()) {
        QString text = label;
        for (int i = 0; i < vics.size(); ++i)
            text += (i ? QLatin1String(", ") : QLatin1String()) % Decimal(vics[i]).text()
                % QLatin1String(" (") % CtaVideoFormats::name(vics[i]) % QLatin1Char(')');
        out.line(text);
    }
    out.beginArray(key);
    for (int vic : vics)
        out.element(vic);
    out.endArray();
}

void videos(const QVector<CtaShortVideo> &videos, Description &out)
{
    out.beginArray("videos");
    for (const CtaShortVideo &v : videos) {
        const QString name = CtaVideoFormats::name(v.vic);
        out.line(QLatin1String("  VIC ") % Decimal(v.vic).text() % QLatin1String(": ") % name
            % (v.native ? QLatin1String(" (native)") : QLatin1String()));
        out.beginObject();
        out.field("vic", v.vic);
        out.field("name", name);
        out.field("native", v.native);
        out.endObject();
    }
    out.endArray();
}

void hdrStatic(const CtaHdrStatic &h, Description &out)
{
    out.beginObject("hdr_static");
    nameList("eotfs", QLatin1String("  HDR static metadata: "),
        flagNames(h.eotfs, CtaBits::eotfs, h.eotfs.reservedBits, QLatin1String("reserved")),
        QLatin1String(", "), out);
    // The static metadata descriptor types: type 1 is the only one defined.
    QStringList types;
    out.beginArray("static_metadata_types");
    for (int bit = 0; bit < 8; ++bit) {
        const bool set = bit == 0 ? h.staticMetadataType1 : h.reservedDescriptors >> bit & 1;
        if (!set)
            continue;
        types << QString::number(bit + 1);
        out.element(bit + 1);
    }
    out.endArray();
    if (!types.isEmpty())
        out.line(QLatin1String("    Static metadata types: ") % types.join(QLatin1String(", ")));
    if (h.hasMax) {
        out.line(QLatin1String("    Max luminance: ") % luminanceText(h.maxCdm2));
        out.field("max_cdm2", h.maxCdm2);
    }
    if (h.hasAverage) {
        out.line(QLatin1String("    Max frame-average luminance: ") % luminanceText(h.averageCdm2));
        out.field("average_cdm2", h.averageCdm2);
    }
    if (h.hasMin) {
        out.line(QLatin1String("    Min luminance: ") % luminanceText(h.minCdm2));
        out.field("min_cdm2", h.minCdm2);
    }
    out.endObject();
}

void hdrDynamic(const QVector<CtaHdrDynamicType> &types, Description &out)
{
    QStringList words;
    out.beginArray("hdr_dynamic");
    for (const CtaHdrDynamicType &t : types) {
        words << QLatin1String("type ") % Decimal(t.type).text()
                % (t.hasVersion ? QLatin1String(" version ") % Decimal(t.version).text()
                                : QString());
        out.beginObject();
        out.field("type", t.type);
        if (t.hasVersion)
            out.field("version", t.version);
        out.endObject();
    }
    out.endArray();
    out.line(QLatin1String("  HDR dynamic metadata: ") % words.join(QLatin1String(", ")));
}

void videoCapability(const CtaVideoCapability &c, Description &out)
{
    const QLatin1String pt(kScan[c.ptScan & 3]), it(kScan[c.itScan & 3]), ce(kScan[c.ceScan & 3]);
    out.line(QLatin1String("  Video capability: quantisation range selectable YCbCr ")
        % yesNo(c.ycbcrQuantisationSelectable) % QLatin1String(", RGB ")
        % yesNo(c.rgbQuantisationSelectable) % QLatin1String("; PT ") % pt % QLatin1String(", IT ")
        % it % QLatin1String(", CE ") % ce);
    // The byte as it always was, and what it says.
    out.field("video_capability", int(c.byte()));
    out.beginObject("video_capability_decoded");
    out.field("ycbcr_quantisation_selectable", c.ycbcrQuantisationSelectable);
    out.field("rgb_quantisation_selectable", c.rgbQuantisationSelectable);
    out.field("pt_scan", pt);
    out.field("it_scan", it);
    out.field("ce_scan", ce);
    out.endObject();
}

void otherBlocks(const QVector<CtaOtherBlock> &others, Description &out)
{
    out.beginArray("other_blocks");
    for (const CtaOtherBlock &o : others) {
        if (o.extendedTag >= 0)
            out.line(QLatin1String("  Data block, extended tag ") % Decimal(o.extendedTag).text()
                % QLatin1String(", ") % Decimal(o.length).text() % QLatin1String(" bytes"));
        else if (o.tag == 3)
            out.line(QLatin1String("  Vendor-specific block, OUI ") % HexText::number(o.oui, 6)
                % QLatin1String(", ") % Decimal(o.length).text() % QLatin1String(" bytes"));
        else
            out.line(QLatin1String("  Data block, tag ") % Decimal(o.tag).text()
                % QLatin1String(", ") % Decimal(o.length).text() % QLatin1String(" bytes"));
        out.beginObject();
        out.field("tag", o.tag);
        if (o.extendedTag >= 0)
            out.field("extended_tag", o.extendedTag);
        if (o.tag == 3)
            out.field("oui", HexText::number(o.oui, 6));
        out.field("length", o.length);
        out.endObject();
    }
    out.endArray();
}

} // namespace

QStringList CtaDescriber::eotfNames(const CtaEotfs &eotfs)
{
    return flagNames(eotfs, CtaBits::eotfs, eotfs.reservedBits, QLatin1String("reserved"));
}

void CtaDescriber::describe(const CtaBlock &cta, Description &out)
{
    out.line(QLatin1String("Block ") % Decimal(cta.blockIndex).text()
        % QLatin1String(": CTA-861 extension, revision ") % Decimal(cta.revision).text());
    out.line(QLatin1String("  Underscan ") % yesNo(cta.underscan) % QLatin1String(", basic audio ")
        % yesNo(cta.basicAudio) % QLatin1String(", YCbCr 4:4:4 ") % yesNo(cta.ycbcr444)
        % QLatin1String(", YCbCr 4:2:2 ") % yesNo(cta.ycbcr422) % QLatin1String(", ")
        % Decimal(cta.nativeTimings).text() % QLatin1String(" native timings"));
    out.beginObject();
    out.field("block", cta.blockIndex);
    out.field("revision", cta.revision);
    out.field("underscan", cta.underscan);
    out.field("basic_audio", cta.basicAudio);
    out.field("ycbcr444", cta.ycbcr444);
    out.field("ycbcr422", cta.ycbcr422);
    out.field("native_timings", cta.nativeTimings);
    videos(cta.videos, out);
    out.beginArray("audio");
    for (const CtaShortAudio &a : cta.audios) {
        const QString text = audioText(a);
        out.line(QLatin1String("  Audio: ") % text);
        out.element(text);
    }
    out.endArray();
    if (cta.hasSpeakers)
        nameList("speakers", QLatin1String("  Speakers: "),
            flagNames(cta.speakers, CtaBits::speakers, quint32(cta.speakers.reservedBits) << 16),
            QLatin1String(" "), out);
    if (cta.hasHdmi)
        HdmiDescriber::vsdb(cta.hdmi, out);
    if (cta.hasHdmiForum)
        HdmiDescriber::forum(cta.hdmiForum, out);
    if (cta.hasHdrStatic)
        hdrStatic(cta.hdrStatic, out);
    if (cta.hasHdrDynamic)
        hdrDynamic(cta.hdrDynamic, out);
    if (cta.hasColorimetry)
        nameList("colorimetry", QLatin1String("  Colorimetry: "),
            flagNames(cta.colorimetry, CtaBits::colorimetry), QLatin1String(" "), out);
    if (cta.hasVideoCapability)
        videoCapability(cta.videoCapability, out);
    // The two 4:2:0 lists are in the JSON always, in the lines when the blocks are there.
    Description jsonOnly(nullptr, out.json());
    vicList("ycbcr420_only", QLatin1String("  YCbCr 4:2:0 only: "), cta.ycbcr420Only,
        cta.ycbcr420Only.isEmpty() ? jsonOnly : out);
    vicList("ycbcr420_capable", QLatin1String("  YCbCr 4:2:0 also: "), cta.ycbcr420Capable,
        cta.hasYcbcr420Map ? out : jsonOnly);
    otherBlocks(cta.others, out);
    out.beginArray("detailed_timings");
    for (const EdidDetailedTiming &t : cta.detailedTimings) {
        const QString text = EdidDescriber::timingText(t);
        out.line(QLatin1String("  Detailed timing: ") % text);
        out.element(text);
    }
    out.endArray();
    out.endObject();
}
