// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidDescriber.h"

#include "edid/CtaDescriber.h"
#include "edid/DecodeWarningText.h"

#include <QJsonArray>

namespace {

// Bytes 35..37 of the base block, from bit 23 (byte 35 bit 7) down.
const char *const kEstablished[17] = { "720x400 70 Hz", "720x400 88 Hz", "640x480 60 Hz",
    "640x480 67 Hz", "640x480 72 Hz", "640x480 75 Hz", "800x600 56 Hz", "800x600 60 Hz",
    "800x600 72 Hz", "800x600 75 Hz", "832x624 75 Hz", "1024x768i 87 Hz", "1024x768 60 Hz",
    "1024x768 70 Hz", "1024x768 75 Hz", "1280x1024 75 Hz", "1152x870 75 Hz" };

QStringList establishedNames(quint32 bits)
{
    QStringList names;
    for (int i = 0; i < 17; ++i)
        if (bits >> (23 - i) & 1)
            names << QString::fromLatin1(kEstablished[i]);
    return names;
}

QString detailedText(const EdidDetailedTiming &t)
{
    return QStringLiteral("%1, %2 MHz, blanking %3/%4, sync %5+%6/%7+%8, image %9x%10 mm")
        .arg(EdidDescriber::timingText(t))
        .arg(t.pixelClockKHz / 1000.0, 0, 'f', 2)
        .arg(t.hBlank)
        .arg(t.vBlank)
        .arg(t.hSyncOffset)
        .arg(t.hSyncWidth)
        .arg(t.vSyncOffset)
        .arg(t.vSyncWidth)
        .arg(t.hImageMm)
        .arg(t.vImageMm);
}

QString madeText(const EdidBaseBlock &b)
{
    if (b.week == 0xFF)
        return QStringLiteral("model year %1").arg(b.year);
    if (b.week == 0)
        return QStringLiteral("%1").arg(b.year);
    return QStringLiteral("week %1 of %2").arg(b.week).arg(b.year);
}

void baseLines(const EdidBaseBlock &b, QStringList &out)
{
    out << QStringLiteral("Block 0: base EDID %1.%2").arg(b.version).arg(b.revision);
    out << QStringLiteral("  Manufacturer: %1, product code %2 (0x%3), serial %4")
               .arg(b.manufacturer)
               .arg(b.productCode)
               .arg(b.productCode, 4, 16, QLatin1Char('0'))
               .arg(b.serialNumber);
    out << QStringLiteral("  Made: %1").arg(madeText(b));
    out << QStringLiteral("  %1 input, image %2x%3 cm")
               .arg(b.digital ? QStringLiteral("Digital") : QStringLiteral("Analogue"))
               .arg(b.widthCm)
               .arg(b.heightCm);
    if (!b.displayName.isEmpty())
        out << QStringLiteral("  Display name: %1").arg(b.displayName);
    if (!b.displaySerial.isEmpty())
        out << QStringLiteral("  Display serial: %1").arg(b.displaySerial);
    if (b.hasRangeLimits) {
        const EdidRangeLimits &r = b.rangeLimits;
        out << QStringLiteral("  Range limits: %1-%2 Hz vertical, %3-%4 kHz horizontal, %5 MHz")
                   .arg(r.minVHz)
                   .arg(r.maxVHz)
                   .arg(r.minHKHz)
                   .arg(r.maxHKHz)
                   .arg(r.maxPixelClockMHz);
    }
    const QStringList established = establishedNames(b.establishedTimings);
    if (!established.isEmpty())
        out << QStringLiteral("  Established timings: %1")
                   .arg(established.join(QStringLiteral(", ")));
    for (const EdidStandardTiming &s : b.standardTimings)
        out << QStringLiteral("  Standard timing: %1x%2 %3 Hz")
                   .arg(s.width)
                   .arg(s.height)
                   .arg(s.refreshHz);
    for (const EdidDetailedTiming &t : b.detailedTimings)
        out << QStringLiteral("  Detailed timing: %1").arg(detailedText(t));
    out << QStringLiteral("  Extension blocks: %1").arg(b.extensionCount);
}

QJsonArray timingsJson(const QVector<EdidDetailedTiming> &timings)
{
    QJsonArray a;
    for (const EdidDetailedTiming &t : timings)
        a.append(QJsonObject {
            { QStringLiteral("text"), EdidDescriber::timingText(t) },
            { QStringLiteral("pixel_clock_khz"), qint64(t.pixelClockKHz) },
            { QStringLiteral("h_active"), t.hActive },
            { QStringLiteral("v_active"), t.frameHeight() },
            { QStringLiteral("h_blank"), t.hBlank },
            { QStringLiteral("v_blank"), t.vBlank },
            { QStringLiteral("interlaced"), t.interlaced },
        });
    return a;
}

} // namespace

