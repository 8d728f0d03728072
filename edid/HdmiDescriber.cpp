// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/HdmiDescriber.h"

#include "edid/CtaBits.h"
#include "edid/CtaVideoFormats.h"
#include "edid/EdidDescriber.h"

namespace {

const char *const kFrl[7] = { "none", "3 Gbit/s on 3 lanes", "6 Gbit/s on 3 lanes",
    "6 Gbit/s on 4 lanes", "8 Gbit/s on 4 lanes", "10 Gbit/s on 4 lanes", "12 Gbit/s on 4 lanes" };
const char *const kImageSize[4] = { "no more information",
    "the base block's size is an aspect ratio", "the base block's size is in units of 1 cm",
    "the base block's size is in units of 5 cm" };
// DSC_MaxSlices codes 1 to 7: the slices and the pixel clock per slice (MHz).
const int kSlices[8] = { 0, 1, 2, 4, 8, 8, 12, 16 };
const int kSliceClockMHz[8] = { 0, 340, 340, 340, 340, 400, 400, 400 };

QString frlText(int rate)
{
    return rate >= 0 && rate < 7 ? QString(QLatin1String(kFrl[rate]))
                                 : QLatin1String("reserved ") % Decimal(rate).text();
}

QString latencyText(quint8 code, QLatin1String none)
{
    const int ms = CtaHdmiVsdb::latencyMs(code);
    if (ms >= 0)
        return Decimal(ms).text() % QLatin1String(" ms");
    return code == 0 ? QString(QLatin1String("unknown")) : QString(none);
}

void latencyField(const char *key, quint8 code, Description &out)
{
    const int ms = CtaHdmiVsdb::latencyMs(code);
    if (!out.wantsJson())
        return;
    if (ms >= 0)
        out.field(key, ms);
    else
        out.json()->null(key);
}

void latencies(const CtaHdmiVsdb &h, Description &out)
{
    if (h.hasLatency) {
        out.line(QLatin1String("    Latency: video ")
            % latencyText(h.videoLatency, QLatin1String("no video")) % QLatin1String(", audio ")
            % latencyText(h.audioLatency, QLatin1String("no audio")));
        latencyField("video_latency_ms", h.videoLatency, out);
        latencyField("audio_latency_ms", h.audioLatency, out);
    }
    if (h.hasInterlacedLatency) {
        out.line(QLatin1String("    Interlaced latency: video ")
            % latencyText(h.interlacedVideoLatency, QLatin1String("no video"))
            % QLatin1String(", audio ")
            % latencyText(h.interlacedAudioLatency, QLatin1String("no audio")));
        latencyField("interlaced_video_latency_ms", h.interlacedVideoLatency, out);
        latencyField("interlaced_audio_latency_ms", h.interlacedAudioLatency, out);
    }
}

QString structureName(int code)
{
    for (const CtaFlagBit<Cta3dStructures> &b : CtaBits::structures3d)
        if (b.bit == code)
            return QLatin1String(b.name);
    return QLatin1String("reserved ") % Decimal(code).text();
}

QString vicNumbers(const QVector<int> &vics)
{
    QStringList numbers;
    for (int vic : vics)
        numbers << QString::number(vic);
    return numbers.join(QLatin1String(", "));
}

// The HDMI_Video_present part: HDMI VICs, image size and 3D.
void video(const CtaHdmiVsdb &h, Description &out)
{
    if (!h.hdmiVics.isEmpty() && out.wantsLines()) {
        QStringList names;
        for (int v : h.hdmiVics)
            names << Decimal(v).text() % QLatin1String(" (")
                    % (CtaVideoFormats::vicOfHdmiVic(v)
                            ? CtaVideoFormats::name(CtaVideoFormats::vicOfHdmiVic(v))
                            : QString(QLatin1String("reserved")))
                    % QLatin1Char(')');
        out.line(QLatin1String("    HDMI VICs: ") % names.join(QLatin1String(", ")));
    }
    out.beginArray("hdmi_vics");
    for (int v : h.hdmiVics)
        out.element(v);
    out.endArray();
    if (h.imageSize != 0)
        out.line(QLatin1String("    Image size: ") % QLatin1String(kImageSize[h.imageSize & 3]));
    out.field("image_size", h.imageSize);

    out.beginObject("three_d");
    if (h.present3d)
        out.line(QLatin1String("    3D: the mandatory formats"));
    out.field("mandatory", h.present3d);
    if (h.hasStructures3d) {
        const QStringList names = [&h] {
            QStringList list;
            for (const CtaFlagBit<Cta3dStructures> &b : CtaBits::structures3d)
                if (h.structures3d.*b.field)
                    list << QLatin1String(b.name);
            for (int bit = 0; bit < 16; ++bit)
                if (h.structures3d.reservedBits >> bit & 1)
                    list << QLatin1String("reserved ") % Decimal(bit).text();
            return list;
        }();
        const QString which = !h.hasMask3d ? QString(QLatin1String("every VIC"))
            : h.maskVics3d.isEmpty()       ? QString(QLatin1String("no VIC"))
                                           : QLatin1String("VICs ") % vicNumbers(h.maskVics3d);
        out.line(QLatin1String("    3D formats for ") % which % QLatin1String(": ")
            % names.join(QLatin1String(", ")));
        out.beginArray("structures");
        for (const QString &n : names)
            out.element(n);
        out.endArray();
        out.field("all_vics", !h.hasMask3d);
        out.beginArray("vics");
        for (int vic : h.maskVics3d)
            out.element(vic);
        out.endArray();
    }
    out.beginArray("vic_formats");
    for (const Cta3dVic &v : h.vics3d) {
        const QString name = structureName(v.structure);
        out.line(QLatin1String("    3D format of VIC ") % Decimal(v.vic).text()
            % QLatin1String(": ") % name
            % (v.detail >= 0 ? QLatin1String(", detail ") % Decimal(v.detail).text() : QString()));
        out.beginObject();
        out.field("vic", v.vic);
        out.field("structure", name);
        if (v.detail >= 0)
            out.field("detail", v.detail);
        out.endObject();
    }
    out.endArray();
    out.endObject();
}

void dsc(const CtaHdmiForum &f, Description &out)
{
    const int slices = f.dscMaxSlices;
    const bool validSlices = slices >= 0 && slices < 8;
    if (f.dsc12) {
        // A reserved slice code is said so, not read as a count.
        const QString count = validSlices ? QString(QLatin1String(", up to ")
                                  % Decimal(kSlices[slices]).text() % QLatin1String(" slices"))
                                          : QString(QLatin1String(", slice count reserved (")
                                              % Decimal(slices).text() % QLatin1Char(')'));
        out.line(QLatin1String("    DSC 1.2: max FRL ") % frlText(f.dscMaxFrlRate) % count);
    }
    if (validSlices && slices > 0)
        out.line(QLatin1String("    DSC pixel clock per slice: up to ")
            % Decimal(kSliceClockMHz[slices]).text() % QLatin1String(" MHz"));
    if (f.dscNative420)
        out.line(QLatin1String("    DSC native 4:2:0"));
    QStringList bpc;
    for (const auto &[on, bits] : { std::pair { f.dsc10bpc, 10 }, std::pair { f.dsc12bpc, 12 },
             std::pair { f.dsc16bpc, 16 } })
        if (on)
            bpc << QString::number(bits);
    if (!bpc.isEmpty())
        out.line(QLatin1String("    DSC bits per component: ") % bpc.join(QLatin1String(", ")));
    if (f.dscAllBpp)
        out.line(QLatin1String("    DSC any bits per pixel in 1/16 steps"));
    const int chunkBytes = f.dscTotalChunkKBytes ? (f.dscTotalChunkKBytes + 1) * 1024 : 0;
    if (chunkBytes)
        out.line(QLatin1String("    DSC line of chunks: up to ") % Decimal(chunkBytes).text()
            % QLatin1String(" bytes"));

    out.field("dsc12", f.dsc12);
    out.beginObject("dsc");
    out.field("max_frl", frlText(f.dscMaxFrlRate));
    out.field("max_slices", validSlices ? kSlices[slices] : 0);
    out.field("slice_clock_mhz", validSlices ? kSliceClockMHz[slices] : 0);
    out.field("native_420", f.dscNative420);
    out.beginArray("bpc");
    for (const QString &b : bpc)
        out.element(b.toInt());
    out.endArray();
    out.field("all_bpp", f.dscAllBpp);
    out.field("chunk_bytes", chunkBytes);
    out.endObject();
}

} // namespace

