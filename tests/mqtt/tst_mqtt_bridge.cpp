// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The MQTT bridge against a real Mosquitto broker started by the test, with a box client on the
// simulated box behind it, watched and commanded by a second MQTT client.
#include "protocol/SettingsTable.h"
#include "tests/mqtt/MosquittoBroker.h"
#include "tests/mqtt/MqttProbe.h"
#include "tests/mqtt/SimBridgedBox.h"
#include "zelvarind/mqtt/MqttBridge.h"
#include "zelvarind/mqtt/MqttConfig.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>

#include <memory>

namespace {

const QString BRIDGE_USER = QStringLiteral("bridge");
const QString BRIDGE_PASSWORD = QStringLiteral("correct-horse-7");
const QString WATCHER = QStringLiteral("watcher");
const QString WATCHER_PASSWORD = QStringLiteral("watch-only-3");
const QString BOX = QStringLiteral("zelvarin/2023/");
const QString BRIDGE_ONLINE = QStringLiteral("zelvarin/bridge/test-bridge/availability");

using Messages = QList<MqttProbe::Message>;

Messages withPrefix(const Messages &all, const QString &prefix)
{
    Messages out;
    for (const MqttProbe::Message &m : all) {
        if (m.topic.startsWith(prefix))
            out << m;
    }
    return out;
}

// Whether `topic` carried `first` and, later, `then`.
bool sawInOrder(
    const Messages &all, const QString &topic, const QByteArray &first, const QByteArray &then)
{
    bool seenFirst = false;
    for (const MqttProbe::Message &m : all) {
        if (m.topic != topic)
            continue;
        if (m.payload == first)
            seenFirst = true;
        else if (seenFirst && m.payload == then)
            return true;
    }
    return false;
}

} // namespace

