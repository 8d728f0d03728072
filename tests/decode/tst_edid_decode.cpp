// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The EDID decoder against edid-decode's reading of 250 real tables (golden files made once by
// make_golden.py, with the accepted differences beside them as data), the words and JSON it
// prints for each table against golden files of our own, and its behaviour on damaged input.
#include "edid/CtaBits.h"
#include "edid/CtaVideoFormats.h"
#include "edid/EdidChecksum.h"
#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QTest>

namespace {

using TestFiles::readFile;

const QString kData = QStringLiteral(ZELVARIN_TEST_DATA);
// Set (to anything) to write the golden files of our own output instead of comparing them.
const char kWriteDescribed[] = "ZELVARIN_WRITE_DESCRIBED";

QStringList tables()
{
    QStringList all;
    for (const QString &folder : { QStringLiteral("edid"), QStringLiteral("edid-corpus") }) {
        const QDir dir(kData + QLatin1Char('/') + folder);
        for (const QString &name : dir.entryList({ QStringLiteral("*.bin") }, QDir::Files))
            all << folder + QLatin1Char('/') + name.chopped(4);
    }
    return all;
}

using Fields = QMap<QString, QStringList>; // key -> values in the order found

void add(Fields &fields, const QString &line)
{
    const int space = int(line.indexOf(QLatin1Char(' ')));
    fields[space < 0 ? line : line.left(space)] << (space < 0 ? QString() : line.mid(space + 1));
}

template <typename Flags, std::size_t N>
QStringList setNames(const Flags &flags, const CtaFlagBit<Flags> (&table)[N])
{
    QStringList names;
    for (const CtaFlagBit<Flags> &b : table)
        if (flags.*b.field)
            names << QLatin1String(b.name);
    return names;
}

QString latencyValue(quint8 code)
{
    const int ms = CtaHdmiVsdb::latencyMs(code);
    return ms >= 0 ? QString::number(ms) : code == 0 ? QStringLiteral("unknown") : "none";
}

void hdmiFields(const CtaHdmiVsdb &h, Fields &f)
{
    add(f,
        QStringLiteral("physical-address ")
            + EdidDescriber::physicalAddressText(h.physicalAddress));
    const std::pair<bool, const char *> content[4] = { { h.cncGraphics, "graphics" },
        { h.cncPhoto, "photo" }, { h.cncCinema, "cinema" }, { h.cncGame, "game" } };
    for (const auto &[on, name] : content)
        if (on)
            add(f, QStringLiteral("content-type ") + QLatin1String(name));
    if (h.hasLatency) {
        add(f, QStringLiteral("latency video ") + latencyValue(h.videoLatency));
        add(f, QStringLiteral("latency audio ") + latencyValue(h.audioLatency));
    }
    if (h.hasInterlacedLatency) {
        add(f,
            QStringLiteral("latency interlaced-video ") + latencyValue(h.interlacedVideoLatency));
        add(f,
            QStringLiteral("latency interlaced-audio ") + latencyValue(h.interlacedAudioLatency));
    }
    for (int v : h.hdmiVics)
        add(f, QStringLiteral("hdmi-vic %1").arg(v));
    const char *const sizes[4] = { nullptr, "aspect", "1cm", "5cm" };
    if (h.imageSize)
        add(f, QStringLiteral("image-size ") + QLatin1String(sizes[h.imageSize]));
    if (h.present3d)
        add(f, QStringLiteral("3d-mandatory"));
    if (h.multi3d == 1)
        add(f, QStringLiteral("3d-all-vics"));
    // edid-decode lists them from the highest bit down.
    QStringList structures = setNames(h.structures3d, CtaBits::structures3d);
    std::reverse(structures.begin(), structures.end());
    for (const QString &s : structures)
        add(f, QStringLiteral("3d-structure ") + s);
    for (int vic : h.maskVics3d)
        add(f, QStringLiteral("3d-mask-vic %1").arg(vic));
    for (const Cta3dVic &v : h.vics3d)
        for (const CtaFlagBit<Cta3dStructures> &b : CtaBits::structures3d)
            if (b.bit == v.structure)
                add(f, QStringLiteral("3d-vic %1 %2").arg(v.vic).arg(QLatin1String(b.name)));
}

void forumFields(const CtaHdmiForum &h, Fields &f)
{
    if (h.maxTmdsCharacterRateMHz)
        add(f, QStringLiteral("hf-max-tmds %1").arg(h.maxTmdsCharacterRateMHz));
    if (h.allm)
        add(f, QStringLiteral("allm"));
    if (h.vrrMinHz)
        add(f, QStringLiteral("vrr-min %1").arg(h.vrrMinHz));
    if (h.vrrMaxHz)
        add(f, QStringLiteral("vrr-max %1").arg(h.vrrMaxHz));
    if (h.dscNative420)
        add(f, QStringLiteral("dsc-native-420"));
    if (h.dscAllBpp)
        add(f, QStringLiteral("dsc-all-bpp"));
    // edid-decode lists them from 16 down.
    for (const auto &[on, bits] : { std::pair { h.dsc16bpc, 16 }, std::pair { h.dsc12bpc, 12 },
             std::pair { h.dsc10bpc, 10 } })
        if (on)
            add(f, QStringLiteral("dsc-bpc %1").arg(bits));
    const int slices[8] = { 0, 1, 2, 4, 8, 8, 12, 16 };
    if (h.dscMaxSlices >= 1 && h.dscMaxSlices <= 7)
        add(f,
            QStringLiteral("dsc-max-slices %1 %2")
                .arg(slices[h.dscMaxSlices])
                .arg(h.dscMaxSlices <= 4 ? 340 : 400));
    if (h.dscTotalChunkKBytes)
        add(f, QStringLiteral("dsc-chunk-bytes %1").arg((h.dscTotalChunkKBytes + 1) * 1024));
}

void hdrFields(const CtaHdrStatic &h, Fields &f)
{
    const char *const eotfs[4] = { "SDR", "HDR", "PQ", "HLG" };
    for (int i = 0; i < 4; ++i)
        if (CtaBits::bits(h.eotfs, CtaBits::eotfs) >> i & 1)
            add(f, QStringLiteral("eotf ") + QLatin1String(eotfs[i]));
    for (int bit = 0; bit < 8; ++bit)
        if (bit == 0 ? h.staticMetadataType1 : h.reservedDescriptors >> bit & 1)
            add(f, QStringLiteral("hdr-static-type %1").arg(bit + 1));
    if (h.hasMax)
        add(f, QStringLiteral("luminance max %1").arg(h.maxCdm2, 0, 'f', 3));
    if (h.hasAverage)
        add(f, QStringLiteral("luminance average %1").arg(h.averageCdm2, 0, 'f', 3));
    if (h.hasMin)
        add(f, QStringLiteral("luminance min %1").arg(h.minCdm2, 0, 'f', 3));
}

// The decoder's reading in the golden files' terms.
Fields decoderFields(const EdidDecoded &e)
{
    Fields f;
    add(f, QStringLiteral("manufacturer ") + e.base.manufacturer);
    add(f, QStringLiteral("product %1").arg(e.base.productCode));
    QStringList vics, speakers, colorimetry;
    QVector<EdidDetailedTiming> timings = e.base.detailedTimings;
    for (const CtaBlock &cta : e.cta) {
        for (const CtaShortVideo &v : cta.videos)
            vics << QString::number(v.vic);
        timings += cta.detailedTimings;
        if (cta.hasSpeakers)
            speakers += setNames(cta.speakers, CtaBits::speakers);
        if (cta.hasColorimetry)
            colorimetry += setNames(cta.colorimetry, CtaBits::colorimetry);
        if (cta.hasHdmi)
            hdmiFields(cta.hdmi, f);
        if (cta.hasHdmiForum)
            forumFields(cta.hdmiForum, f);
        if (cta.hasHdrStatic)
            hdrFields(cta.hdrStatic, f);
        for (const CtaHdrDynamicType &t : cta.hdrDynamic)
            add(f,
                QStringLiteral("hdr-dynamic %1").arg(t.type)
                    + (t.hasVersion ? QStringLiteral(" %1").arg(t.version) : QString()));
    }
    for (const DisplayIdBlock &d : e.displayId) {
        add(f,
            QStringLiteral("displayid %1 %2.%3").arg(d.blockIndex).arg(d.version).arg(d.revision));
        add(f, QStringLiteral("displayid-product %1 %2").arg(d.blockIndex).arg(d.productType));
        for (const DisplayIdTiming &t : d.timings)
            add(f,
                QStringLiteral("displayid-timing ")
                    + EdidDescriber::timingText(t.timing).chopped(3));
    }
    if (!vics.isEmpty())
        add(f, QStringLiteral("vics ") + vics.join(QLatin1Char(' ')));
    if (!speakers.isEmpty())
        add(f, QStringLiteral("speakers ") + speakers.join(QLatin1Char(' ')));
    if (!colorimetry.isEmpty())
        add(f, QStringLiteral("colorimetry ") + colorimetry.join(QLatin1Char(' ')));
    for (const EdidDetailedTiming &t : timings)
        add(f, QStringLiteral("timing ") + EdidDescriber::timingText(t).chopped(3));
    for (const EdidBlockState &b : e.blocks)
        add(f, QStringLiteral("checksum %1 %2").arg(b.index).arg(b.checksumOk() ? "good" : "bad"));
    return f;
}

// What edid-decode reads, with the differences the table's .accepted file explains: "#" lines
// say why, a "-" line is a reading of edid-decode's the decoder does not share and the "+" line
// after it the decoder's in its place. A "-" line the golden file does not have is an error:
// the explanation has gone stale.
Fields expectedFields(const QString &table, QString *stale)
{
    QStringList lines = QString::fromUtf8(readFile(kData + "/golden/" + table + ".txt"))
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString accepted = QString::fromUtf8(readFile(kData + "/golden/" + table + ".accepted"));
    qsizetype at = -1;
    for (const QString &line : accepted.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("- "))) {
            at = lines.indexOf(line.mid(2));
            if (at < 0)
                *stale += line + QLatin1Char('\n');
            else
                lines.removeAt(at);
        } else if (line.startsWith(QLatin1String("+ "))) {
            lines.insert(at < 0 ? lines.size() : at++, line.mid(2));
        }
    }
    Fields f;
    for (const QString &line : lines)
        add(f, line);
    return f;
}