QString EdidDescriber::timingText(const EdidDetailedTiming &t)
{
    return QString::number(t.hActive) + QLatin1Char('x') + QString::number(t.frameHeight())
        + (t.interlaced ? QLatin1String("i ") : QLatin1String(" "))
        + QString::number(t.refreshHz(), 'f', 3) + QLatin1String(" Hz");
}

QString EdidDescriber::physicalAddressText(quint16 a)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(a >> 12)
        .arg(a >> 8 & 0xF)
        .arg(a >> 4 & 0xF)
        .arg(a & 0xF);
}

QStringList EdidDescriber::lines(const EdidDecoded &edid)
{
    QStringList out;
    baseLines(edid.base, out);
    for (const CtaBlock &cta : edid.cta)
        out << CtaDescriber::lines(cta);
    for (const EdidBlockState &s : edid.blocks)
        if (s.tag != 0x02 && s.index > 0)
            out << QStringLiteral("Block %1: extension tag 0x%2, not decoded")
                       .arg(s.index)
                       .arg(s.tag, 2, 16, QLatin1Char('0'));
    for (const EdidBlockState &s : edid.blocks)
        out << QStringLiteral("Block %1 checksum: %2")
                   .arg(s.index)
                   .arg(!s.complete         ? QStringLiteral("incomplete block")
                           : s.checksumOk() ? QStringLiteral("good")
                                            : QStringLiteral("bad"));
    for (const DecodeWarning &w : edid.warnings)
        out << QStringLiteral("Warning: %1").arg(DecodeWarningText::describe(w));
    return out;
}

QJsonObject EdidDescriber::json(const EdidDecoded &edid)
{
    const EdidBaseBlock &b = edid.base;
    QJsonObject base {
        { QStringLiteral("manufacturer"), b.manufacturer },
        { QStringLiteral("product_code"), int(b.productCode) },
        { QStringLiteral("serial_number"), qint64(b.serialNumber) },
        { QStringLiteral("made"), madeText(b) },
        { QStringLiteral("version"), QStringLiteral("%1.%2").arg(b.version).arg(b.revision) },
        { QStringLiteral("display_name"), b.displayName },
        { QStringLiteral("display_serial"), b.displaySerial },
        { QStringLiteral("established"),
            QJsonArray::fromStringList(establishedNames(b.establishedTimings)) },
        { QStringLiteral("detailed_timings"), timingsJson(b.detailedTimings) },
    };
    QJsonArray standard;
    for (const EdidStandardTiming &s : b.standardTimings)
        standard.append(QStringLiteral("%1x%2 %3 Hz").arg(s.width).arg(s.height).arg(s.refreshHz));
    base[QStringLiteral("standard_timings")] = standard;
    if (b.hasRangeLimits)
        base[QStringLiteral("range_limits")] = QJsonObject {
            { QStringLiteral("min_v_hz"), b.rangeLimits.minVHz },
            { QStringLiteral("max_v_hz"), b.rangeLimits.maxVHz },
            { QStringLiteral("min_h_khz"), b.rangeLimits.minHKHz },
            { QStringLiteral("max_h_khz"), b.rangeLimits.maxHKHz },
            { QStringLiteral("max_pixel_clock_mhz"), b.rangeLimits.maxPixelClockMHz },
        };

    QJsonArray cta;
    for (const CtaBlock &c : edid.cta)
        cta.append(CtaDescriber::json(c));
    QJsonArray checksums;
    for (const EdidBlockState &s : edid.blocks)
        checksums.append(QJsonObject { { QStringLiteral("block"), s.index },
            { QStringLiteral("tag"), int(s.tag) }, { QStringLiteral("complete"), s.complete },
            { QStringLiteral("good"), s.complete && s.checksumOk() } });
    QJsonArray warnings;
    for (const DecodeWarning &w : edid.warnings)
        warnings.append(DecodeWarningText::describe(w));
    return QJsonObject { { QStringLiteral("size"), edid.inputSize },
        { QStringLiteral("base"), base }, { QStringLiteral("cta"), cta },
        { QStringLiteral("blocks"), checksums }, { QStringLiteral("warnings"), warnings } };
}
