// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The EDID editor on real and made-up tables: the layout gives back every table byte for byte,
// refused edits leave no trace, and the blocks that refer to VICs by position follow them.
#include "edid/CtaVideoFormats.h"
#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"
#include "edid/EdidEditParser.h"
#include "edid/EdidEditor.h"
#include "edid/EdidLayout.h"
#include "tests/edid_edit/EditTables.h"
#include "tests/support/TestFiles.h"

#include <QFileInfo>
#include <QTest>

using namespace EditTables;

namespace {

QVector<int> capable420(const QByteArray &table)
{
    const EdidDecoded d = EdidDecoder::decode(table);
    return d.cta.isEmpty() ? QVector<int>() : d.cta.first().ycbcr420Capable;
}

QVector<int> vics(const QByteArray &table)
{
    QVector<int> list;
    for (const CtaBlock &cta : EdidDecoder::decode(table).cta)
        for (const CtaShortVideo &v : cta.videos)
            list << (v.native ? -v.vic : v.vic);
    return list;
}

// Applies edits in order; the first refusal fails the test.
bool applyAll(QByteArray &table, const QVector<EdidEdit> &list)
{
    for (const EdidEdit &e : list) {
        const EdidEditResult r = EdidEditor::apply(table, e);
        if (!r.ok) {
            qWarning(
                "%s refused: %s", qPrintable(EdidEditParser::optionText(e)), qPrintable(r.message));
            return false;
        }
        if (!checksumsGood(table, r.touchedBlocks))
            return false;
    }
    return true;
}

// The HDMI block with 3D fields: 3D present, structures for all and a mask (VICs at 0, 2, 4),
// then frame packing for the VIC at 3 and side-by-side (with its detail byte) for the one at 5.
const QString kHdmi3d = QStringLiteral("71030c0010000000 20 c0 07 0001 0015 30 5810");
const QString kSixVics = QStringLiteral("461004131f0514"); // 16 4 19 31 5 20

} // namespace

class TestEdidEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTableComesBackByteForByte();
    void timingsMoveWithTheDataBlocks();
    void refusalsLeaveTheTableAsItWas_data();
    void refusalsLeaveTheTableAsItWas();
    void fourTwoZeroMapFollowsTheVics_data();
    void fourTwoZeroMapFollowsTheVics();
    void hdmi3dFieldsFollowTheVics();
    void hdmiVicsLeaveWithTheirFormats();
    void nativeIsOneFormat();
    void detailedTimingFromAVic_data();
    void detailedTimingFromAVic();
    void baseBlockFields();
    void limitsKeepWhatTheyDoNotName();
    void optionsReadBackAsWritten();
    void optionsThatDoNotParse();
};

void TestEdidEdit::everyTableComesBackByteForByte()
{
    const QStringList files = allFiles();
    QVERIFY(files.size() >= 250);
    int ctaBlocks = 0;
    QStringList notLaidOut;
    for (const QString &file : files) {
        const QByteArray table = TestFiles::readFile(file);
        QByteArray out;
        QString why;
        QVERIFY2(EdidEditor::roundTrip(table, out, &why), qPrintable(file + ": " + why));
        QVERIFY2(out == table, qPrintable(file));
        EdidLayout layout;
        QVERIFY(EdidLayout::parse(table, layout, nullptr));
        for (const EdidLayoutBlock &b : layout.blocks) {
            ctaBlocks += b.kind == EdidLayoutBlock::Cta;
            // Every CTA block of these real tables can be taken apart.
            if (!b.whyNotCta.isEmpty())
                notLaidOut << QFileInfo(file).fileName() + QStringLiteral(": ") + b.whyNotCta;
        }
    }
    QVERIFY(ctaBlocks >= 240);
    // One real table has a data block whose length runs into its detailed timings, another a
    // CTA block of the first revision, which has none: the editor keeps those blocks as they are
    // and refuses to change them.
    QCOMPARE(notLaidOut,
        QStringList({ QStringLiteral("RTK1560-B31D6850.bin: its data block at byte 45 runs into "
                                     "the detailed timings at 53"),
            QStringLiteral("SAM0A24-935EB2DD.bin: its CTA-861 revision 1 has no data blocks") }));

    // Blocks that are not taken apart come back as they were, and refuse edits with a reason.
    QByteArray odd = ctaTable({ QStringLiteral("4210") });
    odd[128 + 2] = char(2); // timings inside the header
    QByteArray out;
    QVERIFY(EdidEditor::roundTrip(odd, out, nullptr));
    QCOMPARE(out, odd);
    const QByteArray before = odd;
    const EdidEditResult r = EdidEditor::apply(odd, edit(QStringLiteral("--add-vic"), "4"));
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QLatin1String("block 1 cannot be edited")), qPrintable(r.message));
    QCOMPARE(odd, before);
    // Its detailed timings are numbered as the decoder lists them, from a start held to 4.
    const EdidDecoded d = EdidDecoder::decode(odd);
    QCOMPARE(d.cta.first().detailedTimings.size(), 1);
    const int last = int(d.base.detailedTimings.size()) + 1;
    QVERIFY(applyAll(odd, { edit(QStringLiteral("--dtd"), QStringLiteral("%1=16").arg(last)) }));
    QCOMPARE(EdidDecoder::decode(odd).cta.first().detailedTimings.first().hActive, 1920);
}

