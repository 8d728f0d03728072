// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The EDID decoder against edid-decode's reading of 250 real tables (golden files made once by
// make_golden.py), and its behaviour on damaged input.
#include "edid/CtaVideoFormats.h"
#include "edid/EdidChecksum.h"
#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QMap>
#include <QTest>

namespace {

const QString kData = QStringLiteral(ZELVARIN_TEST_DATA);

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

using Fields = QMap<QString, QStringList>; // key -> values in the order found

void add(Fields &fields, const QString &line)
{
    const int space = int(line.indexOf(QLatin1Char(' ')));
    fields[line.left(space)] << line.mid(space + 1);
}

// The decoder's reading in the golden files' terms.
Fields decoderFields(const EdidDecoded &e)
{
    Fields f;
    add(f, QStringLiteral("manufacturer ") + e.base.manufacturer);
    add(f, QStringLiteral("product %1").arg(e.base.productCode));
    QStringList vics;
    QVector<EdidDetailedTiming> timings = e.base.detailedTimings;
    for (const CtaBlock &cta : e.cta) {
        for (const CtaShortVideo &v : cta.videos)
            vics << QString::number(v.vic);
        timings += cta.detailedTimings;
        if (cta.hasHdmi)
            add(f,
                QStringLiteral("physical-address ")
                    + EdidDescriber::physicalAddressText(cta.hdmi.physicalAddress));
        if (cta.hasHdmiForum && cta.hdmiForum.maxTmdsCharacterRateMHz)
            add(f, QStringLiteral("hf-max-tmds %1").arg(cta.hdmiForum.maxTmdsCharacterRateMHz));
        if (cta.hasHdrStatic) {
            const CtaHdrStatic &h = cta.hdrStatic;
            const char *const eotfs[4] = { "SDR", "HDR", "PQ", "HLG" };
            for (int i = 0; i < 4; ++i)
                if (h.eotfs >> i & 1)
                    add(f, QStringLiteral("eotf ") + QLatin1String(eotfs[i]));
            if (h.hasMax)
                add(f, QStringLiteral("luminance max %1").arg(h.maxCdm2, 0, 'f', 3));
            if (h.hasAverage)
                add(f, QStringLiteral("luminance average %1").arg(h.averageCdm2, 0, 'f', 3));
            if (h.hasMin)
                add(f, QStringLiteral("luminance min %1").arg(h.minCdm2, 0, 'f', 3));
        }
    }
    if (!vics.isEmpty())
        add(f, QStringLiteral("vics ") + vics.join(QLatin1Char(' ')));
    for (const EdidDetailedTiming &t : timings)
        add(f, QStringLiteral("timing ") + EdidDescriber::timingText(t).chopped(3));
    for (const EdidBlockState &b : e.blocks)
        add(f, QStringLiteral("checksum %1 %2").arg(b.index).arg(b.checksumOk() ? "good" : "bad"));
    return f;
}

Fields goldenFields(const QString &path)
{
    Fields f;
    const QString text = QString::fromUtf8(readFile(path));
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
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

// Where the decoder and edid-decode part, and why the decoder is left as it is.
struct ExplainedDifference
{
    const char *table;
    const char *key;
    const char *why;
};
const ExplainedDifference kExplained[] = {
    // The extension's 0xff padding reads as interlaced timings with 255-line borders: edid-decode
    // takes the vertical borders out of the field total but not the horizontal ones out of the
    // line; the decoder takes the totals as active plus blanking, which is what a sink uses.
    // Only the resolution is compared there.
    { "edid/monitor-ff-padded-bad-checksum", "timing", "borders in garbage padding" },
};

QStringList resolutionsOnly(QStringList values)
{
    for (QString &v : values)
        v = v.section(QLatin1Char(' '), 0, 0);
    return values;
}

bool explained(const QString &table, const QString &key)
{
    for (const ExplainedDifference &d : kExplained)
        if (table == QLatin1String(d.table) && key == QLatin1String(d.key))
            return true;
    return false;
}

} // namespace

class TestEdidDecode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchesReference_data()
    {
        QTest::addColumn<QString>("table");
        for (const QString &folder : { QStringLiteral("edid"), QStringLiteral("edid-corpus") }) {
            const QDir dir(kData + QLatin1Char('/') + folder);
            for (const QString &name : dir.entryList({ QStringLiteral("*.bin") }, QDir::Files))
                QTest::newRow(qPrintable(folder + QLatin1Char('/') + name))
                    << folder + QLatin1Char('/') + name.chopped(4);
        }
    }
    void matchesReference()
    {
        QFETCH(QString, table);
        const QByteArray bytes
            = readFile(kData + QLatin1Char('/') + table + QStringLiteral(".bin"));
        QVERIFY(!bytes.isEmpty());
        const Fields expected
            = goldenFields(kData + QStringLiteral("/golden/") + table + QStringLiteral(".txt"));
        QVERIFY(!expected.isEmpty());
        const Fields actual = decoderFields(EdidDecoder::decode(bytes));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            if (explained(table, it.key()))
                QCOMPARE(resolutionsOnly(actual.value(it.key())), resolutionsOnly(it.value()));
            else
                QCOMPARE(actual.value(it.key()), it.value());
        }
        for (auto it = actual.cbegin(); it != actual.cend(); ++it)
            QVERIFY2(expected.contains(it.key()), qPrintable(it.key()));
    }

    // The words people read: one check of each describer path on a table that has them all.
    void describesTable()
    {
        const EdidDecoded e
            = EdidDecoder::decode(readFile(kData + QStringLiteral("/edid/tv-hdr-600mhz.bin")));
        const QStringList lines = EdidDescriber::lines(e);
        const QString text = lines.join(QLatin1Char('\n'));
        for (const char *expected :
            { "Manufacturer: SNY, product code 16133",
                "Detailed timing: 3840x2160 60.000 Hz, 594.00 MHz", "VIC 97: 3840x2160p 60 Hz 16:9",
                "HDMI VSDB: physical address 1.0.0.0", "Max TMDS character rate: 600 MHz",
                "HDR static metadata: SDR, SMPTE ST 2084 (PQ), HLG", "Block 1 checksum: good" })
            QVERIFY2(text.contains(QLatin1String(expected)), expected);
        const QJsonObject json = EdidDescriber::json(e);
        QCOMPARE(json[QStringLiteral("base")][QStringLiteral("manufacturer")].toString(),
            QStringLiteral("SNY"));
        QCOMPARE(json[QStringLiteral("cta")][0][QStringLiteral("hdmi")]
                     [QStringLiteral("physical_address")]
                         .toString(),
            QStringLiteral("1.0.0.0"));
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
    }
};

QTEST_GUILESS_MAIN(TestEdidDecode)
#include "tst_edid_decode.moc"
