// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The service's D-Bus interface called as any client calls it (plain messages on a private bus,
// and dbus-send / busctl as other processes): what a call does to the box, what it answers, and
// that nothing a hostile or careless client sends reaches the box or stops the service.
#include "tests/support/ServiceRun.h"
#include "tests/support/TestFiles.h"
#include "zelvarind/client/DbusTypes.h"
#include "zelvarind/client/ServiceNames.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

using TestFiles::readFile;

const QString kBox1 = QStringLiteral("io.github.zelvarin.Box1");

const QByteArray &table()
{
    static const QByteArray bytes
        = readFile(QStringLiteral(ZELVARIN_TEST_DATA "/edid/tv-hdr-600mhz.bin"));
    return bytes;
}

QVariant settings(const StringMap &map)
{
    return QVariant::fromValue(map);
}

QString errorOf(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() : QStringLiteral("ok");
}

// A second client on the same bus, with a name of its own.
QDBusConnection otherClient(const QString &name)
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

} // namespace

class TestServiceDbus : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServiceRun> m_service;

    void restart(const QStringList &args)
    {
        m_service.reset();
        m_service = std::make_unique<ServiceRun>(m_dir.path());
        QVERIFY(m_service->start(args));
    }

    void setCustomMode()
    {
        QCOMPARE(errorOf(ServiceRun::callBox(QStringLiteral("SetSettings"),
                     { settings({ { QStringLiteral("edid-mode"), QStringLiteral("custom") } }) })),
            QStringLiteral("ok"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCOMPARE(table().size(), 256);
        DbusTypes::registerTypes();
    }
    void init()
    {
        m_service = std::make_unique<ServiceRun>(m_dir.path());
        QVERIFY(m_service->start());
    }
    void cleanup() { m_service.reset(); }

    // Object paths carry any serial; error names map onto the front ends' exit codes.
    void namesAndExitCodes()
    {
        QCOMPARE(ServiceNames::boxPath(QStringLiteral("2023")), ServiceRun::boxPath());
        QCOMPARE(ServiceNames::boxPath(QStringLiteral("a-b.c")),
            QStringLiteral("/io/github/zelvarin/Zelvarind/box/a_2db_2ec"));
        QCOMPARE(ServiceNames::boxPath(QString()),
            QStringLiteral("/io/github/zelvarin/Zelvarind/box/_"));
        QCOMPARE(ServiceNames::Error::exitCode(ServiceNames::Error::invalidArgs()), 2);
        QCOMPARE(ServiceNames::Error::exitCode(ServiceNames::Error::badData()), 3);
        for (const QString &name : { ServiceNames::Error::noReply(), ServiceNames::Error::busy(),
                 ServiceNames::Error::notFound(), ServiceNames::Error::wrongMode(),
                 QStringLiteral("org.freedesktop.DBus.Error.NoReply") })
            QCOMPARE(ServiceNames::Error::exitCode(name), 1);
    }

    // Calls that must be refused before anything reaches the box: the error each gets, and the
    // box's frames unchanged afterwards.
    void refusedWithoutAFrame_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("error");
        const QString invalid = ServiceNames::Error::invalidArgs();
        const QString bad = ServiceNames::Error::badData();
        const QString unknownMethod = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");
        StringMap many;
        for (int i = 0; i < 1000; ++i)
            many.insert(QStringLiteral("name%1").arg(i), QStringLiteral("on"));
        QByteArray wrongChecksum = table();
        wrongChecksum[255] = char(wrongChecksum.at(255) + 1);

        const auto row
            = [](const char *name, const char *method, QVariantList args, const QString &error) {
                  QTest::newRow(name) << QString::fromLatin1(method) << args << error;
              };
        row("unknown setting", "SetSettings",
            { settings({ { QStringLiteral("loudness"), QStringLiteral("11") } }) }, invalid);
        row("unknown value after a good one", "SetSettings",
            { settings({ { QStringLiteral("auto-switch"), QStringLiteral("off") },
                { QStringLiteral("input"), QStringLiteral("port-x") } }) },
            invalid);
        row("no setting", "SetSettings", { settings({}) }, invalid);
        row("a thousand settings", "SetSettings", { settings(many) }, invalid);
        row("long name", "SetSettings",
            { settings({ { QString(100000, QLatin1Char('x')), QStringLiteral("on") } }) }, invalid);
        row("unknown EDID source", "ReadEdid", { QStringLiteral("tv-c") }, invalid);
        row("unknown reset", "FactoryReset", { QStringLiteral("everything") }, invalid);
        row("store slot 3", "StoreCec", { 3u, QByteArray("\x50\x04", 2) }, invalid);
        row("one CEC byte", "SendCec", { QByteArray(1, '\x50') }, bad);
        row("huge CEC message", "SendCec", { QByteArray(1 << 20, '\x50') }, bad);
        row("AVI of 14 bytes", "LoadAviInfoFrame", { QByteArray(14, '\x01'), false }, bad);
        row("EDID of 255 bytes", "WriteEdid", { table().left(255) }, bad);
        row("EDID of a megabyte", "WriteEdid", { QByteArray(1 << 20, '\0') }, bad);
        row("EDID with a wrong checksum", "WriteEdid", { wrongChecksum }, bad);
        row("EDID without its header", "WriteEdid", { QByteArray(256, '\x10') }, bad);
        row("raw frame of two bytes", "Transact", { QByteArray("\x11\x2a", 2), 0u }, invalid);
        row("raw frame of 64 KiB", "Transact", { QByteArray(65536, '\x11'), 0u }, invalid);
        row("raw frame of another kind", "Transact", { QByteArray("\x42\x2a\xe1", 3), 0u },
            invalid);
        row("raw reply too long", "Transact", { QByteArray("\x11\x2a\xe1", 3), 65u }, invalid);
        // Wrong types never reach the service's code: the bus library finds no such method.
        row("settings as a string", "SetSettings", { QStringLiteral("input=port-b") },
            unknownMethod);
        row("source as a number", "ReadEdid", { 2 }, unknownMethod);
        row("missing argument", "LoadHdrInfoFrame", { QByteArray("\x87\x01", 2) }, unknownMethod);
        row("unknown method", "SelfDestruct", {}, unknownMethod);
    }
    void refusedWithoutAFrame()
    {
        QFETCH(QString, method);
        QFETCH(QVariantList, args);
        QFETCH(QString, error);
        const QStringList before = m_service->requests();
        const QDBusMessage reply = ServiceRun::callBox(method, args);
        QCOMPARE(errorOf(reply), error);
        QCOMPARE(m_service->requests(), before);
        // ... and the service goes on answering.
        QCOMPARE(
            ServiceRun::boxProperty(QStringLiteral("Serial")).toString(), QStringLiteral("2023"));
    }

    void unknownObjectsAndInterfaces()
    {
        const QDBusMessage noObject
            = ServiceRun::call(QStringLiteral("/io/github/zelvarin/Zelvarind/box/9999"), kBox1,
                QStringLiteral("Hold"));
        QCOMPARE(errorOf(noObject), QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"));
        const QDBusMessage noBox = ServiceRun::call(ServiceNames::managerPath(),
            ServiceNames::managerInterface(), QStringLiteral("GetBox"), { QStringLiteral("9999") });
        QCOMPARE(errorOf(noBox), ServiceNames::Error::notFound());
        const QDBusMessage first = ServiceRun::call(ServiceNames::managerPath(),
            ServiceNames::managerInterface(), QStringLiteral("GetBox"), { QString() });
        QCOMPARE(first.arguments().value(0).value<QDBusObjectPath>().path(), ServiceRun::boxPath());
    }

    // A setting changed by a client shows in the property, announced with PropertiesChanged.
    void setSettingsAnnouncesTheChange()
    {
        QSignalSpy changed(this, SIGNAL(propertiesChanged(QString, QVariantMap, QStringList)));
        QVERIFY(QDBusConnection::sessionBus().connect(ServiceNames::busName(),
            ServiceRun::boxPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"), this,
            SIGNAL(propertiesChanged(QString, QVariantMap, QStringList))));
        const QStringList before = m_service->requests();
        QCOMPARE(errorOf(ServiceRun::callBox(QStringLiteral("SetSettings"),
                     { settings({ { QStringLiteral("input"), QStringLiteral("port-b") },
                         { QStringLiteral("auto-switch"), QStringLiteral("off") } }) })),
            QStringLiteral("ok"));
        // Written in the table's order, each once.
        const QStringList writes
            = m_service->requests().mid(before.size()).filter(QStringLiteral("10 04 E0"));
        QCOMPARE(writes,
            QStringList({ QStringLiteral("10 04 E0 00 02"), QStringLiteral("10 04 E0 01 00") }));

        QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty(), 30000);
        QCOMPARE(changed.at(0).at(0).toString(), kBox1);
        const QVariantMap props = changed.at(0).at(1).toMap();
        const StringMap now = qdbus_cast<StringMap>(props.value(QStringLiteral("Settings")));
        QCOMPARE(now.value(QStringLiteral("input")), QStringLiteral("port-b"));
        QCOMPARE(now.value(QStringLiteral("auto-switch")), QStringLiteral("off"));
    }

    // The EDID methods: progress signals, the upload refused outside custom mode, and the table
    // read back.
    void edidWriteAndRead()
    {
        QCOMPARE(errorOf(ServiceRun::callBox(QStringLiteral("WriteEdid"), { table() })),
            ServiceNames::Error::wrongMode());
        setCustomMode();
        QSignalSpy progress(this, SIGNAL(edidProgress(QString, int, int)));
        QVERIFY(QDBusConnection::sessionBus().connect(ServiceNames::busName(),
            ServiceRun::boxPath(), kBox1, QStringLiteral("EdidProgress"), this,
            SIGNAL(edidProgress(QString, int, int))));
        QCOMPARE(errorOf(ServiceRun::callBox(QStringLiteral("WriteEdid"), { table() })),
            QStringLiteral("ok"));
        const QDBusMessage read
            = ServiceRun::callBox(QStringLiteral("ReadEdid"), { QStringLiteral("box") });
        QCOMPARE(read.arguments().value(0).toByteArray(), table());
        QTRY_VERIFY_WITH_TIMEOUT(progress.size() >= 33, 30000);
        QCOMPARE(progress.at(0).at(0).toString(), QStringLiteral("write"));
        QCOMPARE(progress.at(32).at(1).toInt(), 32);
    }

    // A client that sends a whole upload and leaves at once (dbus-send without waiting for the
    // reply): the service finishes the upload; the box never holds half a table.
    void uploadOfAVanishedClientCompletes()
    {
        setCustomMode();
        QStringList bytes;
        for (const char c : table())
            bytes << QStringLiteral("0x%1").arg(uint(quint8(c)), 2, 16, QLatin1Char('0'));
        QProcess send;
        send.start(QStringLiteral("dbus-send"),
            { QStringLiteral("--session"), QStringLiteral("--dest=") + ServiceNames::busName(),
                QStringLiteral("--type=method_call"), ServiceRun::boxPath(),
                kBox1 + QStringLiteral(".WriteEdid"),
                QStringLiteral("array:byte:") + bytes.join(QLatin1Char(',')) });
        QVERIFY(send.waitForFinished(30000));
        QCOMPARE(send.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(
            m_service->requests().filter(QStringLiteral("10 08 B1")).size() == 1, 30000);
        const QDBusMessage read
            = ServiceRun::callBox(QStringLiteral("ReadEdid"), { QStringLiteral("box") });
        QCOMPARE(read.arguments().value(0).toByteArray(), table());
    }

    // Hold keeps the other clients' requests off the box until Release; theirs then run.
    void holdKeepsOthersOut()
    {
        QDBusConnection holder = otherClient(QStringLiteral("holder"));
        QCOMPARE(
            errorOf(ServiceRun::callBox(QStringLiteral("Hold"), {}, holder)), QStringLiteral("ok"));
        QDBusMessage set = QDBusMessage::createMethodCall(
            ServiceNames::busName(), ServiceRun::boxPath(), kBox1, QStringLiteral("SetSettings"));
        set << settings({ { QStringLiteral("input"), QStringLiteral("port-b") } });
        QDBusPendingCall waiting = QDBusConnection::sessionBus().asyncCall(set, 60000);

        const QDBusMessage status = ServiceRun::callBox(
            QStringLiteral("Transact"), { QByteArray("\x11\x2a\xe1", 3), 42u }, holder);
        QCOMPARE(status.arguments().value(0).toString(), QStringLiteral("ok"));
        QCOMPARE(status.arguments().value(2).toByteArray().size(), 42);
        QCOMPARE(status.arguments().value(2).toByteArray().at(0), '\xe1');
        QVERIFY(!waiting.isFinished());
        QVERIFY(!m_service->requests().contains(QStringLiteral("10 04 E0 00 02")));

        QCOMPARE(errorOf(ServiceRun::callBox(QStringLiteral("Release"), {}, holder)),
            QStringLiteral("ok"));
        waiting.waitForFinished();
        QVERIFY(!waiting.isError());
        QDBusConnection::disconnectFromBus(QStringLiteral("holder"));
    }

    // A holder that leaves the bus lets go of the box at once (the hold would otherwise last
    // longer than the call below may wait).
    void holdEndsWhenItsHolderLeaves()
    {
        restart({ QStringLiteral("--hold-timeout=600000") });
        QProcess busctl;
        busctl.start(QStringLiteral("busctl"),
            { QStringLiteral("--user"), QStringLiteral("call"), ServiceNames::busName(),
                ServiceRun::boxPath(), kBox1, QStringLiteral("Hold") });
        QVERIFY(busctl.waitForFinished(30000));
        QCOMPARE(busctl.exitCode(), 0);
        QCOMPARE(
            errorOf(ServiceRun::callBox(QStringLiteral("SendCec"), { QByteArray("\x50\x04", 2) })),
            QStringLiteral("ok"));
    }

    // A holder that stays silent loses its hold; its next frame is refused rather than slipped
    // between another client's.
    void silentHoldLapses()
    {
        restart({ QStringLiteral("--hold-timeout=300") });
        QDBusConnection silent = otherClient(QStringLiteral("silent"));
        QCOMPARE(
            errorOf(ServiceRun::callBox(QStringLiteral("Hold"), {}, silent)), QStringLiteral("ok"));
        QCOMPARE(
            errorOf(ServiceRun::callBox(QStringLiteral("SendCec"), { QByteArray("\x50\x04", 2) })),
            QStringLiteral("ok"));
        QCOMPARE(errorOf(ServiceRun::callBox(
                     QStringLiteral("Transact"), { QByteArray("\x11\x2a\xe1", 3), 42u }, silent)),
            ServiceNames::Error::busy());
        QDBusConnection::disconnectFromBus(QStringLiteral("silent"));
    }

    // A flood of requests while the box is held: what does not fit the client's share of the
    // queue is refused, the holder can still let go, and the service stays up.
    void floodIsBounded()
    {
        QDBusConnection holder = otherClient(QStringLiteral("flood-holder"));
        QCOMPARE(
            errorOf(ServiceRun::callBox(QStringLiteral("Hold"), {}, holder)), QStringLiteral("ok"));
        QList<QDBusPendingCall> calls;
        for (int i = 0; i < 300; ++i) {
            QDBusMessage m = QDBusMessage::createMethodCall(
                ServiceNames::busName(), ServiceRun::boxPath(), kBox1, QStringLiteral("SendCec"));
            m << QByteArray("\x50\x04", 2);
            calls << QDBusConnection::sessionBus().asyncCall(m, 60000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(std::count_if(calls.begin(), calls.end(),
                                     [](const QDBusPendingCall &c) { return c.isFinished(); })
                >= 300 - 64,
            30000);
        for (const QDBusPendingCall &c : calls) {
            if (c.isFinished())
                QCOMPARE(c.error().name(), ServiceNames::Error::busy());
        }
        QCOMPARE(errorOf(ServiceRun::callBox(QStringLiteral("Release"), {}, holder)),
            QStringLiteral("ok"));
        for (QDBusPendingCall &c : calls)
            c.waitForFinished();
        QDBusConnection::disconnectFromBus(QStringLiteral("flood-holder"));
    }

    // A second service on the same bus says so and leaves the first one alone.
    void secondServiceRefused()
    {
        QProcess second;
        second.start(QStringLiteral(ZELVARIND), { QStringLiteral("--simulate") });
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().startsWith("zelvarind: already running"));
        QCOMPARE(ServiceRun::boxProperty(QStringLiteral("Connected")).toBool(), true);
    }

    // Calls on a box that went away are refused as such; the box and its properties come back.
    void callsOnAVanishedBox()
    {
        restart({ QStringLiteral("--poll-interval=200") });
        ServiceRun::setPresent(false);
        QTRY_COMPARE_WITH_TIMEOUT(
            ServiceRun::boxProperty(QStringLiteral("Connected")).toBool(), false, 30000);
        const QStringList before = m_service->requests();
        const QString notFound = ServiceNames::Error::notFound();
        QCOMPARE(errorOf(ServiceRun::callBox(QStringLiteral("SetSettings"),
                     { settings({ { QStringLiteral("input"), QStringLiteral("port-b") } }) })),
            notFound);
        QCOMPARE(
            errorOf(ServiceRun::callBox(QStringLiteral("ReadEdid"), { QStringLiteral("box") })),
            notFound);
        QCOMPARE(errorOf(ServiceRun::callBox(QStringLiteral("Hold"))), notFound);
        QCOMPARE(errorOf(ServiceRun::callBox(
                     QStringLiteral("Transact"), { QByteArray("\x11\x2a\xe1", 3), 42u })),
            notFound);
        // A client's search says what a search of its own would have said, and sends nothing.
        const QDBusMessage searched = ServiceRun::callBox(QStringLiteral("Search"));
        QCOMPARE(searched.arguments(),
            (QVariantList { QStringLiteral("not-found"),
                QStringList { QStringLiteral("ZELVARIN USB not connected!") } }));
        QCOMPARE(m_service->requests(), before);
        const QDBusMessage boxes = ServiceRun::call(ServiceNames::managerPath(),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
            { ServiceNames::managerInterface(), QStringLiteral("Boxes") });
        QCOMPARE(qdbus_cast<QList<QDBusObjectPath>>(
                     boxes.arguments().value(0).value<QDBusVariant>().variant())
                     .size(),
            0);

        // Back: a search finds it at once (without waiting for the service's own), probed first.
        ServiceRun::setPresent(true);
        QCOMPARE(ServiceRun::callBox(QStringLiteral("Search")).arguments(),
            (QVariantList { QStringLiteral("connected"), QStringList() }));
        QCOMPARE(ServiceRun::boxProperty(QStringLiteral("Connected")).toBool(), true);
        QCOMPARE(m_service->requests().value(before.size()), QStringLiteral("11 2A E1"));
        QCOMPARE(ServiceRun::boxProperty(QStringLiteral("Firmware")).toString(),
            QStringLiteral("2.1.0.17"));
    }

Q_SIGNALS:
    void propertiesChanged(
        const QString &interface, const QVariantMap &changed, const QStringList &invalidated);
    void edidProgress(const QString &operation, int done, int total);
};

QTEST_GUILESS_MAIN(TestServiceDbus)
#include "tst_service_dbus.moc"