void TestEdidEdit::timingsMoveWithTheDataBlocks()
{
    // A CTA block with a detailed timing after its data blocks, and zero padding.
    const QByteArray original = named(QStringLiteral("tv-hdr-600mhz"));
    const EdidDecoded before = EdidDecoder::decode(original);
    QCOMPARE(before.cta.first().detailedTimings.size(), 1);

    for (const auto &[option, value, shift] : { std::make_tuple("--add-vic", "118", 1),
             std::make_tuple("--remove-block", "colorimetry", -4),
             std::make_tuple("--remove-block", "extended:1", -12) }) {
        QByteArray table = original;
        const EdidEditResult r = EdidEditor::apply(table, edit(QLatin1String(option), value));
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.touchedBlocks, QVector<int> { 1 });
        QCOMPARE(table.left(128), original.left(128));
        QCOMPARE(quint8(table.at(130)), quint8(original.at(130) + shift));
        const EdidDecoded after = EdidDecoder::decode(table);
        QCOMPARE(after.warnings.size(), before.warnings.size());
        QCOMPARE(EdidDecoder::detailedTiming(reinterpret_cast<const quint8 *>(table.constData())
                     + 128 + quint8(table.at(130)))
                     .pixelClockKHz,
            before.cta.first().detailedTimings.first().pixelClockKHz);
        // What the block no longer needs is zero padding.
        QCOMPARE(table.mid(128 + quint8(table.at(130)) + 18, 127 - quint8(table.at(130)) - 18),
            QByteArray(127 - quint8(table.at(130)) - 18, '\0'));
    }
}

