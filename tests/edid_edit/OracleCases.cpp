// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/edid_edit/OracleCases.h"

#include "edid/CtaVideoFormats.h"
#include "edid/EdidBaseEdits.h"
#include "edid/EdidEditWords.h"
#include "edid/EdidLayout.h"
#include "tests/edid_edit/EditTables.h"

#include <QRegularExpression>

using namespace EditTables;

namespace OracleCases {

namespace {

// Numbers change when a table does (VIC counts, positions); the complaint stays the same one.
QString complaintKey(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    return QString(text).replace(digits, QStringLiteral("#"));
}

Case make(const QString &option, const QString &value, const QStringList &present,
    const QStringList &absent = {})
{
    Case c;
    c.what = value.isEmpty() ? option : option + QLatin1Char(' ') + value;
    c.edits = edits(option, value);
    c.present = present;
    c.absent = absent;
    return c;
}

QString vicLine(int vic)
{
    return QStringLiteral("\\n\\s+VIC\\s+%1:").arg(vic);
}

bool lists(const CtaBlock &cta, int vic)
{
    for (const CtaShortVideo &v : cta.videos)
        if (v.vic == vic)
            return true;
    return cta.ycbcr420Only.contains(vic);
}

// Whether a format lies within the table's range limits, so that adding it does not make the
// table contradict itself.
bool withinRange(const EdidBaseBlock &b, const CtaVideoFormat &f)
{
    if (!b.hasRangeLimits)
        return true;
    const EdidRangeLimits &r = b.rangeLimits;
    const double hz = f.refreshMilliHz / 1000.0;
    const double khz = f.pixelClockKHz / double(f.width + f.h.blank());
    return hz >= r.minVHz - 1 && hz <= r.maxVHz + 1 && khz >= r.minHKHz - 1 && khz <= r.maxHKHz + 1
        && (r.maxPixelClockMHz == 0 || f.pixelClockKHz <= quint32(r.maxPixelClockMHz) * 1000);
}

// The data blocks of a kind edid-decode names with `heading`, which removing one takes away.
struct Removable
{
    const char *kind;
    const char *heading;
    // What edid-decode then says about the table, because the block is gone: the consequence
    // of what was asked for, not a fault of the edit.
    const char *consequence = nullptr;
};
const Removable kRemovable[] = {
    { "hdr-dynamic", "HDR Dynamic Metadata Data Block" },
    { "extended:1", "Vendor-Specific Video Data Block" },
    { "vendor:00001a", "Vendor-Specific Data Block \\(AMD\\)" },
    { "colorimetry", "Colorimetry Data Block" },
    { "ycbcr420-map", "YCbCr 4:2:0 Capability Map Data Block" },
    { "ycbcr420-video", "YCbCr 4:2:0 Video Data Block" },
    { "hdr-static", "HDR Static Metadata Data Block" },
    { "speakers", "Speaker Allocation Data Block" },
    { "video-capability", "Video Capability Data Block", "Missing VCDB" },
};

// edid-decode's names of the compressed formats a case removes.
QString audioHeading(int format)
{
    switch (format) {
    case 2:
        return QStringLiteral("AC-3:");
    case 7:
        return QStringLiteral("DTS:");
    case 10:
        return QStringLiteral("Enhanced AC-3 \\(DD\\+\\):");
    case 11:
        return QStringLiteral("DTS-HD:");
    case 12:
        return QStringLiteral("MAT \\(MLP\\):");
    default:
        return QString();
    }
}

void baseCases(const Table &t, QVector<Case> &cases)
{
    const EdidBaseBlock &b = t.decoded.base;
    Case name = make(QStringLiteral("--name"), QStringLiteral("ZELVARIN TEST"),
        { QStringLiteral("Display Product Name: 'ZELVARIN TEST'") });
    name.notApplicable = QStringLiteral("no name descriptor");
    cases << name;
    // The identity fields are bytes in place and cannot be refused: one table checks them all,
    // which keeps the batch for edid-decode small.
    const bool serialText = EdidBaseEdits::keepsSerialAsText(t.bytes);
    const int year = b.year == 2019 ? 2018 : 2019;
    Case identity = make(QStringLiteral("--serial"),
        serialText ? QStringLiteral("ZLV0001") : QStringLiteral("12345678"),
        { serialText ? QStringLiteral("Display Product Serial Number: 'ZLV0001'")
                     : QStringLiteral("Serial Number: 12345678"),
            QStringLiteral("Manufacturer: ZLV"), QStringLiteral("Model: 4660"),
            b.week == 0xFF ? QStringLiteral("Model year: %1").arg(year)
                           : QStringLiteral("Made in: week 10 of %1").arg(year) });
    QStringList more { QStringLiteral("--manufacturer ZLV"), QStringLiteral("--product 4660"),
        QStringLiteral("--year %1").arg(year) };
    if (b.week != 0xFF)
        more << QStringLiteral("--week 10");
    for (const QString &option : more) {
        identity.what += QLatin1Char(' ') + option;
        identity.edits
            += edits(option.section(QLatin1Char(' '), 0, 0), option.section(QLatin1Char(' '), 1));
    }
    cases << identity;

    // Detailed timings: the one edid-decode finds close to a VIC gets that VIC's timing; or
    // else a later one of the base block its own format's exact CTA timing.
    static const QRegularExpression similar(
        QStringLiteral("Detailed Timing Descriptor #(\\d+): DTD is similar but not identical to "
                       "VIC (\\d+)\\."));
    int dtd = 0, dtdVic = 0;
    const QRegularExpressionMatch m = similar.match(t.text);
    if (m.hasMatch()) {
        dtd = m.captured(1).toInt();
        dtdVic = m.captured(2).toInt();
    }
    for (int k = 1; k < b.detailedTimings.size() && dtd == 0; ++k) {
        const EdidDetailedTiming &timing = b.detailedTimings[k];
        for (int i = 0; i < CtaVideoFormats::count() && dtd == 0; ++i) {
            const CtaVideoFormat &f = CtaVideoFormats::all()[i];
            if (f.width == timing.hActive && f.height == timing.frameHeight()
                && f.interlaced == timing.interlaced && f.pixelClockKHz <= 655350
                && qAbs(f.refreshMilliHz / 1000.0 - timing.refreshHz()) < 0.1 && f.aspectH == 16
                && withinRange(b, f)) {
                dtd = k + 1;
                dtdVic = f.vic;
            }
        }
    }
    if (dtd) {
        const CtaVideoFormat &f = *CtaVideoFormats::find(dtdVic);
        cases << make(QStringLiteral("--dtd"), QStringLiteral("%1=%2").arg(dtd).arg(dtdVic),
            { QStringLiteral("DTD %1:\\s+%2x%3%4 .*\\n\\s+Hfront\\s+%5 Hsync\\s+%6 Hback\\s+%7 "
                             "Hpol %8")
                    .arg(dtd)
                    .arg(f.width)
                    .arg(f.height)
                    .arg(f.interlaced ? QStringLiteral("i") : QString())
                    .arg(f.h.front)
                    .arg(f.h.sync)
                    .arg(f.h.back)
                    .arg(f.h.positive ? QLatin1Char('P') : QLatin1Char('N')) },
            { QStringLiteral("DTD is similar but not identical to VIC %1").arg(dtdVic) });
    }
}

void videoCases(const Table &t, const CtaBlock &cta, QVector<Case> &cases)
{
    // A VIC leaves (one the 4:2:0 map marks, where there is one, to have the map follow), one
    // arrives, one moves, one becomes native.
    const QVector<CtaShortVideo> &v = cta.videos;
    if (v.isEmpty())
        return;
    int leaving = 0;
    for (int i = v.size() - 1; i > 0 && !leaving; --i)
        if (cta.ycbcr420Capable.contains(v[i].vic) && !v[i].native)
            leaving = v[i].vic;
    for (int i = v.size() - 1; i > 0 && !leaving; --i)
        if (v[i].vic != 1 && !v[i].native)
            leaving = v[i].vic;
    if (leaving)
        cases << make(
            QStringLiteral("--remove-vic"), QString::number(leaving), {}, { vicLine(leaving) });
    for (int vic : { 16, 4, 31, 19, 3, 18, 2, 17 }) {
        if (lists(cta, vic) || !withinRange(t.decoded.base, *CtaVideoFormats::find(vic)))
            continue;
        Case add = make(QStringLiteral("--add-vic"), QString::number(vic), { vicLine(vic) });
        add.notApplicable = QStringLiteral("has no room");
        cases << add;
        break;
    }
    if (v.size() >= 3) {
        // Second among the descriptors as stored; a reserved code edid-decode does not show
        // may come first.
        Case move = make(QStringLiteral("--move-vic"), QStringLiteral("%1:2").arg(v.last().vic),
            { QStringLiteral("Video Data Block:\\n(.*\\n)?\\s+VIC\\s+%1:").arg(v.last().vic) });
        move.notApplicable = QStringLiteral("has no room");
        cases << move;
    }
    // The native mark leaves a VIC, or goes to the VIC of the screen's own format (the first
    // detailed timing's) where no detailed timing is native yet.
    // (Not where several detailed timings are native as well: edid-decode then reports a mix
    // of native resolutions, and once the VIC's mark is gone, the several native timings that
    // the mix hid.)
    for (const CtaShortVideo &s : v) {
        if (s.native && cta.nativeTimings <= 1) {
            cases << make(QStringLiteral("--clear-native"), QString::number(s.vic), {},
                { QStringLiteral("VIC\\s+%1:.*\\(native\\)").arg(s.vic) });
            break;
        }
    }
    const QVector<EdidDetailedTiming> &dtds = t.decoded.base.detailedTimings;
    for (const CtaShortVideo &s : v) {
        const CtaVideoFormat *f = CtaVideoFormats::find(s.vic);
        if (!f || s.native || s.vic > 64 || dtds.isEmpty() || cta.nativeTimings > 0
            || f->width != dtds[0].hActive || f->height != dtds[0].frameHeight()
            || f->interlaced != dtds[0].interlaced
            || qAbs(f->refreshMilliHz / 1000.0 - dtds[0].refreshHz()) > 0.1)
            continue;
        cases << make(QStringLiteral("--native"), QString::number(s.vic),
            { QStringLiteral("VIC\\s+%1:.*\\(native\\)").arg(s.vic) });
        break;
    }
}

void audioCases(const CtaBlock &cta, QVector<Case> &cases)
{
    // A table without basic audio says the screen takes no sound: audio added to it would
    // contradict that (edid-decode says so), which is the user's business, not a test's.
    if (!cta.basicAudio)
        return;
    QVector<int> formats;
    for (const CtaShortAudio &a : cta.audios)
        formats << a.format;
    for (int format : formats) {
        if (!audioHeading(format).isEmpty()) {
            cases << make(QStringLiteral("--remove-audio"), EdidEditWords::audioFormatWord(format),
                {}, { QStringLiteral("\\n    ") + audioHeading(format) + QLatin1Char('\n') });
            break;
        }
    }
    Case stereo = make(QStringLiteral("--remove-audio"), QStringLiteral("all"),
        { QStringLiteral("Audio Data Block:\\n    Linear PCM:\\n      Max channels: 2\\n      "
                         "Supported sample rates \\(kHz\\): 48 44.1 32\\n      Supported sample "
                         "sizes \\(bits\\): 24 20 16\\n  \\S"),
            QStringLiteral(
                "Speaker Allocation Data Block:\\n    FL/FR - Front Left/Right\\n  \\S") });
    stereo.what += QStringLiteral(" --add-audio lpcm:2:32,44.1,48 --speakers FL/FR");
    stereo.edits += edits(QStringLiteral("--add-audio"), QStringLiteral("lpcm:2:32,44.1,48"));
    stereo.edits += edits(QStringLiteral("--speakers"), QStringLiteral("FL/FR"));
    stereo.notApplicable = QStringLiteral("has no room");
    if (!formats.isEmpty())
        cases << stereo;
    const bool ac3 = formats.contains(2);
    Case add = ac3 ? make(QStringLiteral("--add-audio"), QStringLiteral("dts:6:48:1536"),
                   { QStringLiteral("DTS:\\n      Max channels: 6\\n      Supported sample "
                                    "rates \\(kHz\\): 48\\n      Maximum bit rate: 1536") })
                   : make(QStringLiteral("--add-audio"), QStringLiteral("ac3:6:32,44.1,48:640"),
                       { QStringLiteral("AC-3:\\n      Max channels: 6\\n      Supported "
                                        "sample rates \\(kHz\\): 48 44.1 32\\n      Maximum "
                                        "bit rate: 640 kb/s") });
    add.notApplicable = QStringLiteral("has no room|already lists");
    cases << add;
    Case speakers = make(QStringLiteral("--speakers"), QStringLiteral("FL/FR,LFE1,FC"),
        { QStringLiteral("Speaker Allocation Data Block:\\n    FL/FR - Front Left/Right\\n    "
                         "LFE1 - Low Frequency Effects 1\\n    FC - Front Center\\n  \\S") });
    speakers.notApplicable = QStringLiteral("has no room");
    cases << speakers;
}

void featureCases(const Table &t, const CtaBlock &cta, QVector<Case> &cases)
{
    Case eotf = make(QStringLiteral("--hdr-eotf"), QStringLiteral("sdr,pq"),
        { QStringLiteral("HDR Static Metadata Data Block:\\n    Electro optical transfer "
                         "functions:\\n      Traditional gamma - SDR luminance range\\n      "
                         "SMPTE ST2084\\n    Supported") });
    eotf.notApplicable = QStringLiteral("has no room");
    cases << eotf;
    Case luminance
        = make(QStringLiteral("--hdr-luminance"), QStringLiteral("max=1000,avg=400,min=0.05"),
            { QStringLiteral("Desired content max luminance: 138 \\("),
                QStringLiteral("Desired content max frame-average luminance: 96 \\("),
                QStringLiteral("Desired content min luminance: 18 \\(") });
    if (!cta.hasHdrStatic) {
        luminance.what.prepend(QStringLiteral("--hdr-eotf sdr,pq,hlg "));
        luminance.edits.prepend(edit(QStringLiteral("--hdr-eotf"), QStringLiteral("sdr,pq,hlg")));
    }
    luminance.notApplicable = QStringLiteral("has no room");
    cases << luminance;
    Case colorimetry = make(QStringLiteral("--colorimetry"), QStringLiteral("bt2020ycc,bt2020rgb"),
        { QStringLiteral("Colorimetry Data Block:\\n    BT2020YCC\\n    BT2020RGB\\n") });
    colorimetry.notApplicable = QStringLiteral("has no room");
    cases << colorimetry;
    // YCbCr support switched off, or on where the other YCbCr format already is (a table
    // without any YCbCr has no say on its quantisation, which edid-decode would then ask for).
    if (cta.ycbcr444)
        cases << make(QStringLiteral("--ycbcr444"), QStringLiteral("off"), {},
            { QStringLiteral("Supports YCbCr 4:4:4") });
    else if (cta.ycbcr422)
        cases << make(QStringLiteral("--ycbcr444"), QStringLiteral("on"),
            { QStringLiteral("Supports YCbCr 4:4:4") });
    if (cta.ycbcr422)
        cases << make(QStringLiteral("--ycbcr422"), QStringLiteral("off"), {},
            { QStringLiteral("Supports YCbCr 4:2:2") });
    else if (cta.ycbcr444)
        cases << make(QStringLiteral("--ycbcr422"), QStringLiteral("on"),
            { QStringLiteral("Supports YCbCr 4:2:2") });
    if (cta.hasHdmi) {
        cases << make(QStringLiteral("--physical-address"), QStringLiteral("2.1.0.0"),
            { QStringLiteral("Source physical address: 2.1.0.0") });
        Case tmds = make(QStringLiteral("--max-tmds"), QStringLiteral("300"),
            { cta.hdmi.maxTmdsMHz > 300 ? QStringLiteral("Maximum TMDS clock: 300 MHz")
                                        : QString() },
            { QStringLiteral("Maximum TMDS Character Rate") });
        tmds.notApplicable = QStringLiteral("has no room");
        cases << tmds;
    }
    if (cta.hasHdmiForum) {
        if (cta.hdmiForum.maxTmdsCharacterRateMHz > 450)
            cases << make(QStringLiteral("--max-tmds"), QStringLiteral("450"),
                { QStringLiteral("Maximum TMDS Character Rate: 450 MHz") });
        cases << make(QStringLiteral("--remove-hdmi-forum"), QString(), {},
            { QStringLiteral("Data Block \\(HDMI Forum\\)|HDMI Forum Sink Capability") });
    }
    EdidLayout layout;
    EdidLayout::parse(t.bytes, layout, nullptr);
    for (const Removable &r : kRemovable) {
        CtaBlockSelector s;
        CtaBlockSelector::fromName(QLatin1String(r.kind), s);
        bool present = false;
        for (const EdidLayoutBlock &b : layout.blocks)
            for (const QByteArray &d : b.cta.dataBlocks)
                present = present || s.matches(d);
        if (!present)
            continue;
        Case remove = make(QStringLiteral("--remove-block"), QLatin1String(r.kind), {},
            { QLatin1String(r.heading) });
        if (r.consequence)
            remove.consequence = QLatin1String(r.consequence);
        cases << remove;
    }
}

} // namespace

Reading reading(const QString &text)
{
    Reading r;
    const QStringList lines = text.split(QLatin1Char('\n'));
    int i = 0;
    for (; i < lines.size(); ++i) {
        const QString &l = lines[i];
        if (l == QLatin1String("Warnings:") || l == QLatin1String("Failures:")
            || l.startsWith(QLatin1String("EDID conformity")))
            break;
        r.body += l + QLatin1Char('\n');
    }
    QString heading, parent;
    for (; i < lines.size(); ++i) {
        const QString &l = lines[i];
        if (l.isEmpty() || l == QLatin1String("Warnings:") || l == QLatin1String("Failures:")
            || l.startsWith(QLatin1String("EDID conformity")))
            continue;
        if (!l.startsWith(QLatin1Char(' '))) {
            heading = l;
        } else if (l.startsWith(QLatin1String("    "))) {
            ++r.complaints[complaintKey(heading + QStringLiteral(" / ") + parent
                + QStringLiteral(" / ") + l.trimmed().section(QLatin1Char(':'), 0, 0))];
        } else {
            parent = l.trimmed();
            ++r.complaints[complaintKey(heading + QStringLiteral(" / ") + parent)];
        }
    }
    return r;
}

// The edits tried on each table, each where it applies.
QVector<Case> casesFor(const Table &t)
{
    QVector<Case> cases;
    baseCases(t, cases);
    if (t.decoded.cta.isEmpty())
        return cases;
    const CtaBlock &cta = t.decoded.cta.first();
    videoCases(t, cta, cases);
    audioCases(cta, cases);
    featureCases(t, cta, cases);
    // An empty pattern asks for nothing.
    for (Case &c : cases)
        c.present.removeAll(QString());
    return cases;
}

} // namespace OracleCases
