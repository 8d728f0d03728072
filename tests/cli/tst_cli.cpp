// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zelvarinctl as scripts see it: exit status, standard output, the JSON, and the frames the
// simulated box received as the --trace file records them.
#include "box/SettingsPreset.h"
#include "tests/support/CliRun.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Run = CliRun;

class TestCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    Run run(const QStringList &args) { return runZelvarinctl(m_dir.path(), args); }

    static QStringList writes(const Run &r)
    {
        return r.requests.filter(QRegularExpression(QStringLiteral("^10 ")));
    }

    static void checkMessages(const Run &r)
    {
        for (const QByteArray &line : r.err.split('\n')) {
            if (!line.isEmpty())
                QVERIFY2(line.startsWith("zelvarinctl: "), line.constData());
        }
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void commands_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("expectedWrites"); // every write frame, in order
        QTest::addColumn<QString>("stdoutHas");

        const auto row = [](const char *name, const char *args, int code, QStringList frames,
                             const char *out = "") {
            QTest::newRow(name) << QString::fromLatin1(args).split(
                QLatin1Char(' '), Qt::SkipEmptyParts)
                                << code << frames << QString::fromLatin1(out);
        };
        // Successes write exactly the window's frames.
        row("set input", "set input=port-b", 0, { "10 04 E0 00 02" });
        row("set several in order", "set auto-switch=off hdcp=1.4 custom-edid=4k60-444", 0,
            { "10 04 E0 01 00", "10 04 E0 03 02", "10 04 E0 0E 05" });
        row("get", "get input hdcp", 0, {}, "port-a\n2.2\n");
        row("reset all", "reset all --yes", 0, { "10 04 E0 19 03" });
        row("reset settings", "reset settings --yes", 0, { "10 04 E0 19 02" });
        row("avi with replace", "infoframe avi 82:02:0d:00 --replace", 0,
            { "10 04 E6 82 02 0D 00", "10 04 B3 80", "10 04 E0 21 01", "10 04 E0 21 01" });
        row("avi", "infoframe avi 82:02:0d:00", 0,
            { "10 04 E6 82 02 0D 00", "10 04 B3 80", "10 04 E0 21 00" });
        row("help", "help set", 0, {}, "Usage: zelvarinctl set");
        // Usage errors: nothing is written.
        row("unknown command", "frobnicate", 2, {});
        row("unknown setting", "set loudness=11", 2, {});
        row("unknown value", "set input=port-c", 2, {});
        row("bad value after good", "set input=port-b hdcp=3.0", 2, {});
        row("not an assignment", "set input", 2, {});
        row("stray argument", "status now", 2, {});
        row("unknown option", "status --colour", 2, {});
        row("reset without yes", "reset all", 2, {});
        row("reset of nothing", "reset everything --yes", 2, {});
        row("cec store slot", "cec store 3 50:04", 2, {});
        row("edid source", "edid read tv-c", 2, {});
        row("help unknown", "help frobnicate", 2, {});
        // Bad data: nothing is written.
        row("hex typo", "cec send 50:0g", 3, {});
        row("one byte", "cec send 50", 3, {});
        row("cec too long",
            "cec send 01:02:03:04:05:06:07:08:09:0a:0b:0c:0d:0e:0f:10:11:12:13:"
            "14:15:16:17:18:19:1a:1b:1c:1d:1e:1f:20",
            3, {});
        row("avi too long", "infoframe avi 01:02:03:04:05:06:07:08:09:0a:0b:0c:0d:0e", 3, {});
        row("edid missing file", "edid write /nonexistent/table.bin", 3, {});
        row("preset missing file", "settings load /nonexistent/preset.json", 3, {});
    }

    void commands()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QStringList, expectedWrites);
        QFETCH(QString, stdoutHas);

        const Run r = run(args);
        QCOMPARE(r.exitCode, exitCode);
        checkMessages(r);
        if (exitCode != 0)
            QVERIFY(!r.err.isEmpty());
        QCOMPARE(writes(r), expectedWrites);
        QVERIFY2(QString::fromLocal8Bit(r.out).contains(stdoutHas), r.out.constData());
    }

    void statusJson()
    {
        const Run r = run({ QStringLiteral("--json"), QStringLiteral("status") });
        QCOMPARE(r.exitCode, 0);
        QVERIFY(writes(r).isEmpty());
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$"))
                    .match(o.value(QStringLiteral("firmware")).toString())
                    .hasMatch());
        const QJsonObject settings = o.value(QStringLiteral("settings")).toObject();
        QCOMPARE(settings.size(), 25);
        QCOMPARE(settings.value(QStringLiteral("input")).toString(), QStringLiteral("port-a"));
        const QJsonObject signal = o.value(QStringLiteral("signal")).toObject();
        for (const char *key : { "source", "video", "colour", "hdr", "hdr_infoframe" })
            QVERIFY2(signal.value(QLatin1String(key)).isString(), key);
        QVERIFY(o.value(QStringLiteral("busy")).isBool());
    }

    // A preset saved from one box, edited, and loaded into a fresh one writes only the change.
    void presetRoundTrip()
    {
        const QString file = path(QStringLiteral("preset.json"));
        QCOMPARE(run({ QStringLiteral("settings"), QStringLiteral("save"), file }).exitCode, 0);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        SettingsPreset preset;
        QString why;
        const QByteArray saved = f.readAll();
        f.close();
        QVERIFY2(SettingsPreset::fromJson(saved, preset, &why), qPrintable(why));
        QCOMPARE(preset.entries.size(), 25);

        QCOMPARE(writes(run({ QStringLiteral("settings"), QStringLiteral("load"), file })),
            QStringList());
        QByteArray edited = saved;
        edited.replace("\"input\": \"port-a\"", "\"input\": \"port-b\"");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(edited);
        f.close();
        const Run loaded = run({ QStringLiteral("settings"), QStringLiteral("load"), file });
        QCOMPARE(loaded.exitCode, 0);
        QCOMPARE(writes(loaded), QStringList { QStringLiteral("10 04 E0 00 02") });
    }

    void corruptPresetChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("edit"); // replaces the input entry
        QTest::addColumn<QString>("named");
        QTest::newRow("bad value") << QByteArray("\"input\": \"port-z\"") << "input";
        QTest::newRow("unknown name") << QByteArray("\"loudness\": \"on\"") << "loudness";
        QTest::newRow("not json") << QByteArray("\"input\": ") << "JSON";
    }

    void corruptPresetChangesNothing()
    {
        QFETCH(QByteArray, edit);
        QFETCH(QString, named);
        const QString file = path(QStringLiteral("corrupt.json"));
        QCOMPARE(run({ QStringLiteral("settings"), QStringLiteral("save"), file }).exitCode, 0);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray data = f.readAll();
        f.close();
        // A good change first, so a load that wrote before checking would show in the trace.
        data.replace("\"hdcp\": \"2.2\"", "\"hdcp\": \"1.4\"");
        data.replace("\"input\": \"port-a\"", edit);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
        f.close();
        const Run r = run({ QStringLiteral("settings"), QStringLiteral("load"), file });
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.contains(named.toLatin1()), r.err.constData());
        QVERIFY(writes(r).isEmpty());
    }

    void edidFiles()
    {
        const QString bin = path(QStringLiteral("box.bin"));
        const QString hex = path(QStringLiteral("box.txt"));
        QCOMPARE(run({ QStringLiteral("edid"), QStringLiteral("read"), QStringLiteral("-o"), bin })
                     .exitCode,
            0);
        QCOMPARE(QFileInfo(bin).size(), 256);
        QCOMPARE(run({ QStringLiteral("edid"), QStringLiteral("check"), bin }).exitCode, 0);

        const QString bad
            = QStringLiteral(ZELVARIN_TEST_DATA "/edid/projector-bad-cta-checksum.bin");
        const Run check = run({ QStringLiteral("edid"), QStringLiteral("check"), bad });
        QCOMPARE(check.exitCode, 3);
        QVERIFY(check.out.contains("block 0: checksum"));
        QVERIFY(check.out.contains("block 1: checksum"));
        QVERIFY(check.out.contains("not correct, should be"));
        QCOMPARE(
            run({ QStringLiteral("edid"), QStringLiteral("fix"), bad, QStringLiteral("-o"), hex })
                .exitCode,
            0);
        QCOMPARE(run({ QStringLiteral("edid"), QStringLiteral("check"), hex }).exitCode, 0);
        QCOMPARE(QFileInfo(hex).size(), 768);

        // A table with a bad checksum is refused before anything is written.
        const Run refused = run({ QStringLiteral("edid"), QStringLiteral("write"), bad });
        QCOMPARE(refused.exitCode, 3);
        QCOMPARE(writes(refused), QStringList());

        // What is no EDID table at all is refused as the window's Load refuses it.
        const QString picture = path(QStringLiteral("picture.bin"));
        QFile f(picture);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(256, '\0'));
        f.close();
        const Run notEdid = run({ QStringLiteral("edid"), QStringLiteral("write"), picture });
        QCOMPARE(notEdid.exitCode, 3);
        QVERIFY2(notEdid.err.contains("neither an EDID table"), notEdid.err.constData());
        QCOMPARE(writes(notEdid), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
