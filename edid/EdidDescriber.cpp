// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidDescriber.h"

#include "edid/CtaDescriber.h"
#include "edid/DecodeWarningText.h"
#include "edid/DisplayIdDescriber.h"
#include "edid/EdidDecoder.h"
#include "edid/HexText.h"

#include <QJsonDocument>

namespace {

// Bytes 35..37 of the base block, from bit 23 (byte 35 bit 7) down.
const char *const kEstablished[17] = { "720x400 70 Hz", "720x400 88 Hz", "640x480 60 Hz",
    "640x480 67 Hz", "640x480 72 Hz", "640x480 75 Hz", "800x600 56 Hz", "800x600 60 Hz",
    "800x600 72 Hz", "800x600 75 Hz", "832x624 75 Hz", "1024x768i 87 Hz", "1024x768 60 Hz",
    "1024x768 70 Hz", "1024x768 75 Hz", "1280x1024 75 Hz", "1152x870 75 Hz" };

QString madeText(const EdidBaseBlock &b)
{
    if (b.week == 0xFF)
        return QLatin1String("model year ") % Decimal(b.year).text();
    if (b.week == 0)
        return QString::number(b.year);
    return QLatin1String("week ") % Decimal(b.week).text() % QLatin1String(" of ")
        % Decimal(b.year).text();
}

void established(quint32 bits, Description &out)
{
    QString text;
    out.beginArray("established");
    for (int i = 0; i < 17; ++i) {
        if (!(bits >> (23 - i) & 1))
            continue;
        const QLatin1String name(kEstablished[i]);
        if (out.wantsLines()) {
            text += text.isEmpty() ? QLatin1String("  Established timings: ") : QLatin1String(", ");
            text += name;
        }
        out.element(name);
    }
    out.endArray();
    if (!text.isEmpty())
        out.line(text);
}

void standardTimings(const QVector<EdidStandardTiming> &timings, Description &out)
{
    out.beginArray("standard_timings");
    for (const EdidStandardTiming &s : timings) {
        const QString text = Decimal(s.width).text() % QLatin1Char('x') % Decimal(s.height).text()
            % QLatin1Char(' ') % Decimal(s.refreshHz).text() % QLatin1String(" Hz");
        out.line(QLatin1String("  Standard timing: ") % text);
        out.element(text);
    }
    out.endArray();
}

void baseBlock(const EdidBaseBlock &b, Description &out)
{
    const QString version
        = Decimal(b.version).text() % QLatin1Char('.') % Decimal(b.revision).text();
    const QString made = madeText(b);
    out.line(QLatin1String("Block 0: base EDID ") % version);
    out.line(QLatin1String("  Manufacturer: ") % b.manufacturer % QLatin1String(", product code ")
        % Decimal(b.productCode).text() % QLatin1String(" (0x") % HexText::number(b.productCode, 4)
        % QLatin1String("), serial ") % Decimal(b.serialNumber).text());
    out.line(QLatin1String("  Made: ") % made);
    out.line((b.digital ? QLatin1String("  Digital") : QLatin1String("  Analogue"))
        % QLatin1String(" input, image ") % Decimal(b.widthCm).text() % QLatin1Char('x')
        % Decimal(b.heightCm).text() % QLatin1String(" cm"));
    out.beginObject("base");
    out.field("version", version);
    out.field("manufacturer", b.manufacturer);
    out.field("product_code", int(b.productCode));
    out.field("serial_number", qint64(b.serialNumber));
    out.field("made", made);
    out.field("digital", b.digital);
    out.field("width_cm", b.widthCm);
    out.field("height_cm", b.heightCm);

    if (!b.displayName.isEmpty())
        out.line(QLatin1String("  Display name: ") % b.displayName);
    if (!b.displaySerial.isEmpty())
        out.line(QLatin1String("  Display serial: ") % b.displaySerial);
    out.field("display_name", b.displayName);
    out.field("display_serial", b.displaySerial);
    if (b.hasRangeLimits) {
        const EdidRangeLimits &r = b.rangeLimits;
        out.line(QLatin1String("  Range limits: ") % Decimal(r.minVHz).text() % QLatin1Char('-')
            % Decimal(r.maxVHz).text() % QLatin1String(" Hz vertical, ") % Decimal(r.minHKHz).text()
            % QLatin1Char('-') % Decimal(r.maxHKHz).text() % QLatin1String(" kHz horizontal, ")
            % Decimal(r.maxPixelClockMHz).text() % QLatin1String(" MHz"));
        out.beginObject("range_limits");
        out.field("min_v_hz", r.minVHz);
        out.field("max_v_hz", r.maxVHz);
        out.field("min_h_khz", r.minHKHz);
        out.field("max_h_khz", r.maxHKHz);
        out.field("max_pixel_clock_mhz", r.maxPixelClockMHz);
        out.endObject();
    }
    established(b.establishedTimings, out);
    standardTimings(b.standardTimings, out);
    out.beginArray("detailed_timings");
    for (const EdidDetailedTiming &t : b.detailedTimings) {
        if (out.wantsLines())
            out.line(
                QLatin1String("  Detailed timing: ") % EdidDescriber::detailedTimingText(t, true));
        out.beginObject();
        EdidDescriber::detailedTimingFields(t, true, out);
        out.endObject();
    }
    out.endArray();
    out.line(QLatin1String("  Extension blocks: ") % Decimal(b.extensionCount).text());
    out.field("extension_count", b.extensionCount);
    out.endObject();
}

void blockStates(const EdidDecoded &edid, Description &out)
{
    // Blocks of a kind the decoder does not read are named, after the ones it does.
    if (out.wantsLines())
        for (const EdidBlockState &s : edid.blocks)
            if (s.index > 0 && s.tag != EdidDecoder::CTA_EXTENSION_TAG
                && s.tag != EdidDecoder::DISPLAYID_EXTENSION_TAG)
                out.line(QLatin1String("Block ") % Decimal(s.index).text()
                    % QLatin1String(": extension tag ") % HexText::byte(s.tag)
                    % QLatin1String(", not decoded"));
    out.beginArray("blocks");
    for (const EdidBlockState &s : edid.blocks) {
        const bool good = s.complete && s.checksumOk();
        out.line(QLatin1String("Block ") % Decimal(s.index).text() % QLatin1String(" checksum: ")
            % (!s.complete ? QLatin1String("incomplete block")
                    : good ? QLatin1String("good")
                           : QLatin1String("bad")));
        out.beginObject();
        out.field("block", s.index);
        out.field("tag", int(s.tag));
        out.field("complete", s.complete);
        out.field("good", good);
        out.endObject();
    }
    out.endArray();
}

} // namespace