void HdmiDescriber::vsdb(const CtaHdmiVsdb &h, Description &out)
{
    const QString address = EdidDescriber::physicalAddressText(h.physicalAddress);
    out.line(QLatin1String("  HDMI VSDB: physical address ") % address);
    if (h.maxTmdsMHz)
        out.line(QLatin1String("    Max TMDS clock: ") % Decimal(h.maxTmdsMHz).text()
            % QLatin1String(" MHz"));
    const std::pair<bool, const char *> flags[6]
        = { { h.supportsAi, "AI" }, { h.dc48, "DC 48 bit" }, { h.dc36, "DC 36 bit" },
              { h.dc30, "DC 30 bit" }, { h.dcY444, "DC Y444" }, { h.dviDual, "DVI dual link" } };
    const std::pair<bool, const char *> content[4] = { { h.cncGraphics, "graphics" },
        { h.cncPhoto, "photo" }, { h.cncCinema, "cinema" }, { h.cncGame, "game" } };
    QStringList supports, types;
    for (const auto &[on, name] : flags)
        if (on)
            supports << QLatin1String(name);
    for (const auto &[on, name] : content)
        if (on)
            types << QLatin1String(name);
    if (!supports.isEmpty())
        out.line(QLatin1String("    Supports: ") % supports.join(QLatin1String(", ")));
    if (!types.isEmpty())
        out.line(QLatin1String("    Content types: ") % types.join(QLatin1String(", ")));

    out.beginObject("hdmi");
    out.field("physical_address", address);
    out.field("max_tmds_mhz", h.maxTmdsMHz);
    out.beginArray("supports");
    for (const QString &s : supports)
        out.element(s);
    out.endArray();
    out.beginArray("content_types");
    for (const QString &t : types)
        out.element(t);
    out.endArray();
    latencies(h, out);
    video(h, out);
    out.endObject();
}