class TestMqttBridge : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MosquittoBroker> broker;
    std::unique_ptr<SimBridgedBox> box;
    std::unique_ptr<MqttBridge> bridge;
    QStringList logs;
    qint64 now = 0;

    void startBroker(bool tls = false)
    {
        broker = std::make_unique<MosquittoBroker>(dir->path());
        QString error;
        QVERIFY2(broker->addUser(BRIDGE_USER, BRIDGE_PASSWORD, &error), qPrintable(error));
        QVERIFY2(broker->addUser(WATCHER, WATCHER_PASSWORD, &error), qPrintable(error));
        if (tls)
            QVERIFY2(broker->useTls(&error), qPrintable(error));
        QVERIFY2(broker->start(&error), qPrintable(error));
    }

    // The bridge as the service makes it: from a configuration file with a password file.
    void startBridge(const QByteArray &extra = {}, const QString &password = BRIDGE_PASSWORD,
        const QByteArray &broker = {})
    {
        bridge.reset();
        QFile secret(dir->filePath(QStringLiteral("secret")));
        QVERIFY(secret.open(QIODevice::WriteOnly | QIODevice::Truncate));
        secret.write(password.toUtf8() + '\n');
        secret.close();
        QVERIFY(secret.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        QFile conf(dir->filePath(QStringLiteral("zelvarind.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly | QIODevice::Truncate));
        conf.write("[mqtt]\nbroker = "
            + (broker.isEmpty() ? "mqtt://127.0.0.1:" + QByteArray::number(this->broker->port())
                                : broker)
            + "\nclient_id = test-bridge\nuser = bridge\npassword_file = secret\n" + extra);
        conf.close();

        MqttConfig config;
        QString error;
        QSettings settings(conf.fileName(), QSettings::IniFormat);
        QVERIFY2(MqttConfig::read(settings, config, &error), qPrintable(error));
        bridge = std::make_unique<MqttBridge>(config);
        bridge->setLogger([this](const QString &line) { logs << line; });
        bridge->setClock([this] { return now; });
        bridge->setRetryDelays(50, 400);
        QVERIFY2(bridge->start(&error), qPrintable(error));
        bridge->addBox(box.get());
    }

    std::unique_ptr<MqttProbe> probe(const QStringList &filters = { QStringLiteral("#") })
    {
        auto p = std::make_unique<MqttProbe>(broker->port(), WATCHER, WATCHER_PASSWORD);
        QString error;
        if (!p->connect(&error))
            qWarning("probe: %s", qPrintable(error));
        for (const QString &filter : filters)
            p->subscribe(filter);
        // Subscribed for certain before the test goes on.
        if (!p->sync())
            qWarning("probe: no sync");
        return p;
    }

    // What a client that subscribes now is handed: the retained messages.
    Messages retained(const QString &filter = QStringLiteral("#"))
    {
        return probe({ filter })->messages();
    }

    QStringList logsWith(const QString &text) const { return logs.filter(text); }

private Q_SLOTS:
    void initTestCase()
    {
        const QString missing = MosquittoBroker::missingTools();
        if (!missing.isEmpty())
            QFAIL(qPrintable(missing));
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        logs.clear();
        now = 0;
        box = std::make_unique<SimBridgedBox>();
        QVERIFY(box->poll());
        box->sim().clearReceivedFrames();
        startBroker(QByteArray(QTest::currentTestFunction()) == "tlsWithTheTestsOwnCa");
    }

    void cleanup()
    {
        // A failure comes with what the bridge and the broker said.
        if (QTest::currentTestFailed() || qEnvironmentVariableIsSet("ZELVARIN_MQTT_TEST_LOGS")) {
            for (const QString &line : std::as_const(logs))
                qInfo("bridge: %s", qPrintable(line));
            if (broker)
                qInfo("broker: %s", broker->log().constData());
        }
        bridge.reset();
        broker.reset();
        box.reset();
        dir.reset();
    }

    // One device with every entity, each config valid JSON with the keys Home Assistant needs,
    // every state it points at retained, every select's value among its options.
    void discoveryDescribesOneDevice()
    {
        startBridge();
        const auto watcher = probe();
        QVERIFY(watcher->waitFor(BRIDGE_ONLINE, "online"));
        const Messages all = retained();
        const Messages configs = withPrefix(all, QStringLiteral("homeassistant/"));
        QCOMPARE(configs.size(), Settings::COUNT + 5 + 2);

        QHash<QString, QByteArray> state;
        for (const MqttProbe::Message &m : all) {
            QVERIFY2(m.retained, qPrintable(m.topic));
            state.insert(m.topic, m.payload);
        }
        static const QRegularExpression topicPattern(QStringLiteral(
            "^homeassistant/(select|switch|sensor|button)/zelvarin_2023/[A-Za-z0-9_-]+/config$"));
        QSet<QString> uniqueIds, stateTopics;
        QMap<QString, int> components;
        for (const MqttProbe::Message &m : configs) {
            const QRegularExpressionMatch match = topicPattern.match(m.topic);
            QVERIFY2(match.hasMatch(), qPrintable(m.topic));
            const QString component = match.captured(1);
            ++components[component];
            QJsonParseError error;
            const QJsonObject c = QJsonDocument::fromJson(m.payload, &error).object();
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(m.topic));
            QVERIFY(!c.value(QLatin1String("name")).toString().isEmpty());
            const QString uid = c.value(QLatin1String("unique_id")).toString();
            QVERIFY2(!uid.isEmpty() && !uniqueIds.contains(uid), qPrintable(uid));
            uniqueIds.insert(uid);

            const QJsonObject device = c.value(QLatin1String("device")).toObject();
            QCOMPARE(device.value(QLatin1String("identifiers")).toArray(),
                QJsonArray { QStringLiteral("zelvarin_2023") });
            QCOMPARE(
                device.value(QLatin1String("serial_number")).toString(), QStringLiteral("2023"));
            QCOMPARE(
                device.value(QLatin1String("sw_version")).toString(), QStringLiteral("2.1.0.17"));
            QVERIFY(!device.value(QLatin1String("model")).toString().isEmpty());
            for (const QJsonValue &a : c.value(QLatin1String("availability")).toArray())
                QCOMPARE(state.value(a.toObject().value(QLatin1String("topic")).toString()),
                    QByteArray("online"));

            const QString stateTopic = c.value(QLatin1String("state_topic")).toString();
            const QString commandTopic = c.value(QLatin1String("command_topic")).toString();
            if (component != QLatin1String("button")) {
                QVERIFY2(state.contains(stateTopic), qPrintable(m.topic + " " + stateTopic));
                stateTopics.insert(stateTopic);
            }
            if (component != QLatin1String("sensor"))
                QVERIFY2(commandTopic.startsWith(BOX), qPrintable(m.topic));
            const QByteArray value = state.value(stateTopic);
            if (component == QLatin1String("select")) {
                QVERIFY(
                    c.value(QLatin1String("options")).toArray().contains(QString::fromUtf8(value)));
                QCOMPARE(commandTopic, stateTopic + QStringLiteral("/set"));
            } else if (component == QLatin1String("switch")) {
                QCOMPARE(c.value(QLatin1String("payload_on")).toString(), QStringLiteral("on"));
                QVERIFY(value == "on" || value == "off");
            } else if (component == QLatin1String("button")) {
                QVERIFY(!c.value(QLatin1String("payload_press")).toString().isEmpty());
            }
        }
        // Every setting has its entity.
        for (const Settings::Setting &s : Settings::all())
            QVERIFY2(stateTopics.contains(BOX + QStringLiteral("setting/") + QLatin1String(s.name)),
                s.name);
        QCOMPARE(components.value(QStringLiteral("sensor")), 5);
        QCOMPARE(components.value(QStringLiteral("button")), 2);
        QCOMPARE(state.value(BOX + QStringLiteral("firmware")), QByteArray("2.1.0.17"));
        QCOMPARE(state.value(BOX + QStringLiteral("setting/input")), QByteArray("port-a"));
        QVERIFY(!state.value(BOX + QStringLiteral("signal/video")).isEmpty());

        // Home Assistant, started again, says so; discovery goes out again.
        const QString config = configs.first().topic;
        watcher->publish(config, QByteArray(), true);
        QVERIFY(watcher->waitFor(config, QByteArray()));
        watcher->publish(QStringLiteral("homeassistant/status"), "online");
        QVERIFY(watcher->waitFor(config, configs.first().payload));
    }

    // A command on the broker becomes the frames the CLI sends; what the box then reports, or
    // changes by itself, is published and retained.
    void commandsReachTheBoxAndChangesComeBack()
    {
        startBridge();
        const auto watcher = probe();
        QVERIFY(watcher->waitFor(BRIDGE_ONLINE, "online"));
        // The TV-on button as Home Assistant would press it.
        const QJsonObject button = QJsonDocument::fromJson(
            *watcher->last(QStringLiteral("homeassistant/button/zelvarin_2023/tv-on/config")))
                                       .object();
        const struct
        {
            QString topic;
            QByteArray payload;
            QStringList frames;
        } rows[] = {
            { BOX + "setting/input/set", "port-b", { "10 04 E0 00 02" } },
            { BOX + "setting/auto-switch/set", "off", { "10 04 E0 01 00" } },
            { BOX + "setting/edid-5.1/set", "on\n", { "10 04 E0 09 01" } },
            { button.value(QLatin1String("command_topic")).toString(),
                button.value(QLatin1String("payload_press")).toString().toUtf8(),
                { "10 03 B2 50 01 04", "10 03 B3 10" } },
            { BOX + "cec/send", "54:44:01", { "10 04 B2 54 02 44 01", "10 04 B3 10" } },
        };
        for (const auto &row : rows) {
            box->sim().clearReceivedFrames();
            watcher->publish(row.topic, row.payload);
            QVERIFY2(QTest::qWaitFor([&] { return !box->writeFrames().isEmpty(); }),
                qPrintable(row.topic));
            QCOMPARE(box->writeFrames(), row.frames);
        }
        QVERIFY(watcher->waitFor(BOX + "setting/input", "port-b"));
        QVERIFY(watcher->waitFor(BOX + "setting/edid-5.1", "on"));

        // The box switches by itself; the next poll sees it.
        box->sim().statusBlock()[Settings::setting(Settings::Id::Input).position] = 3;
        QVERIFY(box->poll());
        QVERIFY(watcher->waitFor(BOX + "setting/input", "matrix-thru"));
        const Messages later = retained(BOX + "setting/input");
        QCOMPARE(later.size(), 1);
        QVERIFY(later.first().retained);
        QCOMPARE(later.first().payload, QByteArray("matrix-thru"));
        QVERIFY(logsWith(QStringLiteral("ignored")).isEmpty());
    }

    // Nothing a stranger publishes reaches the box unless it is a valid command; each fault is
    // logged, and the same fault again within a minute only counted.
    void badPayloadsSendNothing()
    {
        auto watcher = probe();
        // Published once, long ago, with the retain flag: handed to the bridge when it subscribes.
        watcher->publish(BOX + "setting/input/set", "port-b", true);
        QVERIFY(watcher->sync());
        startBridge();
        QVERIFY(watcher->waitFor(BRIDGE_ONLINE, "online"));

        const QList<QPair<QString, QByteArray>> bad = {
            { BOX + "setting/volume/set", "10" },
            { BOX + "setting/input/set", "port-z" },
            { BOX + "setting/input/set", QByteArray(1 << 20, 'a') },
            { BOX + "setting/input/set", "port-\xff\xfe" },
            { BOX + "cec/send", "50-04" },
            { BOX + "cec/send", QByteArray("50") + QByteArray(":04").repeated(31) },
            { BOX + "cec/send", "50" },
            { BOX + "setting/volume/set", "11" },
        };
        for (const auto &[topic, payload] : bad)
            watcher->publish(topic, payload);
        // Commands from one client arrive in order: once this one is done, so are those before.
        watcher->publish(BOX + "setting/auto-switch/set", "off");
        QVERIFY(QTest::qWaitFor([&] { return !box->writeFrames().isEmpty(); }));
        QCOMPARE(box->writeFrames(), QStringList { "10 04 E0 01 00" });

        for (const char *fault :
            { "a retained command", "unknown setting \"volume\"", "input does not take \"port-z\"",
                "a payload of 1048576 bytes", "not UTF-8", "\"50-04\" is not hex bytes" })
            QVERIFY2(logsWith(QLatin1String(fault)).size() == 1, fault);
        // One line per sort of fault: the second unknown setting and the other two bad CEC
        // messages are held back.
        QCOMPARE(logsWith(QStringLiteral("nothing was sent to the box")).size(), 6);

        now += 61000;
        watcher->publish(BOX + "setting/volume/set", "12");
        QVERIFY(QTest::qWaitFor(
            [&] { return logsWith(QStringLiteral("1 more like it")).size() == 1; }));
        QVERIFY(
            logsWith(QStringLiteral("1 more like it")).first().contains(QLatin1String("volume")));
        QCOMPARE(box->writeFrames(), QStringList { "10 04 E0 01 00" });
        watcher->publish(BOX + "setting/input/set", QByteArray(), true);
    }

    // A wrong password: a clear line, attempts again after growing delays, the password nowhere.
    void wrongPasswordRetriesWithBackoff()
    {
        box->sim().clearReceivedFrames();
        startBridge({}, QStringLiteral("not-the-password-5"));
        QSignalSpy lost(&bridge->client(), &MqttClient::connectionLost);
        QVERIFY(QTest::qWaitFor([&] { return lost.size() >= 5; }, 20000));
        QList<int> delays;
        for (const QList<QVariant> &args : lost) {
            delays << args.at(1).toInt();
            QVERIFY2(args.at(0).toString().contains(QLatin1String("refused user \"bridge\"")),
                qPrintable(args.at(0).toString()));
        }
        QCOMPARE(delays.mid(0, 5), (QList<int> { 50, 100, 200, 400, 400 }));
        QVERIFY(!bridge->isConnected());
        QVERIFY(!logsWith(QStringLiteral("password_file")).isEmpty());
        for (const QString &line : logs) {
            QVERIFY2(!line.contains(QLatin1String("not-the-password-5")), qPrintable(line));
            QVERIFY2(!line.contains(BRIDGE_PASSWORD), qPrintable(line));
        }
        QVERIFY(retained(QStringLiteral("zelvarin/#")).isEmpty());
    }

    // The broker goes away and comes back without its retained messages: the bridge reconnects
    // and publishes everything again, including what changed meanwhile.
    void brokerRestartRepublishes()
    {
        startBridge();
        QSignalSpy changes(bridge.get(), &MqttBridge::connectionChanged);
        QVERIFY(probe()->waitFor(BRIDGE_ONLINE, "online"));
        broker->stop();
        QVERIFY(QTest::qWaitFor([&] { return !bridge->isConnected(); }));
        box->sim().statusBlock()[Settings::setting(Settings::Id::Input).position] = 4;
        QVERIFY(box->poll());
        QString error;
        QVERIFY2(broker->start(&error), qPrintable(error));
        QVERIFY(QTest::qWaitFor([&] { return bridge->isConnected(); }));
        QVERIFY(probe()->waitFor(BRIDGE_ONLINE, "online"));

        const Messages all = retained();
        QCOMPARE(withPrefix(all, QStringLiteral("homeassistant/")).size(), Settings::COUNT + 7);
        QHash<QString, QByteArray> state;
        for (const MqttProbe::Message &m : all)
            state.insert(m.topic, m.payload);
        QCOMPARE(state.value(BOX + "setting/input"), QByteArray("matrix-swap"));
        QCOMPARE(state.value(BOX + "availability"), QByteArray("online"));
        QVERIFY(changes.size() >= 2);
    }

    // A box that stops answering, or goes from the service, is offline until it is back.
    void lostBoxIsOfflineUntilBack()
    {
        startBridge();
        const auto watcher = probe();
        QVERIFY(watcher->waitFor(BOX + "availability", "online"));
        box->sim().setSilent(true);
        QVERIFY(!box->poll());
        QVERIFY(watcher->waitFor(BOX + "availability", "offline"));
        QCOMPARE(watcher->last(BRIDGE_ONLINE), std::optional<QByteArray>("online"));
        box->sim().setSilent(false);
        QVERIFY(box->poll());
        QVERIFY(watcher->waitFor(BOX + "availability", "online"));

        bridge->removeBox(box.get());
        QVERIFY(watcher->waitFor(BOX + "availability", "offline"));
        watcher->publish(BOX + "setting/input/set", "port-b");
        QVERIFY(
            QTest::qWaitFor([&] { return !logsWith(QStringLiteral("not connected")).isEmpty(); }));
        QVERIFY(box->writeFrames().isEmpty());
        bridge->addBox(box.get());
        QVERIFY(watcher->waitFor(BOX + "availability", "online"));
    }

    // A connection that dies without a goodbye: the broker publishes the will, the bridge comes
    // back and says online again.
    void willMarksADeadConnection()
    {
        startBridge();
        const auto watcher = probe();
        QVERIFY(watcher->waitFor(BRIDGE_ONLINE, "online"));
        ::shutdown(bridge->client().socketDescriptor(), SHUT_RDWR);
        QVERIFY(QTest::qWaitFor(
            [&] { return sawInOrder(watcher->messages(), BRIDGE_ONLINE, "offline", "online"); }));
    }

    // TLS with a certificate authority the test made; without it the broker is not trusted.
    void tlsWithTheTestsOwnCa()
    {
        const QByteArray url = "mqtts://127.0.0.1:" + QByteArray::number(broker->tlsPort());
        startBridge("ca_file = " + broker->caFile().toUtf8() + '\n', BRIDGE_PASSWORD, url);
        QVERIFY(QTest::qWaitFor([&] { return bridge->isConnected(); }));
        QVERIFY(probe()->waitFor(BOX + "setting/input", "port-a"));

        startBridge({}, BRIDGE_PASSWORD, url);
        QSignalSpy lost(&bridge->client(), &MqttClient::connectionLost);
        QVERIFY(QTest::qWaitFor([&] { return lost.size() >= 2; }));
        QVERIFY2(lost.first().at(0).toString().contains(QLatin1String("TLS")),
            qPrintable(lost.first().at(0).toString()));
        QVERIFY(!bridge->isConnected());
    }

    // A box left out of the configuration loses its entities: empty retained configs.
    void boxLeftOutIsRemoved()
    {
        startBridge();
        QVERIFY(probe()->waitFor(BRIDGE_ONLINE, "online"));
        QCOMPARE(
            withPrefix(retained(), QStringLiteral("homeassistant/")).size(), Settings::COUNT + 7);
        bridge.reset();

        const auto watcher = probe();
        startBridge("boxes = 9999:kitchen\n");
        QVERIFY(QTest::qWaitFor([&] {
            return retained(QStringLiteral("homeassistant/#")).isEmpty()
                && retained(QStringLiteral("zelvarin/2023/#")).isEmpty();
        }));
        QVERIFY(!logsWith(QStringLiteral("no longer in [mqtt] boxes")).isEmpty());
        QVERIFY(!logsWith(QStringLiteral("\"2023\" is not in [mqtt] boxes")).isEmpty());
        // The removal was empty retained messages on each config topic.
        int emptied = 0;
        for (const MqttProbe::Message &m : watcher->messages())
            emptied += m.topic.startsWith(QLatin1String("homeassistant/")) && m.payload.isEmpty();
        QCOMPARE(emptied, Settings::COUNT + 7);
    }
};

QTEST_GUILESS_MAIN(TestMqttBridge)
#include "tst_mqtt_bridge.moc"