QString EdidDescriber::timingText(const EdidDetailedTiming &t)
{
    return Decimal(t.hActive).text() % QLatin1Char('x') % Decimal(t.frameHeight()).text()
        % (t.interlaced ? QLatin1String("i ") : QLatin1String(" "))
        % QString::number(t.refreshHz(), 'f', 3) % QLatin1String(" Hz");
}

QString EdidDescriber::detailedTimingText(const EdidDetailedTiming &t, bool withImageSize)
{
    QString text = timingText(t) % QLatin1String(", ")
        % QString::number(t.pixelClockKHz / 1000.0, 'f', 2) % QLatin1String(" MHz, blanking ")
        % Decimal(t.hBlank).text() % QLatin1Char('/') % Decimal(t.vBlank).text()
        % QLatin1String(", sync ") % Decimal(t.hSyncOffset).text() % QLatin1Char('+')
        % Decimal(t.hSyncWidth).text() % QLatin1Char('/') % Decimal(t.vSyncOffset).text()
        % QLatin1Char('+') % Decimal(t.vSyncWidth).text();
    if (withImageSize)
        text += QLatin1String(", image ") % Decimal(t.hImageMm).text() % QLatin1Char('x')
            % Decimal(t.vImageMm).text() % QLatin1String(" mm");
    return text;
}

void EdidDescriber::detailedTimingFields(
    const EdidDetailedTiming &t, bool withImageSize, Description &out)
{
    if (!out.wantsJson())
        return;
    out.field("text", timingText(t));
    out.field("pixel_clock_khz", qint64(t.pixelClockKHz));
    out.field("h_active", t.hActive);
    out.field("v_active", t.frameHeight());
    out.field("h_blank", t.hBlank);
    out.field("v_blank", t.vBlank);
    out.field("h_sync_offset", t.hSyncOffset);
    out.field("h_sync_width", t.hSyncWidth);
    out.field("v_sync_offset", t.vSyncOffset);
    out.field("v_sync_width", t.vSyncWidth);
    if (withImageSize) {
        out.field("h_image_mm", t.hImageMm);
        out.field("v_image_mm", t.vImageMm);
    }
    out.field("interlaced", t.interlaced);
}

// One hex digit per level, as CEC writes addresses and --physical-address takes them back.
QString EdidDescriber::physicalAddressText(quint16 a)
{
    const auto digit = [a](int shift) { return QLatin1Char("0123456789abcdef"[a >> shift & 0xF]); };
    return digit(12) % QLatin1Char('.') % digit(8) % QLatin1Char('.') % digit(4) % QLatin1Char('.')
        % digit(0);
}

void EdidDescriber::describe(const EdidDecoded &edid, Description &out)
{
    out.field("size", edid.inputSize);
    baseBlock(edid.base, out);
    out.beginArray("cta");
    for (const CtaBlock &cta : edid.cta)
        CtaDescriber::describe(cta, out);
    out.endArray();
    out.beginArray("displayid");
    for (const DisplayIdBlock &d : edid.displayId)
        DisplayIdDescriber::describe(d, out);
    out.endArray();
    blockStates(edid, out);
    out.beginArray("warnings");
    for (const DecodeWarning &w : edid.warnings) {
        const QString text = DecodeWarningText::describe(w);
        out.line(QLatin1String("Warning: ") % text);
        out.element(text);
    }
    out.endArray();
}

QStringList EdidDescriber::lines(const EdidDecoded &edid)
{
    QStringList lines;
    lines.reserve(64);
    Description out(&lines, nullptr);
    describe(edid, out);
    return lines;
}

void EdidDescriber::writeJson(const EdidDecoded &edid, JsonWriter &json)
{
    Description out(nullptr, &json);
    describe(edid, out);
}

QByteArray EdidDescriber::jsonText(const EdidDecoded &edid, JsonWriter::Style style)
{
    JsonWriter json(style);
    json.beginObject();
    writeJson(edid, json);
    json.endObject();
    return json.text();
}

QJsonObject EdidDescriber::json(const EdidDecoded &edid)
{
    return QJsonDocument::fromJson(jsonText(edid, JsonWriter::Compact)).object();
}