void HdmiDescriber::forum(const CtaHdmiForum &f, Description &out)
{
    out.line((f.sinkCapabilityBlock ? QLatin1String("  HDMI Forum SCDB, version ")
                                    : QLatin1String("  HDMI Forum VSDB, version "))
        % Decimal(f.version).text());
    if (f.maxTmdsCharacterRateMHz)
        out.line(QLatin1String("    Max TMDS character rate: ")
            % Decimal(f.maxTmdsCharacterRateMHz).text() % QLatin1String(" MHz"));
    out.line(
        QLatin1String("    SCDC: ") % (f.scdcPresent ? QLatin1String("yes") : QLatin1String("no")));
    if (f.readRequest)
        out.line(QLatin1String("    SCDC read request"));
    if (f.scrambling340)
        out.line(QLatin1String("    Scrambling at 340 Mcsc and below"));
    const QString frl = frlText(f.maxFrlRate);
    out.line(QLatin1String("    Max FRL rate: ") % frl);
    QStringList deepColour;
    for (const auto &[on, bits] : { std::pair { f.dc30_420, 30 }, std::pair { f.dc36_420, 36 },
             std::pair { f.dc48_420, 48 } })
        if (on)
            deepColour << QString::number(bits);
    if (!deepColour.isEmpty())
        out.line(QLatin1String("    Deep colour 4:2:0: ") % deepColour.join(QLatin1String(", "))
            % QLatin1String(" bit"));
    if (f.allm)
        out.line(QLatin1String("    Auto low-latency mode"));
    // A zero maximum means the sink gives none (it then follows the timing's own rate).
    if (f.vrrMinHz)
        out.line(
            QLatin1String("    VRR minimum: ") % Decimal(f.vrrMinHz).text() % QLatin1String(" Hz"));
    if (f.vrrMaxHz)
        out.line(
            QLatin1String("    VRR maximum: ") % Decimal(f.vrrMaxHz).text() % QLatin1String(" Hz"));

    out.beginObject("hdmi_forum");
    out.field("sink_capability_block", f.sinkCapabilityBlock);
    out.field("version", f.version);
    out.field("max_tmds_character_rate_mhz", f.maxTmdsCharacterRateMHz);
    out.field("scdc", f.scdcPresent);
    out.field("scdc_read_request", f.readRequest);
    out.field("scrambling_340", f.scrambling340);
    out.field("max_frl", frl);
    out.beginArray("deep_colour_420");
    for (const QString &d : deepColour)
        out.element(d.toInt());
    out.endArray();
    out.field("allm", f.allm);
    out.field("vrr_min_hz", f.vrrMinHz);
    out.field("vrr_max_hz", f.vrrMaxHz);
    dsc(f, out);
    out.endObject();
}