void TestEdidEdit::refusalsLeaveTheTableAsItWas_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");

    const QByteArray tv = named(QStringLiteral("tv-hdr-600mhz"));
    const QByteArray avr = named(QStringLiteral("avr-receiver"));
    const QByteArray monitor = named(QStringLiteral("monitor-128"));
    QByteArray full = ctaTable({ QStringLiteral("5f") + QString(QStringLiteral("00")).repeated(31),
        QStringLiteral("5f") + QString(QStringLiteral("00")).repeated(31),
        QStringLiteral("5f") + QString(QStringLiteral("00")).repeated(31),
        QStringLiteral("5a") + QString(QStringLiteral("00")).repeated(26) });
    QString thirtyOne = QStringLiteral("5f");
    for (int vic = 1; vic <= 31; ++vic)
        thirtyOne += QStringLiteral("%1").arg(vic, 2, 16, QLatin1Char('0'));
    const QByteArray manyVics = ctaTable({ thirtyOne });

    const auto row
        = [](const char *name, const QByteArray &t, const char *o, const char *v, const char *m) {
              QTest::newRow(name) << t << QString::fromLatin1(o) << QString::fromLatin1(v)
                                  << QString::fromLatin1(m);
          };
    row("name too long", tv, "--name", "FOURTEEN CHARS", "1 to 13 characters");
    row("name not ASCII", tv, "--name", "T\xc3\xa9l\xc3\xa9", "printable ASCII");
    row("manufacturer digit", tv, "--manufacturer", "A1C", "three letters");
    row("serial text into a number", avr, "--serial", "ABC123", "as a number");
    row("week 60", tv, "--week", "60", "1 to 54");
    row("model year on EDID 1.3", tv, "--week", "255", "needs EDID 1.4");
    row("year 1989", tv, "--year", "1989", "1990 to 2245");
    row("product too big", tv, "--product", "70000", "0 to 65535");
    row("VIC 0", tv, "--add-vic", "0", "names no video format");
    row("VIC 130", tv, "--add-vic", "130", "names no video format");
    row("VIC already there", tv, "--add-vic", "97", "already listed");
    row("native VIC 97", tv, "--add-vic", "118:native", "only VICs 1 to 64");
    row("position past the end", tv, "--move-vic", "97:40", "not among the 22 VICs");
    row("VIC not there", tv, "--remove-vic", "118", "not in the table");
    row("31 VICs", manyVics, "--add-vic", "97", "holds at most 31");
    row("no room", full, "--add-vic", "16", "has no room");
    row("no room for HDR", full, "--hdr-eotf", "sdr,pq", "has no room");
    row("no extension", monitor, "--hdr-eotf", "pq", "no CTA-861 extension");
    row("audio not there", tv, "--remove-audio", "dst", "no DST audio");
    row("audio twice", avr, "--add-audio", "ac3:6:32,44.1,48:640", "already lists");
    row("luminance without block", ctaTable({ kSixVics }), "--hdr-luminance", "max=1000",
        "no HDR static metadata block");
    row("luminance too high", tv, "--hdr-luminance", "max=20000", "50 to 12525");
    row("minimum above a hundredth", tv, "--hdr-luminance", "max=400,avg=400,min=5",
        "a hundredth of the maximum");
    row("average without maximum", ctaTable({ QStringLiteral("e3060d01") }), "--hdr-luminance",
        "avg=200", "no maximum luminance");
    row("address 1.0.2.0", tv, "--physical-address", "1.0.2.0", "after a 0");
    row("address without HDMI block", ctaTable({ kSixVics }), "--physical-address", "1.0.0.0",
        "no HDMI vendor-specific block");
    row("TMDS 20 MHz", tv, "--max-tmds", "20", "25 to 600 MHz");
    row("block not there", avr, "--remove-block", "hdr-dynamic", "no HDR dynamic metadata");
    row("timing 9", tv, "--dtd", "9=16", "no detailed timing 9");
    row("timing too fast", tv, "--dtd", "1=118", "at most 655.35 MHz");
    row("3D mask would lose a VIC",
        ctaTable({ QStringLiteral("50") + QStringLiteral("0102030405060708090a0b0c0d0e0f10"),
            QStringLiteral("6e030c0010000000 20 c0 04 0001 8000") }),
        "--add-vic", "17:1", "reach only the first 16");
}

void TestEdidEdit::refusalsLeaveTheTableAsItWas()
{
    QFETCH(QByteArray, table);
    QFETCH(QString, option);
    QFETCH(QString, value);
    QFETCH(QString, message);
    const QByteArray before = table;
    const EdidEditResult r = EdidEditor::apply(table, edit(option, value));
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(message), qPrintable(r.message));
    QVERIFY(r.touchedBlocks.isEmpty());
    QCOMPARE(table, before);
}

void TestEdidEdit::fourTwoZeroMapFollowsTheVics_data()
{
    QTest::addColumn<QString>("map"); // the map block's bits, "" for an empty (all) map
    QTest::addColumn<QStringList>("edits"); // option=value
    QTest::addColumn<QVector<int>>("capable");

    // 97 96 16 4 with 97 and 96 marked.
    const auto row
        = [](const char *name, const char *map, const QStringList &e, const QVector<int> &capable) {
              QTest::newRow(name) << QString::fromLatin1(map) << e << capable;
          };
    row("unmarked VIC leaves", "03", { "--remove-vic=16" }, { 97, 96 });
    row("marked VIC leaves", "03", { "--remove-vic=97" }, { 96 });
    row("last marked VICs leave", "03", { "--remove-vic=97,96" }, {});
    row("VIC moves to the front", "03", { "--move-vic=4:1" }, { 97, 96 });
    row("marked VIC moves back", "03", { "--move-vic=97:4" }, { 96, 97 });
    row("VIC added in front", "03", { "--add-vic=19:1" }, { 97, 96 });
    row("4:2:0 VIC added", "03", { "--add-vic=101:2:420" }, { 97, 101, 96 });
    row("empty map, VIC added", "", { "--add-vic=19" }, { 97, 96, 16, 4 });
    row("empty map, 4:2:0 VIC added", "", { "--add-vic=19:420" }, { 97, 96, 16, 4, 19 });
    row("empty map, VIC leaves", "", { "--remove-vic=16" }, { 97, 96, 4 });
    row("video block removed", "03", { "--remove-block=video" }, {});
}

