// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// `zelvarinctl edid edit` as scripts use it: the README's worked examples run word for word,
// standard input and output, exit codes, and that a refused edit writes nothing.
#include "edid/CtaBits.h"
#include "edid/EdidDecoder.h"
#include "tests/edid_edit/EditTables.h"
#include "tests/support/CliRun.h"
#include "tests/support/JsonSchemaCheck.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace EditTables;

namespace {

using Run = CliRun;

// Every JSON answer of the test, checked against the shipped schemas at its end.
JsonSchemaCheck jsonAnswers;

Run run(const QString &dir, const QStringList &args, const QByteArray &input = {})
{
    const Run r = runZelvarinctlIn(dir, args, input);
    jsonAnswers.add(args, r);
    return r;
}

// The hex text the command writes, back into bytes.
QByteArray fromHexText(const QByteArray &text)
{
    return QByteArray::fromHex(QByteArray(text).replace('\n', ' '));
}

} // namespace

class TestEdidEditCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanupTestCase()
    {
        QVERIFY(jsonAnswers.count() > 0);
        const QString problems = jsonAnswers.problems();
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }
    void workedExamplesRunAsDocumented();
    void standardInputToStandardOutput();
    void refusedEditWritesNothing();
    void commandLineMistakes_data();
    void commandLineMistakes();
    void dryRunShowsTheChangedBlocks();
    void longTableIsNotUploadedCutShort();
};

void TestEdidEditCli::workedExamplesRunAsDocumented()
{
    // The tables the examples' file names stand for: a monitor without HDR, the receiver, an
    // HDMI 2.1 TV with 4K120 and FRL.
    QVERIFY(TestFiles::writeFile(path(QStringLiteral("monitor.bin")),
        TestFiles::readFile(
            QStringLiteral(ZELVARIN_TEST_DATA "/edid-corpus/GSM5B08-3C345A37.bin"))));
    QVERIFY(TestFiles::writeFile(
        path(QStringLiteral("receiver.bin")), named(QStringLiteral("avr-receiver"))));
    QVERIFY(TestFiles::writeFile(path(QStringLiteral("tv.bin")),
        TestFiles::readFile(
            QStringLiteral(ZELVARIN_TEST_DATA "/edid-corpus/XXX9615-74A8D79F.bin"))));

    QStringList examples;
    const QString readme
        = QString::fromUtf8(TestFiles::readFile(QStringLiteral(ZELVARIN_SOURCE "/README.md")));
    for (const QString &line : readme.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("    zelvarinctl edid edit ")))
            examples << line.trimmed();
    QCOMPARE(examples.size(), 3);
    // The man page shows the same three.
    const QString man = QString::fromUtf8(
        TestFiles::readFile(QStringLiteral(ZELVARIN_SOURCE "/dist/man/zelvarinctl.1.scd")));
    for (const QString &e : examples)
        QVERIFY2(man.contains(e + QStringLiteral("++")), qPrintable(e));

    for (const QString &e : examples) {
        const QStringList words = e.split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(1);
        const Run r = run(m_dir.path(), words);
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(r.out.isEmpty());
    }

    const CtaBlock hdr
        = EdidDecoder::decode(TestFiles::readFile(path(QStringLiteral("monitor-hdr.bin"))))
              .cta.first();
    QVERIFY(!EdidDecoder::decode(TestFiles::readFile(path(QStringLiteral("monitor.bin"))))
                 .cta.first()
                 .hasHdrStatic);
    QCOMPARE(CtaBits::bits(hdr.hdrStatic.eotfs, CtaBits::eotfs), 0x0Du);
    QCOMPARE(hdr.hdrStatic.maxCode, quint8(138));

    const CtaBlock stereo
        = EdidDecoder::decode(TestFiles::readFile(path(QStringLiteral("receiver-stereo.bin"))))
              .cta.first();
    QCOMPARE(stereo.audios.size(), 1);
    QCOMPARE(stereo.audios.first().format, 1);
    QCOMPARE(stereo.audios.first().channels, 2);
    QCOMPARE(CtaBits::bits(stereo.speakers, CtaBits::speakers), 1u);

    const CtaBlock tv
        = EdidDecoder::decode(TestFiles::readFile(path(QStringLiteral("tv-hdmi20.bin"))))
              .cta.first();
    for (const CtaShortVideo &v : tv.videos)
        QVERIFY(v.vic < 117 || v.vic > 120);
    QVERIFY(tv.ycbcr420Capable.contains(97));
    QCOMPARE(tv.hdmiForum.maxFrlRate, 0);
    QCOMPARE(tv.hdmiForum.maxTmdsCharacterRateMHz, 600);
}