QByteArray withChecksums(QByteArray table)
{
    for (int b = 0; b + 128 <= table.size(); b += 128)
        table[b + 127]
            = char(edidChecksum(reinterpret_cast<const quint8 *>(table.constData()) + b));
    return table;
}

bool hasWarning(const EdidDecoded &e, DecodeWarning::Kind kind)
{
    for (const DecodeWarning &w : e.warnings)
        if (w.kind == kind)
            return true;
    return false;
}

// The first line where two texts part, for a failure message that shows the difference.
QString firstDifference(const QByteArray &expected, const QByteArray &actual)
{
    const QList<QByteArray> a = expected.split('\n'), b = actual.split('\n');
    for (int i = 0; i < qMax(a.size(), b.size()); ++i)
        if (a.value(i) != b.value(i))
            return QStringLiteral("line %1:\n  golden: %2\n  now:    %3")
                .arg(i + 1)
                .arg(QString::fromUtf8(a.value(i).left(300)),
                    QString::fromUtf8(b.value(i).left(300)));
    return {};
}

} // namespace

class TestEdidDecode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchesReference_data()
    {
        QTest::addColumn<QString>("table");
        for (const QString &t : tables())
            QTest::newRow(qPrintable(t)) << t;
    }
    void matchesReference()
    {
        QFETCH(QString, table);
        const QByteArray bytes = readFile(kData + QLatin1Char('/') + table + ".bin");
        QVERIFY(!bytes.isEmpty());
        QString stale;
        const Fields expected = expectedFields(table, &stale);
        QVERIFY2(
            stale.isEmpty(), qPrintable("accepted differences not in the golden file:\n" + stale));
        QVERIFY(!expected.isEmpty());
        const Fields actual = decoderFields(EdidDecoder::decode(bytes));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(actual.value(it.key()), it.value());
        for (auto it = actual.cbegin(); it != actual.cend(); ++it)
            QVERIFY2(expected.contains(it.key()), qPrintable(it.key()));
    }

    // What we print for each table, lines and JSON, against golden files of our own: any change
    // in the words or the keys shows here. After a change meant to be made, write them again
    // with ZELVARIN_WRITE_DESCRIBED=1 and look at the difference in git.
    void describedAsBefore_data() { matchesReference_data(); }
    void describedAsBefore()
    {
        QFETCH(QString, table);
        const EdidDecoded e = EdidDecoder::decode(readFile(kData + '/' + table + ".bin"));
        const QByteArray lines = EdidDescriber::lines(e).join(QLatin1Char('\n')).toUtf8() + '\n';
        const QByteArray json = EdidDescriber::jsonText(e) + '\n';
        const QString base = kData + "/golden/described/" + table;
        if (qEnvironmentVariableIsSet(kWriteDescribed)) {
            QDir().mkpath(QFileInfo(base).path());
            for (const auto &[suffix, text] :
                { std::pair { ".txt", lines }, std::pair { ".json", json } }) {
                QFile f(base + QLatin1String(suffix));
                QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                f.write(text);
            }
            return;
        }
        const QByteArray goldenLines = readFile(base + ".txt");
        const QByteArray goldenJson = readFile(base + ".json");
        QVERIFY2(goldenLines == lines, qPrintable(firstDifference(goldenLines, lines)));
        QVERIFY2(goldenJson == json, qPrintable(firstDifference(goldenJson, json)));
    }

    // The JSON and the lines come from one walk: every number a line shows is in the object too.
    void jsonHasWhatTheLinesSay()
    {
        const EdidDecoded e = EdidDecoder::decode(
            readFile(kData + QStringLiteral("/edid/monitor-384-displayid.bin")));
        const QString text = EdidDescriber::lines(e).join(QLatin1Char('\n'));
        for (const char *expected :
            { "Manufacturer: ACR, product code 2637", "Auto low-latency mode", "VRR minimum: 48 Hz",
                "DSC 1.2: max FRL 6 Gbit/s on 4 lanes, up to 4 slices",
                "DSC pixel clock per slice: up to 340 MHz", "DSC line of chunks: up to 13312 bytes",
                "HDMI VICs: 1 (3840x2160p 30 Hz 16:9)", "Block 2: DisplayID extension, version 1.2",
                "Detailed timing: 3840x2160 144.000 Hz, 1290.97 MHz, blanking 80/127" })
            QVERIFY2(text.contains(QLatin1String(expected)), expected);
        const QJsonObject json = EdidDescriber::json(e);
        const QJsonObject forum = json["cta"][0]["hdmi_forum"].toObject();
        QCOMPARE(forum["allm"].toBool(), true);
        QCOMPARE(forum["vrr_min_hz"].toInt(), 48);
        QCOMPARE(forum["vrr_max_hz"].toInt(), 144);
        QCOMPARE(forum["dsc"]["max_slices"].toInt(), 4);
        QCOMPARE(forum["dsc"]["slice_clock_mhz"].toInt(), 340);
        QCOMPARE(forum["dsc"]["chunk_bytes"].toInt(), 13312);
        QCOMPARE(json["cta"][0]["hdmi"]["physical_address"].toString(), QStringLiteral("2.0.0.0"));
        QCOMPARE(json["cta"][0]["hdmi"]["hdmi_vics"].toVariant(), QVariant(QVariantList { 1, 2 }));
        const QJsonObject displayId = json["displayid"][0].toObject();
        QCOMPARE(displayId["version"].toString(), QStringLiteral("1.2"));
        QCOMPARE(displayId["timings"][0]["pixel_clock_khz"].toInt(), 1290970);
        QCOMPARE(displayId["timings"].toArray().size(), 4);
    }

    // Every flag table names each field once, at a bit of its own, and reading a value through
    // it and writing it back gives the same bits.
    void flagTablesRoundTrip()
    {
        const auto check = [](const auto &table, quint32 mask) {
            quint32 seen = 0;
            for (const auto &b : table) {
                QVERIFY2(!(seen >> b.bit & 1), b.name);
                seen |= 1u << b.bit;
            }
            QCOMPARE(seen, mask);
        };
        check(CtaBits::speakers, 0x1FFFFF);
        check(CtaBits::eotfs, 0x0F);
        check(CtaBits::colorimetry, 0xFFFF);
        check(CtaBits::structures3d, 0x817F);
        for (quint32 value : { 0x000000u, 0x1FFFFFu, 0x155555u, 0x0AAAAAu }) {
            CtaSpeakers s;
            CtaBits::read(s, value, CtaBits::speakers);
            QCOMPARE(CtaBits::bits(s, CtaBits::speakers), value);
        }
        CtaColorimetry c;
        CtaBits::read(c, 0x3081, CtaBits::colorimetry);
        QVERIFY(c.xvYcc601 && c.bt2020Rgb && c.defaultRgb && c.sRgb && !c.dciP3);
        QCOMPARE(CtaBits::bits(c, CtaBits::colorimetry), 0x3081u);
    }

    // The writer's text reads back as what was written, in both styles: quotes, backslashes,
    // control characters and letters beyond ASCII in keys' values, empty and nested containers.
    void jsonWriterReadsBack()
    {
        const QString tricky = QStringLiteral("a\"b\\c\x01\n\t d\u00e9\u20ac");
        for (const JsonWriter::Style style : { JsonWriter::Compact, JsonWriter::Indented }) {
            JsonWriter w(style);
            w.beginObject();
            w.value("text", tricky);
            w.value("latin1", QLatin1String("caf\xe9 \"x\""));
            w.value("number", qint64(-9007199254740991LL));
            w.value("fraction", 0.1);
            w.value("nan", qQNaN());
            w.beginArray("empty");
            w.endArray();
            w.beginArray("nested");
            w.beginObject();
            w.value("on", true);
            w.endObject();
            w.element(7);
            w.element(QLatin1String("seven"));
            w.endArray();
            w.beginObject("none");
            w.endObject();
            w.endObject();
            QJsonParseError error;
            const QJsonObject o = QJsonDocument::fromJson(w.text(), &error).object();
            QCOMPARE(error.error, QJsonParseError::NoError);
            QCOMPARE(o["text"].toString(), tricky);
            QCOMPARE(o["latin1"].toString(), QStringLiteral("caf\u00e9 \"x\""));
            QCOMPARE(o["number"].toInteger(), -9007199254740991LL);
            QCOMPARE(o["fraction"].toDouble(), 0.1);
            QVERIFY(o["nan"].isNull());
            QVERIFY(o["empty"].toArray().isEmpty());
            QCOMPARE(o["nested"][0]["on"].toBool(), true);
            QCOMPARE(o["nested"][1].toInt(), 7);
            QCOMPARE(o["nested"][2].toString(), QStringLiteral("seven"));
            QVERIFY(o["none"].toObject().isEmpty());
            QCOMPARE(w.text().contains('\n'), style == JsonWriter::Indented);
        }
    }

    void vicNames_data()
    {
        QTest::addColumn<int>("vic");
        QTest::addColumn<QString>("name");
        QTest::newRow("1") << 1 << "640x480p 59.94 Hz 4:3";
        QTest::newRow("5") << 5 << "1920x1080i 60 Hz 16:9";
        QTest::newRow("16") << 16 << "1920x1080p 60 Hz 16:9";
        QTest::newRow("97") << 97 << "3840x2160p 60 Hz 16:9";
        QTest::newRow("102") << 102 << "4096x2160p 60 Hz 256:135";
        QTest::newRow("128 reserved") << 128 << "reserved VIC 128";
        QTest::newRow("219") << 219 << "4096x2160p 120 Hz 256:135";
        QTest::newRow("220 reserved") << 220 << "reserved VIC 220";
    }
    void vicNames()
    {
        QFETCH(int, vic);
        QFETCH(QString, name);
        QCOMPARE(CtaVideoFormats::name(vic), name);
    }

    // Damaged input decodes as far as it goes and says what is wrong.
    void damagedInput_data()
    {
        const QByteArray good = readFile(kData + QStringLiteral("/edid/tv-hdr-600mhz.bin"));
        const QByteArray displayId
            = readFile(kData + QStringLiteral("/edid/monitor-384-displayid.bin"));
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("warning");
        QTest::addColumn<QString>("manufacturer");
        QTest::newRow("empty") << QByteArray() << int(DecodeWarning::TruncatedInput) << "???";
        QTest::newRow("half a block")
            << good.left(64) << int(DecodeWarning::TruncatedInput) << "SNY";
        QTest::newRow("odd size") << good.left(200) << int(DecodeWarning::OddSize) << "SNY";
        QTest::newRow("one block of two")
            << good.left(128) << int(DecodeWarning::ExtensionCountMismatch) << "SNY";
        QByteArray header = good;
        header[3] = 0;
        QTest::newRow("bad header")
            << withChecksums(header) << int(DecodeWarning::BadHeader) << "SNY";
        QByteArray sum = good;
        sum[255] = char(sum[255] ^ 1);
        QTest::newRow("bad checksum") << sum << int(DecodeWarning::BadChecksum) << "SNY";
        QByteArray offset = good;
        offset[130] = char(200); // detailed timings said to start past the block
        QTest::newRow("dtd offset past block")
            << withChecksums(offset) << int(DecodeWarning::LengthPastBlock) << "SNY";
        QByteArray longBlock = good;
        longBlock[130] = char(6);
        longBlock[4 + 128] = char(0x5F); // a 31-byte block in a space of 2
        QTest::newRow("data block past offset")
            << withChecksums(longBlock) << int(DecodeWarning::LengthPastBlock) << "SNY";
        QTest::newRow("too large") << QByteArray(128 * (EdidDecoder::MAX_BLOCKS + 1), '\0')
                                   << int(DecodeWarning::TooLarge) << "???";
        QByteArray section = displayId;
        section[256 + 2] = char(0x7F); // a DisplayID section longer than its block
        QTest::newRow("displayid section past block")
            << withChecksums(section) << int(DecodeWarning::LengthPastBlock) << "ACR";
        QByteArray sectionSum = displayId;
        sectionSum[256 + 10] = char(sectionSum[256 + 10] ^ 0x10); // inside the section
        QTest::newRow("displayid section checksum")
            << withChecksums(sectionSum) << int(DecodeWarning::BadChecksum) << "ACR";
        QByteArray timings = displayId;
        timings[256 + 7] = char(0x7F); // a timing block longer than the section
        QTest::newRow("displayid data block past section")
            << withChecksums(timings) << int(DecodeWarning::LengthPastBlock) << "ACR";
    }
    void damagedInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, warning);
        QFETCH(QString, manufacturer);
        const EdidDecoded e = EdidDecoder::decode(bytes);
        QVERIFY(hasWarning(e, DecodeWarning::Kind(warning)));
        QCOMPARE(e.base.manufacturer, manufacturer);
        QVERIFY(!EdidDescriber::lines(e).filter(QStringLiteral("Warning: ")).isEmpty());
        // Whatever the damage, the JSON is whole.
        QJsonParseError error;
        QJsonDocument::fromJson(EdidDescriber::jsonText(e), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
    }
};

QTEST_GUILESS_MAIN(TestEdidDecode)
#include "tst_edid_decode.moc"