void TestEdidEdit::fourTwoZeroMapFollowsTheVics()
{
    QFETCH(QString, map);
    QFETCH(QStringList, edits);
    QFETCH(QVector<int>, capable);
    const QString mapBlock = QStringLiteral("e%1 0f %2").arg(1 + map.size() / 2).arg(map);
    QByteArray table = ctaTable({ QStringLiteral("4461601004"), mapBlock });
    QVector<EdidEdit> list;
    for (const QString &e : edits)
        list
            += EditTables::edits(e.section(QLatin1Char('='), 0, 0), e.section(QLatin1Char('='), 1));
    QVERIFY(applyAll(table, list));
    QCOMPARE(capable420(table), capable);
    const EdidDecoded d = EdidDecoder::decode(table);
    QCOMPARE(d.cta.first().hasYcbcr420Map, !capable.isEmpty());
    QVERIFY(d.warnings.isEmpty());
}

void TestEdidEdit::hdmi3dFieldsFollowTheVics()
{
    const auto hdmiBlock = [](const QByteArray &table) {
        const int at = int(table.indexOf(QByteArray::fromHex("030c00"), 128)) - 1;
        return table.mid(at, 1 + (quint8(table.at(at)) & 0x1F));
    };
    const auto hex = [](const char *text) { return QByteArray::fromHex(text); };
    QByteArray table = ctaTable({ kSixVics, kHdmi3d });
    // 16 4 19 31 5 20; VIC 4 (position 1) leaves: the mask's 0, 2, 4 become 0, 1, 3; the entries' 3
    // and 5 become 2 and 4.
    QVERIFY(applyAll(table, { edit(QStringLiteral("--remove-vic"), "4") }));
    QCOMPARE(hdmiBlock(table), hex("71030c0010000000 20 c0 07 0001 000b 20 4810"));
    // VIC 31 (now at 2, the frame packing entry's) leaves: its entry goes with it.
    QVERIFY(applyAll(table, { edit(QStringLiteral("--remove-vic"), "31") }));
    QCOMPARE(hdmiBlock(table), hex("70030c0010000000 20 c0 06 0001 0007 3810"));
    QCOMPARE(vics(table), (QVector<int> { 16, 19, 5, 20 }));

    // A move permutes them: VIC 20 from the end to the front.
    table = ctaTable({ kSixVics, kHdmi3d });
    QVERIFY(applyAll(table, { edit(QStringLiteral("--move-vic"), "20:1") }));
    QCOMPARE(hdmiBlock(table), hex("71030c0010000000 20 c0 07 0001 002a 40 0810"));

    // An interlaced-latency bit without the latencies it goes with: the 3D fields are where the
    // decoder reads them.
    table = ctaTable({ kSixVics, QString(kHdmi3d).replace(QStringLiteral(" 20 "), " 60 ") });
    QVERIFY(applyAll(table, { edit(QStringLiteral("--remove-vic"), "4") }));
    QCOMPARE(hdmiBlock(table), hex("71030c0010000000 60 c0 07 0001 000b 20 4810"));
}

