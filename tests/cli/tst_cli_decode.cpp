// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zelvarinctl's decode commands as scripts see them: real tables against edid-decode's golden
// reading, the simulated box's captured HDR InfoFrame, exit codes, and that no box is touched.
#include "sim/BoxFactory.h"
#include "tests/support/CliRun.h"
#include "tests/support/JsonSchemaCheck.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

using TestFiles::readFile;

const QString kData = QStringLiteral(ZELVARIN_TEST_DATA);

using Run = CliRun;

QString hexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(':'));
}

} // namespace

class TestCliDecode : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    JsonSchemaCheck m_json; // every JSON answer below, checked at the end

    // Run with --simulate and a trace, so a decode that opened the box would show in the trace.
    Run run(const QTemporaryDir &dir, const QStringList &args, const QByteArray &input = {})
    {
        const Run r = runZelvarinctl(dir.path(), args, input);
        m_json.add(args, r);
        return r;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Every JSON answer of this test conforms to the schema the package ships for it.
    void cleanupTestCase()
    {
        QVERIFY(m_json.count() > 0);
        const QString problems = m_json.problems();
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

    void edidDecode_data()
    {
        QTest::addColumn<QString>("table"); // under the test data, without .bin
        for (const char *t :
            { "edid/tv-hdr-600mhz", "edid/monitor-128", "edid/monitor-ff-padded-bad-checksum",
                "edid-corpus/AOC2702-1D93345B", "edid-corpus/BNQ78DB-32277EE0" })
            QTest::newRow(t) << QString::fromLatin1(t);
    }

    // The file, its hex text and the same on standard input all decode to the golden fields.
    void edidDecode()
    {
        QFETCH(QString, table);
        const QString bin = kData + QLatin1Char('/') + table + QStringLiteral(".bin");
        QString manufacturer, firstTiming, vics;
        for (const QString &line :
            QString::fromUtf8(readFile(kData + QStringLiteral("/golden/") + table + ".txt"))
                .split(QLatin1Char('\n'))) {
            const QString value = line.section(QLatin1Char(' '), 1);
            if (line.startsWith(QLatin1String("manufacturer ")))
                manufacturer = value;
            else if (line.startsWith(QLatin1String("timing ")) && firstTiming.isEmpty())
                firstTiming = value;
            else if (line.startsWith(QLatin1String("vics ")))
                vics = value;
        }
        QVERIFY(!manufacturer.isEmpty());

        const QString hexFile = m_dir.filePath(QStringLiteral("table.txt"));
        QFile f(hexFile);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(readFile(bin).toHex(' ').toUpper() + "\n");
        f.close();

        const Run fromBinary = run(m_dir, { QStringLiteral("--json"), "edid", "decode", bin });
        QCOMPARE(fromBinary.exitCode, 0);
        QVERIFY(!fromBinary.boxTouched);
        const QJsonObject o = QJsonDocument::fromJson(fromBinary.out).object();
        for (const char *key : { "size", "base", "cta", "blocks", "warnings" })
            QVERIFY2(o.contains(QLatin1String(key)), key);
        const QJsonObject base = o.value(QStringLiteral("base")).toObject();
        QCOMPARE(base.value(QStringLiteral("manufacturer")).toString(), manufacturer);
        const QJsonArray timings = base.value(QStringLiteral("detailed_timings")).toArray();
        QCOMPARE(timings.first().toObject().value(QStringLiteral("text")).toString(),
            firstTiming + QStringLiteral(" Hz"));
        QStringList decodedVics;
        for (const QJsonValue &cta : o.value(QStringLiteral("cta")).toArray())
            for (const QJsonValue &v : cta.toObject().value(QStringLiteral("videos")).toArray())
                decodedVics << QString::number(v.toObject().value(QStringLiteral("vic")).toInt());
        QCOMPARE(decodedVics.join(QLatin1Char(' ')), vics);

        // The same table whatever form it came in; only the file's name differs.
        QCOMPARE(o.value(QStringLiteral("format_version")).toInt(), 2);
        QCOMPARE(o.value(QStringLiteral("file")).toString(), bin);
        const auto withoutFile = [](const QByteArray &out) {
            QJsonObject object = QJsonDocument::fromJson(out).object();
            object.remove(QStringLiteral("file"));
            return object;
        };
        QCOMPARE(withoutFile(run(m_dir, { "--json", "edid", "decode", hexFile }).out),
            withoutFile(fromBinary.out));
        QCOMPARE(
            withoutFile(run(m_dir, { "--json", "edid", "decode", "-" }, readFile(hexFile)).out),
            withoutFile(fromBinary.out));
        const Run text = run(m_dir, { "edid", "decode", "-" }, readFile(bin));
        QCOMPARE(text.exitCode, 0);
        QVERIFY2(text.out.contains(manufacturer.toLatin1()), text.out.constData());
    }

    void packets_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("textHas");
        // The simulated box's capture: type, length, data, then the zero padding of its block.
        const QString captured = hexText(BoxFactory::hdrCaptureBlock());
        const QString payload = hexText(BoxFactory::hdrMetadata(2));
        const QStringList hdr { "SMPTE ST 2084 (PQ)", "max 1000 cd/m2, min 0.0050 cd/m2",
            "MaxCLL: 1000 cd/m2, MaxFALL: 400 cd/m2" };
        QTest::newRow("cec") << QStringList { "cec", "decode", "40:04" }
                             << QStringList { "Playback 1", "TV", "Image View On" };
        QTest::newRow("cec, spaced words")
            << QStringList { "cec", "decode", "40", "04" } << QStringList { "Image View On" };
        QTest::newRow("captured hdr") << QStringList { "infoframe", "decode", captured } << hdr;
        QTest::newRow("hdr payload") << QStringList { "infoframe", "decode", payload } << hdr;
        QTest::newRow("full hdr") << QStringList { "infoframe", "decode", "--type", "hdr",
            hexText(BoxFactory::customInfoFrame()) }
                                  << (hdr + QStringList { "checksum 0x", "good" });
        // Data alone that detection would take for HDR (it starts with 00 and is short).
        QTest::newRow("avi payload forced")
            << QStringList { "infoframe", "decode", "--type=avi", "00:28:00:10" }
            << QStringList { "AVI InfoFrame, payload of 4 bytes", "16:9", "VIC 16" };
        QTest::newRow("avi captured")
            << QStringList { "infoframe", "decode", "82:0d:" + hexText(BoxFactory::customAvi()) }
            << QStringList { "AVI InfoFrame, captured", "YCbCr 4:4:4", "VIC 97" };
    }

    void packets()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, textHas);
        const Run r = run(m_dir, args);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!r.boxTouched);
        for (const QString &words : textHas)
            QVERIFY2(r.out.contains(words.toLatin1()), qPrintable(words + "\n" + r.out));
        const Run json = run(m_dir, QStringList { "--json" } + args);
        QCOMPARE(json.exitCode, 0);
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(json.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(o.value(QStringLiteral("warnings")).isArray());
    }

    void statusDecodesCapture()
    {
        const Run json = run(m_dir, { "--json", "status" });
        QCOMPARE(json.exitCode, 0);
        const QJsonObject signal
            = QJsonDocument::fromJson(json.out).object().value(QStringLiteral("signal")).toObject();
        QVERIFY(signal.value(QStringLiteral("hdr_infoframe")).toString().startsWith("02:00:34:21"));
        const QJsonObject hdr = signal.value(QStringLiteral("hdr_infoframe_decoded")).toObject();
        QCOMPARE(
            hdr.value(QStringLiteral("eotf")).toString(), QStringLiteral("SMPTE ST 2084 (PQ)"));
        QCOMPARE(hdr.value(QStringLiteral("max_mastering_cdm2")).toInt(), 1000);
        QCOMPARE(hdr.value(QStringLiteral("max_fall")).toInt(), 400);

        const Run text = run(m_dir, { "status" });
        QVERIFY2(text.out.contains("signal hdr-infoframe decoded: EOTF: SMPTE ST 2084 (PQ)\n"),
            text.out.constData());
        QVERIFY(text.out.contains("signal hdr-infoframe decoded: Mastering luminance: max 1000"));
    }

    // Many tables in one run: each decoded with its name, a file that cannot be decoded said so
    // on standard error while the rest go on, and exit status 3 at the end.
    void edidDecodeMany()
    {
        const QString a = kData + QStringLiteral("/edid/tv-hdr-600mhz.bin");
        const QString b = kData + QStringLiteral("/edid/monitor-128.bin");
        const QString bad = kData + QStringLiteral("/README.md");
        const QString missing = m_dir.filePath(QStringLiteral("missing.bin"));

        const Run json
            = run(m_dir, { "--json", "edid", "decode", a, bad, "-", missing }, readFile(b));
        QCOMPARE(json.exitCode, 3);
        QVERIFY(!json.boxTouched);
        const QList<QByteArray> lines = json.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 2); // one object per line, in the order named
        const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
        const QJsonObject second = QJsonDocument::fromJson(lines[1]).object();
        QCOMPARE(first.value(QStringLiteral("file")).toString(), a);
        QCOMPARE(first[QStringLiteral("base")][QStringLiteral("manufacturer")].toString(), "SNY");
        QCOMPARE(second.value(QStringLiteral("file")).toString(), QStringLiteral("-"));
        QCOMPARE(second[QStringLiteral("base")][QStringLiteral("manufacturer")].toString(), "DEL");
        const QList<QByteArray> complaints = json.err.trimmed().split('\n');
        QCOMPARE(complaints.size(), 3);
        QVERIFY2(complaints[0].contains(bad.toUtf8()), complaints[0].constData());
        QVERIFY2(complaints[1].contains(missing.toUtf8()), complaints[1].constData());
        QVERIFY2(complaints[2].contains("2 of 4 files"), complaints[2].constData());

        // In words: each table's lines after a heading with its name, exit 0 when all decoded.
        const Run text = run(m_dir, { "edid", "decode", a, b });
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.err.isEmpty());
        const QString out = QString::fromUtf8(text.out);
        QVERIFY(out.startsWith("==> " + a + " <==\nBlock 0: base EDID 1.3\n"));
        QVERIFY(out.contains("\n\n==> " + b + " <==\nBlock 0: base EDID 1.4\n"));
        QCOMPARE(out.count(QStringLiteral("Block 0 checksum: good")), 2);
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        const QString notEdid = kData + QStringLiteral("/README.md");
        const QString empty = m_dir.filePath(QStringLiteral("empty.bin"));
        QFile(empty).open(QIODevice::WriteOnly);
        const auto row = [](const char *name, QStringList args, int code) {
            QTest::newRow(name) << args << code;
        };
        row("edid missing file", { "edid", "decode", "/nonexistent/table.bin" }, 3);
        row("edid not a table", { "edid", "decode", notEdid }, 3);
        row("edid empty file", { "edid", "decode", empty }, 3);
        row("cec bad hex", { "cec", "decode", "40:0g" }, 3);
        row("cec odd digits", { "cec", "decode", "404" }, 3);
        row("infoframe bad hex", { "infoframe", "decode", "87:zz" }, 3);
        row("edid no file", { "edid", "decode" }, 2);
        row("edid standard input twice", { "edid", "decode", "-", "-" }, 2);
        row("cec no hex", { "cec", "decode" }, 2);
        row("unknown type", { "infoframe", "decode", "--type", "spd", "01:02" }, 2);
        row("type without value", { "infoframe", "decode", "01:02", "--type" }, 2);
        row("unknown option", { "cec", "decode", "--activate", "40:04" }, 2);
    }

    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const Run r = run(m_dir, args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.startsWith("zelvarinctl: "));
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(!r.boxTouched);
    }
};

QTEST_GUILESS_MAIN(TestCliDecode)
#include "tst_cli_decode.moc"
