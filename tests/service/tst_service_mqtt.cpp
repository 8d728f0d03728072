// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zelvarind with its MQTT bridge, as a home-automation system meets it: a Mosquitto broker the
// test starts on 127.0.0.1 with a password file, the service on the simulated box configured by a
// configuration file, a second MQTT client that watches and commands, and D-Bus clients on the
// same box at the same time.
#include "tests/mqtt/MosquittoBroker.h"
#include "tests/mqtt/MqttProbe.h"
#include "tests/support/CliRun.h"
#include "tests/support/ServiceRun.h"
#include "tests/support/TestFiles.h"
#include "zelvarind/client/DbusTypes.h"
#include "zelvarind/client/ServiceNames.h"
#include "zelvarind/mqtt/Discovery.h"

#include <QDBusArgument>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using TestFiles::readFile;
using TestFiles::writeFile;

const QString SERVICE_USER = QStringLiteral("zelvarind");
const QString SERVICE_PASSWORD = QStringLiteral("s3rvice-only-Pa55word");
const QString WATCHER = QStringLiteral("watcher");
const QString WATCHER_PASSWORD = QStringLiteral("watch-0nly");
const QString BOX = QStringLiteral("zelvarin/2023/");

QString errorOf(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() : QStringLiteral("ok");
}

StringMap boxSettings()
{
    return qdbus_cast<StringMap>(ServiceRun::boxProperty(QStringLiteral("Settings")));
}

} // namespace