void TestEdidEdit::hdmiVicsLeaveWithTheirFormats()
{
    // The receiver lists 93, 94, 95 and 98 and the same four formats as HDMI VICs 3, 2, 1, 4.
    QByteArray table = named(QStringLiteral("avr-receiver"));
    const QByteArray hdmiVics = QByteArray::fromHex("8080 01020304");
    QVERIFY(table.contains(hdmiVics));
    QVERIFY(applyAll(table, { edit(QStringLiteral("--remove-vic"), "95") }));
    QVERIFY(table.contains(QByteArray::fromHex("8060 020304")));
    QVERIFY(!vics(table).contains(95));
    // An HDMI VIC alone is enough for the format to count as listed.
    QByteArray mst = ctaTable(
        { QStringLiteral("421004"), QStringLiteral("6e030c0010000000 20 00 80 01020304") });
    QVERIFY(applyAll(mst, { edit(QStringLiteral("--remove-vic"), "93") }));
    QVERIFY(mst.contains(QByteArray::fromHex("0060 010204")));
}

void TestEdidEdit::nativeIsOneFormat()
{
    QByteArray table
        = ctaTable({ QStringLiteral("44") + QStringLiteral("90041f13") }); // 16* 4 31 19
    QCOMPARE(vics(table), (QVector<int> { -16, 4, 31, 19 }));
    QVERIFY(applyAll(table, { edit(QStringLiteral("--native"), "31") }));
    QCOMPARE(vics(table), (QVector<int> { 16, 4, -31, 19 }));
    QVERIFY(applyAll(table, { edit(QStringLiteral("--add-vic"), "5:1:native") }));
    QCOMPARE(vics(table), (QVector<int> { -5, 16, 4, 31, 19 }));
    QVERIFY(applyAll(table, { edit(QStringLiteral("--clear-native"), "5") }));
    QCOMPARE(vics(table), (QVector<int> { 5, 16, 4, 31, 19 }));
}

void TestEdidEdit::detailedTimingFromAVic_data()
{
    QTest::addColumn<int>("vic");
    QTest::addColumn<int>("number"); // which detailed timing of tv-hdr-600mhz
    for (int vic : { 16, 4, 5, 20, 1, 97, 2, 8 })
        for (int number : { 1, 3 })
            QTest::addRow("VIC %d as timing %d", vic, number) << vic << number;
}

void TestEdidEdit::detailedTimingFromAVic()
{
    QFETCH(int, vic);
    QFETCH(int, number);
    QByteArray table = named(QStringLiteral("tv-hdr-600mhz"));
    const EdidDecoded before = EdidDecoder::decode(table);
    QVERIFY(applyAll(
        table, { edit(QStringLiteral("--dtd"), QStringLiteral("%1=%2").arg(number).arg(vic)) }));
    const EdidDecoded after = EdidDecoder::decode(table);
    QVector<EdidDetailedTiming> timings
        = after.base.detailedTimings + after.cta.first().detailedTimings;
    QVector<EdidDetailedTiming> old
        = before.base.detailedTimings + before.cta.first().detailedTimings;
    const EdidDetailedTiming &t = timings[number - 1];
    const CtaVideoFormat &f = *CtaVideoFormats::find(vic);
    QCOMPARE(t.hActive, int(f.width));
    QCOMPARE(t.frameHeight(), int(f.height));
    QCOMPARE(t.interlaced, f.interlaced);
    QVERIFY(qAbs(int(t.pixelClockKHz) - int(f.pixelClockKHz)) <= 5);
    QCOMPARE(t.hBlank, f.h.blank());
    QCOMPARE(t.vBlank, f.v.blank());
    QCOMPARE(t.hSyncOffset, int(f.h.front));
    QCOMPARE(t.hSyncWidth, int(f.h.sync));
    QCOMPARE(t.vSyncOffset, int(f.v.front));
    QCOMPARE(t.vSyncWidth, int(f.v.sync));
    QCOMPARE(t.hSyncPositive, f.h.positive);
    QCOMPARE(t.vSyncPositive, f.v.positive);
    // The image size belongs to the screen, and the other timings stay.
    QCOMPARE(t.hImageMm, old[number - 1].hImageMm);
    for (int i = 0; i < timings.size(); ++i)
        if (i != number - 1)
            QCOMPARE(timings[i].pixelClockKHz, old[i].pixelClockKHz);
}