void TestEdidEditCli::standardInputToStandardOutput()
{
    // Any number of blocks, raw or hex text, in and out.
    const QByteArray table = named(QStringLiteral("monitor-512-blockmap"));
    Run r = run(m_dir.path(), { "edid", "edit", "-" }, table);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(fromHexText(r.out), table); // no edit: the table as it was
    QVERIFY(r.out.startsWith("00 FF FF FF FF FF FF 00"));

    r = run(m_dir.path(), { "edid", "edit", "-", "--name=Study", "--remove-hdr" }, r.out);
    QCOMPARE(r.exitCode, 0);
    const QByteArray edited = fromHexText(r.out);
    QCOMPARE(edited.size(), table.size());
    const EdidDecoded d = EdidDecoder::decode(edited);
    QCOMPARE(d.base.displayName, QStringLiteral("Study"));
    QVERIFY(!d.cta.first().hasHdrStatic);
    QVERIFY(d.warnings.isEmpty());
    // The block map and the DisplayID block are untouched.
    QCOMPARE(edited.mid(128, 128), table.mid(128, 128));
    QCOMPARE(edited.mid(384), table.mid(384));

    // -o: raw for .bin, hex text for other names.
    QVERIFY(TestFiles::writeFile(path(QStringLiteral("in.bin")), table));
    QCOMPARE(run(m_dir.path(), { "edid", "edit", "in.bin", "-o", "same.bin" }).exitCode, 0);
    QCOMPARE(TestFiles::readFile(path(QStringLiteral("same.bin"))), table);
    QCOMPARE(run(m_dir.path(), { "edid", "edit", "in.bin", "-o", "same.txt" }).exitCode, 0);
    QCOMPARE(fromHexText(TestFiles::readFile(path(QStringLiteral("same.txt")))), table);
}

void TestEdidEditCli::refusedEditWritesNothing()
{
    QVERIFY(TestFiles::writeFile(
        path(QStringLiteral("tv.bin")), named(QStringLiteral("tv-hdr-600mhz"))));
    QFile::remove(path(QStringLiteral("out.bin")));
    // The first edit fits, the second does not: nothing is written at all.
    const Run r = run(m_dir.path(),
        { "edid", "edit", "tv.bin", "--name", "Den", "--add-vic", "97", "-o", "out.bin" });
    QCOMPARE(r.exitCode, 3);
    QVERIFY2(r.err.startsWith("zelvarinctl: edid edit: --add-vic 97 refused: VIC 97 "), r.err);
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(!QFile::exists(path(QStringLiteral("out.bin"))));
    QVERIFY(r.out.isEmpty());
}

void TestEdidEditCli::commandLineMistakes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const auto row = [](const char *name, const QStringList &args, int code, const char *m) {
        QTest::newRow(name) << args << code << QString::fromLatin1(m);
    };
    row("unknown option", { "--rename", "x" }, 2, "edit has no option --rename");
    row("value missing", { "--add-vic" }, 2, "--add-vic needs a value");
    row("value to a flag", { "--remove-hdr=yes" }, 2, "--remove-hdr takes no value");
    row("value not of its form", { "--add-vic", "4k" }, 2, "--add-vic: expected VIC");
    row("two inputs", { "other.bin" }, 2, "expected 'edid edit FILE");
    row("-o without a file", { "-o" }, 2, "-o needs a FILE");
}