class TestServiceMqtt : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<MosquittoBroker> m_broker;
    std::unique_ptr<ServiceRun> m_service;
    std::unique_ptr<MqttProbe> m_watcher;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList requests() const { return m_service->requests(); }
    QByteArray serviceLog() { return m_service->log(); }
    // The lines the service logged so far that hold `text`.
    int logged(const QString &text)
    {
        return int(QString::fromUtf8(serviceLog()).split(QLatin1Char('\n')).filter(text).size());
    }

    QByteArray mqttSection() const
    {
        return "[mqtt]\nbroker = mqtt://127.0.0.1:" + QByteArray::number(m_broker->port())
            + "\nclient_id = test-service\nuser = " + SERVICE_USER.toUtf8()
            + "\npassword_file = secret\n";
    }

    std::unique_ptr<MqttProbe> probe(const QString &filter)
    {
        auto p = std::make_unique<MqttProbe>(m_broker->port(), WATCHER, WATCHER_PASSWORD);
        QString error;
        if (!p->connect(&error))
            qWarning("probe: %s", qPrintable(error));
        p->subscribe(filter);
        if (!p->sync())
            qWarning("probe: no sync");
        return p;
    }

    // What zelvarind, run on a bus of its own with these arguments, says on standard error and
    // its exit code, for configurations it refuses.
    QPair<int, QByteArray> runRefused(
        const QStringList &args, const QString &xdgConfigHome = QString())
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"),
            xdgConfigHome.isEmpty() ? path(QStringLiteral("no-config")) : xdgConfigHome);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(DBUS_RUN_SESSION),
            QStringList {
                QStringLiteral("--"), QStringLiteral(ZELVARIND), QStringLiteral("--simulate") }
                + args);
        if (!p.waitForFinished(30000))
            p.kill();
        return { p.exitCode(), p.readAllStandardError() };
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString missing = MosquittoBroker::missingTools(); !missing.isEmpty())
            QFAIL(qPrintable(missing));
        QVERIFY(m_dir.isValid());
        DbusTypes::registerTypes();
        m_broker = std::make_unique<MosquittoBroker>(m_dir.path());
        QString error;
        QVERIFY2(m_broker->addUser(SERVICE_USER, SERVICE_PASSWORD, &error), qPrintable(error));
        QVERIFY2(m_broker->addUser(WATCHER, WATCHER_PASSWORD, &error), qPrintable(error));
        QVERIFY2(m_broker->start(&error), qPrintable(error));
        QVERIFY(writeFile(path(QStringLiteral("secret")), SERVICE_PASSWORD.toUtf8() + '\n'));
        QVERIFY(writeFile(path(QStringLiteral("zelvarind.conf")), mqttSection(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        m_watcher = probe(QStringLiteral("#"));

        // Polled often enough that a lost box is noticed soon.
        m_service = std::make_unique<ServiceRun>(m_dir.path(), true);
        QVERIFY2(m_service->start({ QStringLiteral("--poll-interval=300"),
                     QStringLiteral("--config"), path(QStringLiteral("zelvarind.conf")) }),
            serviceLog().constData());
        QVERIFY2(m_watcher->waitFor(BOX + QStringLiteral("availability"), "online"),
            serviceLog().constData());
    }

    void cleanup()
    {
        if (QTest::currentTestFailed()) {
            qInfo("zelvarind: %s", serviceLog().constData());
            qInfo("broker: %s", m_broker->log().constData());
        }
    }

    void cleanupTestCase()
    {
        m_watcher.reset();
        m_service.reset();
    }

    // What a home-automation system finds under the discovery prefix: one device, the box, with
    // every entity, its firmware read from the box.
    void discoveryShowsOneDevice()
    {
        const auto configs = probe(QStringLiteral("homeassistant/#"))->messages();
        QStringList topics;
        QSet<QString> devices;
        for (const MqttProbe::Message &m : configs) {
            QVERIFY2(m.retained, qPrintable(m.topic));
            topics << m.topic;
            const QJsonObject device = QJsonDocument::fromJson(m.payload)
                                           .object()
                                           .value(QLatin1String("device"))
                                           .toObject();
            devices.insert(QString::fromUtf8(QJsonDocument(device).toJson(QJsonDocument::Compact)));
            QCOMPARE(
                device.value(QLatin1String("sw_version")).toString(), QStringLiteral("2.1.0.17"));
            QCOMPARE(
                device.value(QLatin1String("serial_number")).toString(), QStringLiteral("2023"));
        }
        topics.sort();
        QStringList expected
            = Discovery::configTopics(QStringLiteral("homeassistant"), QStringLiteral("2023"));
        expected.sort();
        QCOMPARE(topics, expected);
        QCOMPARE(devices.size(), 1);
    }

    // A command on a setting's topic reaches the box as its frame; the retained state follows,
    // and a D-Bus client sees the same change.
    void mqttCommandChangesTheBox()
    {
        QCOMPARE(m_watcher->last(BOX + QStringLiteral("setting/input")), QByteArray("port-a"));
        QSignalSpy changed(this, SIGNAL(propertiesChanged(QString, QVariantMap, QStringList)));
        QVERIFY(QDBusConnection::sessionBus().connect(ServiceNames::busName(),
            ServiceRun::boxPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"), this,
            SIGNAL(propertiesChanged(QString, QVariantMap, QStringList))));
        const int before = int(requests().size());

        m_watcher->publish(BOX + QStringLiteral("setting/input/set"), "port-b");
        QTRY_COMPARE_WITH_TIMEOUT(requests().mid(before).filter(QStringLiteral("10 04 E0")),
            QStringList { QStringLiteral("10 04 E0 00 02") }, 30000);
        QVERIFY(m_watcher->waitFor(BOX + QStringLiteral("setting/input"), "port-b"));
        const auto late = probe(BOX + QStringLiteral("setting/input"))->messages();
        QCOMPARE(late.size(), 1);
        QVERIFY(late.first().retained);
        QCOMPARE(late.first().payload, QByteArray("port-b"));

        const auto announced = [&changed] {
            for (const QList<QVariant> &signal : changed) {
                const QVariant settings = signal.at(1).toMap().value(QStringLiteral("Settings"));
                if (qdbus_cast<StringMap>(settings).value(QStringLiteral("input"))
                    == QLatin1String("port-b"))
                    return true;
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(announced(), 30000);
        QCOMPARE(boxSettings().value(QStringLiteral("input")), QStringLiteral("port-b"));
    }

    // A D-Bus client's change is published.
    void dbusChangeIsPublished()
    {
        const QString now = boxSettings().value(QStringLiteral("auto-switch"));
        const QString other
            = now == QLatin1String("on") ? QStringLiteral("off") : QStringLiteral("on");
        QCOMPARE(
            errorOf(ServiceRun::callBox(QStringLiteral("SetSettings"),
                { QVariant::fromValue(StringMap { { QStringLiteral("auto-switch"), other } }) })),
            QStringLiteral("ok"));
        QVERIFY(m_watcher->waitFor(BOX + QStringLiteral("setting/auto-switch"), other.toUtf8()));
    }

    // A command over MQTT takes its turn in the box's queue like any client's: while a D-Bus
    // client holds the box it waits, and goes to the box once the hold ends.
    void mqttCommandWaitsForAHolder()
    {
        QDBusConnection holder
            = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("holder"));
        QCOMPARE(
            errorOf(ServiceRun::callBox(QStringLiteral("Hold"), {}, holder)), QStringLiteral("ok"));
        const int before = int(requests().size());
        m_watcher->publish(BOX + QStringLiteral("setting/input/set"), "port-a");
        // The bridge takes commands in order: once it has refused the second, the first has been
        // handed to the box's queue.
        m_watcher->publish(BOX + QStringLiteral("setting/loudness/set"), "11");
        QTRY_COMPARE_WITH_TIMEOUT(logged(QStringLiteral("setting/loudness/set")), 1, 30000);
        const QDBusMessage status = ServiceRun::callBox(
            QStringLiteral("Transact"), { QByteArray("\x11\x2a\xe1", 3), 42u }, holder);
        QCOMPARE(status.arguments().value(0).toString(), QStringLiteral("ok"));
        QCOMPARE(requests().mid(before).filter(QStringLiteral("10 04 E0")), QStringList());

        QCOMPARE(errorOf(ServiceRun::callBox(QStringLiteral("Release"), {}, holder)),
            QStringLiteral("ok"));
        QDBusConnection::disconnectFromBus(QStringLiteral("holder"));
        QTRY_COMPARE_WITH_TIMEOUT(requests().mid(before).filter(QStringLiteral("10 04 E0")),
            QStringList { QStringLiteral("10 04 E0 00 01") }, 30000);
        QVERIFY(m_watcher->waitFor(BOX + QStringLiteral("setting/input"), "port-a"));
    }

    // The box unplugged: "offline", and a command meanwhile sends nothing; back: "online".
    void lostBoxIsOfflineUntilBack()
    {
        ServiceRun::setPresent(false);
        QVERIFY(m_watcher->waitFor(BOX + QStringLiteral("availability"), "offline", 30000));
        const int before = int(requests().size());
        m_watcher->publish(BOX + QStringLiteral("setting/input/set"), "port-b");
        QTRY_COMPARE_WITH_TIMEOUT(logged(QStringLiteral("2023 is not connected")), 1, 30000);
        QCOMPARE(requests().mid(before).filter(QStringLiteral("10 04 E0")), QStringList());

        ServiceRun::setPresent(true);
        QVERIFY(m_watcher->waitFor(BOX + QStringLiteral("availability"), "online", 30000));
        QCOMPARE(ServiceRun::boxProperty(QStringLiteral("Connected")).toBool(), true);
    }

    // Configurations the service refuses at start-up, each with a line that says why; the
    // password is in none of them.
    void configurationRefused_data()
    {
        QTest::addColumn<QByteArray>("config"); // empty: no --config
        QTest::addColumn<QString>("xdgConfig"); // $XDG_CONFIG_HOME/zelvarin/zelvarind.conf
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QByteArray section = mqttSection();
        QTest::newRow("misspelt section")
            << QByteArray("[mqt]\nbroker = mqtt://127.0.0.1\n") << QString() << 1
            << QStringLiteral("unknown section [mqt]");
        QTest::newRow("key outside a section")
            << QByteArray("broker = mqtt://127.0.0.1\n") << QString() << 1
            << QStringLiteral("\"broker\" is outside a section");
        QTest::newRow("misspelt key")
            << section + "pasword_file = secret\n"
            << QString() << 1 << QStringLiteral("unknown key \"pasword_file\"");
        QTest::newRow("password in the broker URL") << QByteArray(
            "[mqtt]\nbroker = mqtt://zelvarind:" + SERVICE_PASSWORD.toUtf8() + "@127.0.0.1\n")
                                                    << QString() << 1
                                                    << QStringLiteral("not in the URL");
        QTest::newRow("password file others may read")
            << section << QStringLiteral("readable secret") << 1
            << QStringLiteral("may be read by others");
        QTest::newRow("the user's file, found without --config")
            << QByteArray() << QStringLiteral("[mqtt]\nbroker = ftp://127.0.0.1\n") << 1
            << QStringLiteral("/xdg/zelvarin/zelvarind.conf: [mqtt] broker:");
    }
    void configurationRefused()
    {
        QFETCH(QByteArray, config);
        QFETCH(QString, xdgConfig);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QStringList args;
        QString xdg;
        if (xdgConfig == QLatin1String("readable secret")) {
            // The same password, in a file its group and others may read.
            QVERIFY(writeFile(path(QStringLiteral("open-secret")), SERVICE_PASSWORD.toUtf8() + '\n',
                QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
            config.replace("password_file = secret", "password_file = open-secret");
        } else if (!xdgConfig.isEmpty()) {
            xdg = path(QStringLiteral("xdg"));
            QVERIFY(QDir().mkpath(xdg + QStringLiteral("/zelvarin")));
            QVERIFY(
                writeFile(xdg + QStringLiteral("/zelvarin/zelvarind.conf"), xdgConfig.toUtf8()));
        }
        if (!config.isEmpty()) {
            QVERIFY(writeFile(path(QStringLiteral("refused.conf")), config));
            args << QStringLiteral("--config") << path(QStringLiteral("refused.conf"));
        }
        const auto [code, said] = runRefused(args, xdg);
        QVERIFY2(said.contains(message.toUtf8()), said.constData());
        QCOMPARE(code, exitCode);
        QVERIFY2(!said.contains(SERVICE_PASSWORD.toUtf8()), said.constData());
    }

    // Whatever happened above, the running service's log and trace never held the password, nor
    // did its command line.
    void passwordNeverShown()
    {
        QVERIFY(logged(QStringLiteral("mqtt: connected to mqtt://127.0.0.1:")) >= 1);
        const QByteArray password = SERVICE_PASSWORD.toUtf8();
        QVERIFY(!serviceLog().contains(password));
        QVERIFY(!readFile(m_service->tracePath()).isEmpty());
        QVERIFY(!readFile(m_service->tracePath()).contains(password));
        QVERIFY(!readFile(QStringLiteral("/proc/%1/cmdline").arg(m_service->process().processId()))
                     .contains(password));
    }

Q_SIGNALS:
    void propertiesChanged(
        const QString &interface, const QVariantMap &changed, const QStringList &invalidated);
};

QTEST_GUILESS_MAIN(TestServiceMqtt)
#include "tst_service_mqtt.moc"