void TestEdidEdit::baseBlockFields()
{
    QByteArray table = named(QStringLiteral("tv-hdr-600mhz"));
    const QByteArray original = table;
    QVERIFY(applyAll(table,
        { edit(QStringLiteral("--name"), "Living room"),
            edit(QStringLiteral("--manufacturer"), "zlv"),
            edit(QStringLiteral("--product"), "0x1234"),
            edit(QStringLiteral("--serial"), "4000000000"), edit(QStringLiteral("--week"), "12"),
            edit(QStringLiteral("--year"), "2024") }));
    const EdidBaseBlock b = EdidDecoder::decode(table).base;
    QCOMPARE(b.displayName, QStringLiteral("Living room"));
    QCOMPARE(b.manufacturer, QStringLiteral("ZLV"));
    QCOMPARE(b.productCode, quint16(0x1234));
    QCOMPARE(b.serialNumber, 4000000000u);
    QCOMPARE(b.week, 12);
    QCOMPARE(b.year, 2024);
    QCOMPARE(table.mid(128), original.mid(128));
    // Bytes 8..17 and the name's descriptor (bytes 77..89) and the checksum changed, no more.
    for (int i = 0; i < 127; ++i)
        if (table.at(i) != original.at(i))
            QVERIFY2((i >= 8 && i <= 17) || (i >= 95 && i <= 107), qPrintable(QString::number(i)));

    // A table that keeps its serial as text gets the text; a name goes into an unused descriptor.
    QByteArray text = named(QStringLiteral("projector-4k-hdr"));
    QVERIFY(applyAll(text, { edit(QStringLiteral("--serial"), "ZLV-0001") }));
    QCOMPARE(EdidDecoder::decode(text).base.displaySerial, QStringLiteral("ZLV-0001"));
    QByteArray unnamed = named(QStringLiteral("monitor-128"));
    const int name = int(unnamed.indexOf(QByteArray::fromHex("000000fc00")));
    QVERIFY(name > 0);
    unnamed[name + 3] = char(0x10);
    QVERIFY(EdidDecoder::decode(unnamed).base.displayName.isEmpty());
    QVERIFY(applyAll(unnamed, { edit(QStringLiteral("--name"), "Office") }));
    QCOMPARE(EdidDecoder::decode(unnamed).base.displayName, QStringLiteral("Office"));
    QCOMPARE(unnamed.mid(name + 5, 13), QByteArray("Office\n      "));
}

// A new maximum luminance leaves the minimum's value (a fraction of the maximum) as it was; a
// TMDS limit lowers what is above it and fills in what was not said.
void TestEdidEdit::limitsKeepWhatTheyDoNotName()
{
    QByteArray table = ctaTable({ kSixVics, QStringLiteral("e606050 16a6a24") });
    const double minimum = EdidDecoder::decode(table).cta.first().hdrStatic.minCdm2;
    QVERIFY(applyAll(table, { edit(QStringLiteral("--hdr-luminance"), "max=1000") }));
    CtaHdrStatic h = EdidDecoder::decode(table).cta.first().hdrStatic;
    QCOMPARE(h.maxCode, quint8(138));
    QCOMPARE(h.averageCode, quint8(106));
    QVERIFY(qAbs(h.minCdm2 - minimum) < 0.01);
    // 125 cd/m2 at the least, of 12525 at the most: no maximum of 1000 can keep that.
    table = ctaTable({ kSixVics, QStringLiteral("e6060501ffffff") });
    const QByteArray before = table;
    const EdidEditResult low
        = EdidEditor::apply(table, edit(QStringLiteral("--hdr-luminance"), "max=1000"));
    QVERIFY(!low.ok);
    QVERIFY2(low.message.contains(QLatin1String("give it anew")), qPrintable(low.message));
    QCOMPARE(table, before);

    // HDMI block at 600 MHz (above what it may say, as some tables do) and an HDMI Forum block.
    table = ctaTable(
        { kSixVics, QStringLiteral("67030c001000 00 78"), QStringLiteral("67d85dc4 01 78 80 60") });
    QVERIFY(applyAll(table, { edit(QStringLiteral("--max-tmds"), "450") }));
    CtaBlock cta = EdidDecoder::decode(table).cta.first();
    QCOMPARE(cta.hdmi.maxTmdsMHz, 450);
    QCOMPARE(cta.hdmiForum.maxTmdsCharacterRateMHz, 450);
    QCOMPARE(cta.hdmiForum.maxFrlRate, 0);
    // An HDMI block without the clock byte gets one for a limit below 340 MHz.
    table = ctaTable({ kSixVics, QStringLiteral("65030c001000") });
    QVERIFY(applyAll(table, { edit(QStringLiteral("--max-tmds"), "200") }));
    QCOMPARE(EdidDecoder::decode(table).cta.first().hdmi.maxTmdsMHz, 200);
}