void TestEdidEditCli::commandLineMistakes()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QVERIFY(TestFiles::writeFile(
        path(QStringLiteral("tv.bin")), named(QStringLiteral("tv-hdr-600mhz"))));
    const Run r = run(m_dir.path(), QStringList { "edid", "edit", "tv.bin" } + args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromLocal8Bit(r.err).contains(message), r.err.constData());
    QVERIFY(r.out.isEmpty());

    const Run missing = run(m_dir.path(), { "edid", "edit", "no-such.bin", "--remove-hdr" });
    QCOMPARE(missing.exitCode, 3);
}

void TestEdidEditCli::dryRunShowsTheChangedBlocks()
{
    QVERIFY(TestFiles::writeFile(
        path(QStringLiteral("receiver.bin")), named(QStringLiteral("avr-receiver"))));
    QFile::remove(path(QStringLiteral("dry.bin")));
    Run r = run(m_dir.path(),
        { "edid", "edit", "receiver.bin", "--dry-run", "--remove-audio", "dts,dtshd", "--name",
            "AV room", "-o", "dry.bin" });
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!QFile::exists(path(QStringLiteral("dry.bin"))));
    const QString out = QString::fromUtf8(r.out);
    QVERIFY2(
        out.startsWith(QStringLiteral("--remove-audio dts: block 1\n--remove-audio dtshd: block "
                                      "1\n--name AV room: block 0\n--- block 0 before\n")),
        qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("  Display name: SONY AVSYSTEM\n")));
    QVERIFY(out.contains(QStringLiteral("+++ block 0 after\nBlock 0: base EDID 1.3")));
    QVERIFY(out.contains(QStringLiteral("  Display name: AV room\n")));
    const int after = int(out.indexOf(QStringLiteral("+++ block 1 after")));
    QVERIFY(after > 0);
    QVERIFY(out.left(after).contains(QStringLiteral("Audio: DTS-HD")));
    QVERIFY(!out.mid(after).contains(QStringLiteral("Audio: DTS")));
    QVERIFY(out.mid(after).contains(QStringLiteral("Block 1 checksum: good")));

    r = run(m_dir.path(),
        { "--json", "edid", "edit", "receiver.bin", "--dry-run", "--speakers", "FL/FR" });
    QCOMPARE(r.exitCode, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(o.value(QStringLiteral("edits")).toArray().first().toString(),
        QStringLiteral("--speakers FL/FR: block 1"));
    const QJsonObject block = o.value(QStringLiteral("blocks")).toArray().first().toObject();
    QCOMPARE(block.value(QStringLiteral("block")).toInt(), 1);
    QVERIFY(block.value(QStringLiteral("after"))
                .toArray()
                .contains(QStringLiteral("  Speakers: FL/FR")));
}

// The box takes 256 bytes: an edited table of more blocks is refused whole, not cut.
void TestEdidEditCli::longTableIsNotUploadedCutShort()
{
    QVERIFY(TestFiles::writeFile(
        path(QStringLiteral("big.bin")), named(QStringLiteral("monitor-384-displayid"))));
    QCOMPARE(
        run(m_dir.path(), { "edid", "edit", "big.bin", "--name", "Big", "-o", "big.txt" }).exitCode,
        0);
    const QString trace = path(QStringLiteral("trace.txt"));
    for (const auto &[file, message] :
        { std::make_pair("big.bin", "big.bin holds 384 bytes, and the box's EDID is 256"),
            std::make_pair("big.txt", "big.txt holds more than 1024 bytes") }) {
        const Run r = run(m_dir.path(),
            { "--simulate", QStringLiteral("--trace=") + trace, "edid", "write", file });
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.contains(message), r.err);
        QVERIFY(!TestFiles::readFile(trace).contains("> "));
    }
}

QTEST_GUILESS_MAIN(TestEdidEditCli)
#include "tst_edid_edit_cli.moc"
