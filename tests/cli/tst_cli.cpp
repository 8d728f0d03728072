// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zelvarinctl as scripts see it: exit status, standard output, the JSON, and the frames the
// simulated box received as the --trace file records them.
#include "box/SettingsPreset.h"
#include "tests/support/CliRun.h"
#include "tests/support/JsonSchemaCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Run = CliRun;

class TestCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    JsonSchemaCheck m_json; // every JSON answer below, checked at the end

    QString path(const QString &name) const { return m_dir.filePath(name); }

    Run run(const QStringList &args)
    {
        const Run r = runZelvarinctl(m_dir.path(), args);
        m_json.add(args, r);
        return r;
    }

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

    // Every JSON answer of this test conforms to the schema the package ships for it.
    void cleanupTestCase()
    {
        QVERIFY(m_json.count() >= 8);
        const QString problems = m_json.problems();
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

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
        // The USB values are checked with the simulated box too, and by commands without a box.
        row("usb id with simulate", "--usb-id x status", 2, {});
        row("usb option with simulate", "--usb-option colour=1 status", 2, {});
        row("usb id without a box", "--usb-id x cec decode 40:04", 2, {});
        // A trace target that opens but takes no writes.
        row("trace to a full disk", "--trace=/dev/full status", 2, {});
        // Global options after the command, as most users type them.
        row("json after the command", "get input --json", 0, {}, "\"input\": \"port-a\"");
        row("serial after the command", "set input=port-b --serial 2023", 0, { "10 04 E0 00 02" });
        row("serial after the command without a value", "status --serial", 2, {});
        row("option of another command", "status --yes", 2, {});
        row("help after the command", "reset all --help", 0, {}, "Usage: zelvarinctl reset");
        row("version after the command", "status --version", 0, {}, "zelvarinctl ");
        row("help for a subcommand", "help edid read", 0, {}, "Usage: zelvarinctl edid read");
        row("help for an unknown subcommand", "help edid frobnicate", 2, {});
        row("help for too many words", "help edid read box", 2, {});
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

    // `help COMMAND [SUBCOMMAND]` says what `COMMAND [SUBCOMMAND] --help` says.
    void helpWordsAndHelpOption()
    {
        for (const QStringList &words : { QStringList { "status" }, QStringList { "edid", "read" },
                 QStringList { "cec", "decode" } }) {
            const Run asked = run(QStringList { "help" } + words);
            const Run option = run(words + QStringList { "--help" });
            QCOMPARE(asked.exitCode, 0);
            QCOMPARE(option.exitCode, 0);
            QVERIFY(!asked.out.isEmpty());
            QCOMPARE(asked.out, option.out);
            QVERIFY(!option.boxTouched);
        }
    }

    // The JSON of every command carries its format version first; the keys the program defines
    // are snake_case, the setting names stay as typed (the schemas check both at the end).
    void jsonAnswers()
    {
        const Run status = run({ "status", "--json" });
        QCOMPARE(status.exitCode, 0);
        QVERIFY2(status.out.startsWith("{\n    \"format_version\": 2,\n"), status.out.constData());
        const QJsonObject o = QJsonDocument::fromJson(status.out).object();
        QVERIFY(o.value("settings").toObject().contains("audio-source"));
        QVERIFY(o.value("signal")
                    .toObject()
                    .value("hdr_infoframe_decoded")
                    .toObject()
                    .contains("max_cll"));
        const QString table = QStringLiteral(ZELVARIN_TEST_DATA "/edid/tv-hdr-600mhz.bin");
        for (const QStringList &args : { QStringList { "--json", "get", "input", "edid-5.1" },
                 QStringList { "--json", "list" }, QStringList { "--json", "edid", "check", table },
                 QStringList { "--json", "edid", "decode", table },
                 QStringList { "--json", "cec", "decode", "40:04" },
                 QStringList { "--json", "infoframe", "decode", "87:01:1a:00:02:00:34:21" },
                 QStringList { "--json", "infoframe", "decode", "--type", "avi", "50:a8:00:61" } })
            QCOMPARE(run(args).exitCode, 0);
    }

    // watch prints one compact object per line, each with the time and its offset from UTC.
    void watchJsonLines()
    {
        QProcess p;
        p.start(
            QStringLiteral(ZELVARINCTL), { "--simulate", "watch", "--json", "--interval", "100" });
        QVERIFY(p.waitForStarted());
        QByteArray lines;
        while (!lines.contains('\n') && p.waitForReadyRead(30000))
            lines += p.readAllStandardOutput();
        p.terminate(); // SIGTERM: the watch's normal end
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        lines += p.readAllStandardOutput();
        QVERIFY(lines.startsWith("{\"format_version\":2,"));
        const QJsonObject first = QJsonDocument::fromJson(lines.left(lines.indexOf('\n'))).object();
        QVERIFY(QRegularExpression(QStringLiteral("[+-]\\d\\d:\\d\\d$"))
                    .match(first.value("time").toString())
                    .hasMatch());
        m_json.add(QStringLiteral("watch"), QStringLiteral("watch --json"), lines);
    }

    // The packet texts at both edges of every length limit, in characters, with the slips a user
    // makes at the end of a text (a trailing colon, a last byte of one digit): the longest text
    // is sent whole, one byte more is refused before the box is touched.
    void packetTextLimits_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("maxBytes");
        // How the load frame of the longest text ends: its last byte, or for the store, which
        // keeps the text itself, its last two characters and the carriage return.
        QTest::addColumn<QString>("frameEnd");
        QTest::newRow("cec send") << QStringList { "cec", "send" } << 31 << " 5E";
        QTest::newRow("cec store") << QStringList { "cec", "store", "1" } << 20 << " 35 33 0D";
        QTest::newRow("hdr infoframe") << QStringList { "infoframe", "hdr" } << 31 << " 5E";
        QTest::newRow("avi infoframe") << QStringList { "infoframe", "avi" } << 13 << " 4C";
    }

    void packetTextLimits()
    {
        QFETCH(QStringList, command);
        QFETCH(int, maxBytes);
        QFETCH(QString, frameEnd);
        const auto bytes = [](int n) {
            QStringList pairs;
            for (int i = 0; i < n; ++i)
                pairs << QStringLiteral("%1").arg(0x40 + i, 2, 16, QLatin1Char('0'));
            return pairs.join(QLatin1Char(':'));
        };
        const QString longest = bytes(maxBytes);
        QCOMPARE(longest.size(), 3 * maxBytes - 1);

        const Run sent = run(command + QStringList { longest });
        QCOMPARE(sent.exitCode, 0);
        QVERIFY2(!writes(sent).isEmpty() && writes(sent).first().endsWith(frameEnd),
            qPrintable(writes(sent).join('\n')));
        QCOMPARE(run(command + QStringList { bytes(2) }).exitCode, 0); // "40:41", 5 characters

        for (const QString &text : { bytes(maxBytes + 1), longest + QLatin1Char(':'),
                 longest + QStringLiteral(":4"), longest.chopped(1), bytes(1),
                 bytes(1) + QLatin1Char(':'), bytes(1) + QStringLiteral(":4"), QString() }) {
            const Run refused = run(command + QStringList { text });
            QVERIFY2(refused.exitCode == 3 || (text.isEmpty() && refused.exitCode == 2),
                qPrintable(text + QStringLiteral(": ") + QString::fromLocal8Bit(refused.err)));
            QVERIFY2(!refused.boxTouched, qPrintable(text));
        }
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
