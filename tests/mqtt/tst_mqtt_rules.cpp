// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The MQTT bridge's rules that need no broker: the [mqtt] configuration, the password file, the
// checks every command payload passes, and the rate limit on the lines they cause.
#include "zelvarind/mqtt/MqttCommand.h"
#include "zelvarind/mqtt/MqttConfig.h"
#include "zelvarind/mqtt/RateLimitedLog.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestMqttRules : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    bool readConfig(const QByteArray &body, MqttConfig &config, QString *error)
    {
        const QString path = dir.filePath(QStringLiteral("zelvarind.conf"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        file.write(body);
        file.close();
        QSettings settings(path, QSettings::IniFormat);
        return MqttConfig::read(settings, config, error);
    }

    QString writeSecret(const QByteArray &content, QFile::Permissions permissions)
    {
        const QString path = dir.filePath(QStringLiteral("secret"));
        QFile file(path);
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        file.write(content);
        file.close();
        file.setPermissions(permissions);
        return path;
    }

private Q_SLOTS:
    void configValues()
    {
        MqttConfig c;
        QString error;
        QVERIFY2(readConfig("[mqtt]\nbroker = mqtts://broker.lan\nuser = zelvarin\n"
                            "password_file = secret\nca_file = /etc/ssl/ca.pem\n"
                            "boxes = 2023:living-room, AB.7\ntopic_prefix = home/hdmi\n"
                            "discovery = off\n",
                     c, &error),
            qPrintable(error));
        QVERIFY(c.enabled && c.tls);
        QCOMPARE(c.host, QStringLiteral("broker.lan"));
        QCOMPARE(c.port, 8883);
        QCOMPARE(c.passwordFile, dir.filePath(QStringLiteral("secret"))); // next to the file
        QCOMPARE(c.topicPrefix, QStringLiteral("home/hdmi"));
        QVERIFY(!c.discovery);
        QCOMPARE(c.boxId(QStringLiteral("2023")), QStringLiteral("living-room"));
        QCOMPARE(c.boxId(QStringLiteral("AB.7")), QStringLiteral("AB_7"));
        QCOMPARE(c.boxId(QStringLiteral("4711")), QString()); // left out
        QCOMPARE(MqttConfig::idFromSerial(QStringLiteral("bridge")), QStringLiteral("bridge_"));
        QCOMPARE(MqttConfig::idFromSerial(QString()), QStringLiteral("_"));

        QVERIFY(readConfig("[mqtt]\nbroker = mqtt://10.0.0.2:1884\n", c, &error));
        QCOMPARE(c.port, 1884);
        QVERIFY(c.clientId.startsWith(QLatin1String("zelvarind-")));
        QCOMPARE(c.boxId(QStringLiteral("2023")), QStringLiteral("2023")); // every box
        QCOMPARE(c.discoveryPrefix, QStringLiteral("homeassistant"));

        QVERIFY(readConfig("[other]\nx = 1\n", c, &error));
        QVERIFY(!c.enabled);
        QVERIFY(readConfig("[mqtt]\nbroker = mqtt://h\nenabled = false\n", c, &error));
        QVERIFY(!c.enabled);
    }

    void configRefusals_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("error");
        QTest::newRow("scheme") << QByteArray("broker = http://h") << "broker:";
        QTest::newRow("no host") << QByteArray("broker = mqtt://") << "broker:";
        QTest::newRow("port") << QByteArray("broker = mqtt://h:70000") << "broker:";
        QTest::newRow("password in url")
            << QByteArray("broker = mqtt://u:pw@h") << "password in a file";
        QTest::newRow("typo") << QByteArray("broker = mqtt://h\npasword_file = x")
                              << "pasword_file";
        QTest::newRow("wildcard prefix")
            << QByteArray("broker = mqtt://h\ntopic_prefix = a/+/b") << "topic_prefix";
        QTest::newRow("empty level")
            << QByteArray("broker = mqtt://h\ntopic_prefix = a//b") << "topic_prefix";
        QTest::newRow("system prefix")
            << QByteArray("broker = mqtt://h\ndiscovery_prefix = $SYS") << "discovery_prefix";
        QTest::newRow("client id")
            << QByteArray("broker = mqtt://h\nclient_id = a/b") << "client_id";
        QTest::newRow("password without user")
            << QByteArray("broker = mqtt://h\npassword_file = s") << "needs a \"user\"";
        QTest::newRow("tls files on plain")
            << QByteArray("broker = mqtt://h\nca_file = ca.pem") << "mqtts://";
        QTest::newRow("cert without key")
            << QByteArray("broker = mqtts://h\ncert_file = c.pem") << "go together";
        QTest::newRow("keepalive") << QByteArray("broker = mqtt://h\nkeepalive = 2") << "keepalive";
        QTest::newRow("box id") << QByteArray("broker = mqtt://h\nboxes = 2023:a/b") << "boxes:";
        QTest::newRow("box id of the bridge")
            << QByteArray("broker = mqtt://h\nboxes = 2023:bridge") << "boxes:";
        QTest::newRow("box twice")
            << QByteArray("broker = mqtt://h\nboxes = 2023:a, 2024:a") << "named twice";
        QTest::newRow("enabled word")
            << QByteArray("broker = mqtt://h\nenabled = maybe") << "enabled";
        QTest::newRow("enabled, no broker") << QByteArray("enabled = true") << "no broker";
    }

    void configRefusals()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, error);
        MqttConfig c;
        c.port = 4242;
        QString message;
        QVERIFY(!readConfig("[mqtt]\n" + body + '\n', c, &message));
        QVERIFY2(message.startsWith(QLatin1String("[mqtt] ")) && message.contains(error),
            qPrintable(message));
        QCOMPARE(c.port, 4242); // untouched
        QVERIFY(!message.contains(QLatin1String(":pw@")));
    }

    void passwordFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("permissions");
        QTest::addColumn<QByteArray>("password"); // empty: refused
        QTest::addColumn<QString>("error");
        const int owner = int(QFile::ReadOwner | QFile::WriteOwner);
        QTest::newRow("owner only")
            << QByteArray("s3cret\n") << owner << QByteArray("s3cret") << "";
        QTest::newRow("crlf, second line")
            << QByteArray("s3cret\r\nmore\n") << owner << QByteArray("s3cret") << "";
        QTest::newRow("group reads") << QByteArray("s3cret\n") << (owner | int(QFile::ReadGroup))
                                     << QByteArray() << "chmod 600";
        QTest::newRow("others read") << QByteArray("s3cret\n") << (owner | int(QFile::ReadOther))
                                     << QByteArray() << "chmod 600";
        QTest::newRow("others write") << QByteArray("s3cret\n") << (owner | int(QFile::WriteOther))
                                      << QByteArray() << "chmod 600";
        QTest::newRow("empty") << QByteArray("\n") << owner << QByteArray() << "no password";
        QTest::newRow("huge") << QByteArray(10000, 's') << owner << QByteArray() << "too long";
    }

    void passwordFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, permissions);
        QFETCH(QByteArray, password);
        QFETCH(QString, error);
        const QString path = writeSecret(content, QFile::Permissions(permissions));
        QByteArray read;
        QString message;
        QCOMPARE(MqttConfig::readPassword(path, read, &message), !password.isEmpty());
        if (password.isEmpty()) {
            QVERIFY2(message.contains(error) && message.contains(path), qPrintable(message));
            QVERIFY(!message.contains(QLatin1String("s3cret")));
        } else {
            QCOMPARE(read, password);
        }
        QVERIFY(!MqttConfig::readPassword(dir.filePath(QStringLiteral("none")), read, &message));
    }

    void commands_data()
    {
        QTest::addColumn<QString>("subtopic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("retained");
        QTest::addColumn<QString>("outcome"); // "set NAME VALUE", "cec HEX" or the fault
        QTest::newRow("select") << "setting/input/set" << QByteArray("port-b") << false
                                << "set input port-b";
        QTest::newRow("switch, newline")
            << "setting/auto-switch/set" << QByteArray("off\n") << false << "set auto-switch off";
        QTest::newRow("dotted name")
            << "setting/edid-5.1/set" << QByteArray("on") << false << "set edid-5.1 on";
        QTest::newRow("number for a named value")
            << "setting/input/set" << QByteArray("2") << false << "value";
        QTest::newRow("case") << "setting/input/set" << QByteArray("Port-B") << false << "value";
        QTest::newRow("empty") << "setting/input/set" << QByteArray() << false << "value";
        QTest::newRow("unknown") << "setting/volume/set" << QByteArray("1") << false << "setting";
        QTest::newRow("no such topic")
            << "setting/input" << QByteArray("port-b") << false << "topic";
        QTest::newRow("deeper topic")
            << "setting/input/set/x" << QByteArray("port-b") << false << "topic";
        QTest::newRow("retained") << "setting/input/set" << QByteArray("port-b") << true
                                  << "retained";
        QTest::newRow("oversized")
            << "setting/input/set" << QByteArray(MqttCommand::MAX_PAYLOAD + 1, 'a') << false
            << "oversized";
        QTest::newRow("bad utf-8")
            << "setting/input/set" << QByteArray("on\xc3") << false << "encoding";
        QTest::newRow("overlong utf-8")
            << "setting/input/set" << QByteArray("\xc0\xaf") << false << "encoding";
        QTest::newRow("cec") << "cec/send" << QByteArray("50:04") << false << "cec 50:04";
        QTest::newRow("cec upper")
            << "cec/send" << QByteArray("5B:44:40") << false << "cec 5b:44:40";
        QTest::newRow("cec longest")
            << "cec/send" << QByteArray("50" + QByteArray(":04").repeated(30)) << false
            << "cec 50" + QString(":04").repeated(30);
        QTest::newRow("cec too long")
            << "cec/send" << QByteArray("50" + QByteArray(":04").repeated(31)) << false << "hex";
        QTest::newRow("cec one byte") << "cec/send" << QByteArray("50") << false << "hex";
        QTest::newRow("cec spaces") << "cec/send" << QByteArray("50 04") << false << "hex";
        QTest::newRow("cec run") << "cec/send" << QByteArray("5004") << false << "hex";
        QTest::newRow("cec 0x") << "cec/send" << QByteArray("0x50:0x04") << false << "hex";
        QTest::newRow("cec odd") << "cec/send" << QByteArray("50:4") << false << "hex";
        QTest::newRow("cec trailing colon") << "cec/send" << QByteArray("50:04:") << false << "hex";
        QTest::newRow("cec not hex") << "cec/send" << QByteArray("zz:04") << false << "hex";
    }

    void commands()
    {
        QFETCH(QString, subtopic);
        QFETCH(QByteArray, payload);
        QFETCH(bool, retained);
        QFETCH(QString, outcome);
        const MqttCommand c = MqttCommand::parse(subtopic, payload, retained);
        QString got;
        switch (c.kind) {
        case MqttCommand::Kind::SetSetting:
            got = QStringLiteral("set %1 %2").arg(c.setting, c.value);
            break;
        case MqttCommand::Kind::SendCec:
            got = QStringLiteral("cec ") + c.value;
            break;
        case MqttCommand::Kind::Rejected:
            got = c.fault;
            QVERIFY(!c.reason.isEmpty());
            // Never the whole untrusted payload in a log line.
            QVERIFY(c.reason.size() < 400);
            break;
        }
        QCOMPARE(got, outcome);
    }

    void quotedTextIsTamed()
    {
        QCOMPARE(MqttCommand::quoted(QStringLiteral("on\n\"x\"")),
            QStringLiteral("\"on\\u000a\\u0022x\\u0022\""));
        QCOMPARE(
            MqttCommand::quoted(QString(100, QLatin1Char('a')), 4), QStringLiteral("\"aaaa...\""));
    }

    // One line per kind per minute; the next one counts what was held back.
    void rateLimitedLog()
    {
        qint64 now = 0;
        QStringList lines;
        RateLimitedLog log([&](const QString &line) { lines << line; }, [&] { return now; });
        log.log(QStringLiteral("a"), QStringLiteral("a1"));
        log.log(QStringLiteral("a"), QStringLiteral("a2"));
        log.log(QStringLiteral("b"), QStringLiteral("b1"));
        now += RateLimitedLog::PERIOD_MS - 1;
        log.log(QStringLiteral("a"), QStringLiteral("a3"));
        QCOMPARE(lines, (QStringList { "a1", "b1" }));
        now += 1;
        log.log(QStringLiteral("a"), QStringLiteral("a4"));
        log.log(QStringLiteral("b"), QStringLiteral("b2"));
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(2).startsWith(QLatin1String("a4 (2 more")));
        QCOMPARE(lines.at(3), QStringLiteral("b2"));
    }
};

QTEST_GUILESS_MAIN(TestMqttRules)
#include "tst_mqtt_rules.moc"