void TestEdidEdit::optionsReadBackAsWritten()
{
    for (const char *text : { "--name Living room", "--serial 12345", "--manufacturer ZLV",
             "--product 4660", "--week 12", "--year 2024", "--remove-vic 118",
             "--add-vic 16:1:native:420", "--add-vic 97", "--move-vic 97:1", "--native 16",
             "--clear-native 16", "--remove-audio all", "--remove-audio ac3",
             "--add-audio lpcm:2:32,44.1,48:16,24", "--add-audio ac3:6:32,44.1,48:640",
             "--add-audio mat:8:48:1", "--speakers FL/FR,LFE1,FC", "--hdr-eotf sdr,pq,hlg",
             "--hdr-luminance max=1000,avg=400,min=0.05", "--remove-hdr",
             "--colorimetry bt2020ycc,bt2020rgb", "--colorimetry -xvycc601,+dci-p3",
             "--ycbcr444 off", "--ycbcr422 on", "--physical-address 2.1.0.0", "--max-tmds 600",
             "--remove-hdmi-forum", "--remove-block vendor:00d046", "--remove-block extended:1",
             "--remove-block ycbcr420-map", "--dtd 2=16" }) {
        const QString option = QString::fromLatin1(text).section(QLatin1Char(' '), 0, 0);
        const QString value = QString::fromLatin1(text).section(QLatin1Char(' '), 1);
        const QVector<EdidEdit> parsed = edits(option, value);
        QVERIFY2(parsed.size() == 1, text);
        QCOMPARE(EdidEditParser::optionText(parsed.first()), QString::fromLatin1(text));
    }
    QCOMPARE(edits(QStringLiteral("--remove-vic"), "117, 118,119").size(), 3);
    // The address as the decoded table shows it (and the edit window offers it) parses back.
    const QString address = EdidDescriber::physicalAddressText(0x1a0f);
    QCOMPARE(address, QStringLiteral("1.a.0.f"));
    QCOMPARE(edits(QStringLiteral("--physical-address"), address).value(0).number, 0x1a0fu);
}

void TestEdidEdit::optionsThatDoNotParse()
{
    for (const auto &[option, value] :
        { std::make_pair("--remove-vic", "4k"), std::make_pair("--remove-vic", ","),
            std::make_pair("--add-vic", "16:first"), std::make_pair("--move-vic", "16"),
            std::make_pair("--remove-audio", "opus"), std::make_pair("--add-audio", "lpcm:9:48"),
            std::make_pair("--add-audio", "lpcm:2:50"), std::make_pair("--add-audio", "ac3:6:48"),
            std::make_pair("--add-audio", "ac3:6:48:100"), std::make_pair("--speakers", "FL"),
            std::make_pair("--hdr-eotf", "dolby"), std::make_pair("--hdr-luminance", "peak=1"),
            std::make_pair("--colorimetry", "md0"), std::make_pair("--ycbcr444", "yes"),
            std::make_pair("--physical-address", "1.0.0"),
            std::make_pair("--physical-address", "1.0.0.10"),
            std::make_pair("--remove-block", "hdr"),
            std::make_pair("--remove-block", "vendor:0c03"), std::make_pair("--dtd", "1:16"),
            std::make_pair("--year", ""), std::make_pair("--frobnicate", "1") }) {
        QVector<EdidEdit> out;
        QString error;
        QVERIFY2(!EdidEditParser::parse(QLatin1String(option), QLatin1String(value), out, &error),
            option);
        QVERIFY(out.isEmpty());
        QVERIFY2(error.startsWith(QLatin1String(option)), qPrintable(error));
    }
}

QTEST_GUILESS_MAIN(TestEdidEdit)
#include "tst_edid_edit.moc"
