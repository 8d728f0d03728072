// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zelvarinctl through the service, on a private bus with the simulated box: the same output and
// frames as with a box of its own, several clients at once, and clients and service that die.
#include "tests/support/CliRun.h"
#include "tests/support/ServiceRun.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

namespace {

const QString kTable = QStringLiteral(ZELVARIN_TEST_DATA "/edid/tv-hdr-600mhz.bin");
const QString kOtherTable = QStringLiteral(ZELVARIN_TEST_DATA "/edid/projector-4k-hdr.bin");
const QString kModule = QStringLiteral(ZELVARINCTL_SERVICE_MODULE_FILE);

bool isEdidChunk(const QString &frame)
{
    return frame.startsWith(QLatin1String("10 08 B0 "));
}
bool isCommit(const QString &frame)
{
    return frame.startsWith(QLatin1String("10 08 B1"));
}

// The shared objects a run of zelvarinctl loaded, as the dynamic loader of glibc logs them
// (LD_DEBUG=files) into files of its own, one per process.
struct LoadLog
{
    QString prefix;
    explicit LoadLog(const QString &dir)
        : prefix(QDir(dir).filePath(QStringLiteral("loaded")))
    {
        qputenv("LD_DEBUG", "files");
        qputenv("LD_DEBUG_OUTPUT", QFile::encodeName(prefix));
    }
    ~LoadLog()
    {
        qunsetenv("LD_DEBUG");
        qunsetenv("LD_DEBUG_OUTPUT");
    }
    // What was logged since the last call; the files are removed.
    QByteArray take() const
    {
        QByteArray all;
        const QFileInfo info(prefix);
        for (const QFileInfo &file :
            info.dir().entryInfoList({ info.fileName() + QStringLiteral(".*") }, QDir::Files)) {
            QFile log(file.filePath());
            if (log.open(QIODevice::ReadOnly))
                all += log.readAll();
            log.remove();
        }
        return all;
    }
};

// zelvarinctl copied into a folder of the test's, with or without the module beside it.
QString placeProgram(const QString &folder)
{
    const QString program = QDir(folder).filePath(QStringLiteral("zelvarinctl"));
    if (!QDir().mkpath(folder) || !QFile::copy(QStringLiteral(ZELVARINCTL), program))
        return {};
    return program;
}

// A zelvarinctl of its own, left running while the test does other things.
struct Background
{
    QProcess process;
    void start(const QStringList &args)
    {
        process.start(
            QStringLiteral(ZELVARINCTL), QStringList { QStringLiteral("--simulate") } + args);
        process.waitForStarted();
    }
};

} // namespace

class TestServiceCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServiceRun> m_service;
    int m_seen = 0; // frames of the service's trace already looked at

    CliRun run(const QStringList &args) { return runZelvarinctl(m_dir.path(), args); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // The box's own EDID as zelvarinctl prints it.
    QByteArray boxEdid()
    {
        const CliRun r = run({ QStringLiteral("edid"), QStringLiteral("read") });
        return r.exitCode == 0 ? r.out : QByteArray("(failed) ") + r.err;
    }
    QByteArray tableText(const QString &file)
    {
        const CliRun r = runZelvarinctl(m_dir.path(),
            { QStringLiteral("--direct"), QStringLiteral("edid"), QStringLiteral("fix"), file,
                QStringLiteral("-o"), path(QStringLiteral("table.txt")) });
        QFile text(path(QStringLiteral("table.txt")));
        return r.exitCode == 0 && text.open(QIODevice::ReadOnly) ? text.readAll() : QByteArray();
    }

    // Waits until the box has received an EDID chunk of an upload that is under way.
    bool uploadUnderWay(int before)
    {
        return QTest::qWaitFor(
            [&] {
                const QStringList frames = m_service->requests().mid(before);
                return std::any_of(frames.begin(), frames.end(), isEdidChunk);
            },
            30000);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init()
    {
        m_service = std::make_unique<ServiceRun>(m_dir.path());
        QVERIFY(m_service->start());
        m_seen = int(m_service->requests().size());
    }
    void cleanup() { m_service.reset(); }

    // Each command once with a box of its own, once through a freshly started service: same
    // exit code, same output, same frames.
    void sameAsDirect_data()
    {
        QTest::addColumn<QStringList>("args");
        const auto row = [](const char *name, const char *args) {
            QTest::newRow(name) << QString::fromLatin1(args).split(
                QLatin1Char(' '), Qt::SkipEmptyParts);
        };
        row("status", "status");
        row("status json", "--json status");
        row("get", "get input hdcp edid-mode");
        row("edid read box", "edid read");
        row("edid read tv-b", "edid read tv-b");
        row("edid write outside custom mode",
            "edid write " ZELVARIN_TEST_DATA "/edid/tv-hdr-600mhz.bin");
        row("usage error", "set loudness=11");
        row("bad hex", "cec send 5:04");
        row("cec send", "cec send 50:04");
        row("cec store", "cec store 2 40:04");
        row("infoframe hdr", "infoframe hdr 87:01:1a:02:00:34:21 --activate");
        row("avi with replace", "infoframe avi 82:02:0d:00 --replace");
        row("set", "set input=port-b auto-switch=off");
        row("reset", "reset settings --yes");
    }
    void sameAsDirect()
    {
        QFETCH(QStringList, args);
        const CliRun direct = run(QStringList { QStringLiteral("--direct") } + args);
        const CliRun served = run(args);
        QCOMPARE(served.exitCode, direct.exitCode);
        QCOMPARE(served.out, direct.out);
        QCOMPARE(served.err, direct.err);
        QCOMPARE(served.requests, direct.requests);
        // ... and the box received those writes from the service, in that order (reads of what
        // the service polls anyway may be answered from its last poll).
        const QStringList box = m_service->requests().mid(m_seen);
        const QRegularExpression write(QStringLiteral("^10 "));
        QCOMPARE(box.filter(write), direct.requests.filter(write));
    }

    // A script calling the service's methods gets the frames zelvarinctl sends for the same
    // command.
    void methodsSendWhatZelvarinctlSends_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("callArgs");
        QTest::addColumn<QStringList>("args");
        const auto row = [](const char *method, const QVariantList &callArgs, const char *args) {
            QTest::newRow(method) << QString::fromLatin1(method) << callArgs
                                  << QString::fromLatin1(args).split(QLatin1Char(' '));
        };
        row("LoadAviInfoFrame", { QByteArray("\x82\x02\x0d\x00", 4), true },
            "infoframe avi 82:02:0d:00 --replace");
        row("LoadHdrInfoFrame", { QByteArray("\x87\x01\x1a\x02", 4), true },
            "infoframe hdr 87:01:1a:02 --activate");
        row("SendCec", { QByteArray("\x50\x04", 2) }, "cec send 50:04");
    }
    void methodsSendWhatZelvarinctlSends()
    {
        QFETCH(QString, method);
        QFETCH(QVariantList, callArgs);
        QFETCH(QStringList, args);
        const CliRun direct = run(QStringList { QStringLiteral("--direct") } + args);
        QCOMPARE(direct.exitCode, 0);
        const QDBusMessage reply = ServiceRun::callBox(method, callArgs);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        const QRegularExpression write(QStringLiteral("^10 "));
        QCOMPARE(m_service->requests().mid(m_seen).filter(write), direct.requests.filter(write));
    }

    // The way to the service (and QtDBus with it) is loaded only by a command about to reach a
    // box, even with the service running; never by those that do not, nor with --direct.
    void loadsTheServiceOnlyToReachABox_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("loaded");
        const auto row = [](const char *name, const QStringList &args, bool loaded) {
            QTest::newRow(name) << args << loaded;
        };
        row("edid decode", { QStringLiteral("edid"), QStringLiteral("decode"), kTable }, false);
        row("edid check", { QStringLiteral("edid"), QStringLiteral("check"), kTable }, false);
        row("edid edit",
            { QStringLiteral("edid"), QStringLiteral("edit"), kTable, QStringLiteral("--name=Den"),
                QStringLiteral("-o"), QStringLiteral("edited.bin") },
            false);
        row("cec decode",
            { QStringLiteral("cec"), QStringLiteral("decode"), QStringLiteral("50:04") }, false);
        row("help", { QStringLiteral("help") }, false);
        row("--version", { QStringLiteral("--version") }, false);
        row("completion", { QStringLiteral("__complete"), QStringLiteral("ed") }, false);
        const QString simulate = QStringLiteral("--simulate");
        row("status --direct", { simulate, QStringLiteral("--direct"), QStringLiteral("status") },
            false);
        row("status", { simulate, QStringLiteral("status") }, true);
        row("get", { simulate, QStringLiteral("get"), QStringLiteral("input") }, true);
    }
    void loadsTheServiceOnlyToReachABox()
    {
#ifndef __GLIBC__
        QSKIP("the dynamic loader's log is glibc's");
#endif
        QFETCH(QStringList, args);
        QFETCH(bool, loaded);
        const LoadLog log(m_dir.path());
        log.take();
        const CliRun r = runZelvarinctlIn(m_dir.path(), args);
        const QByteArray files = log.take();
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY2(files.contains("libQt6Core.so"), "the loader's log was not written");
        QCOMPARE(files.contains("libQt6DBus.so"), loaded);
        QCOMPARE(files.contains(QFile::encodeName(QFileInfo(kModule).fileName())), loaded);
    }

    // Where the program looks for its way to the service: next to it (the build folder), in the
    // private library folder of an installation; without a module that loads, it opens the box
    // itself, says so in the trace, and prints what the service would have printed.
    void findsItsWayToTheService_data()
    {
        QTest::addColumn<QString>("moduleFolder"); // beside bin/; empty: none
        QTest::addColumn<QByteArray>("moduleBytes"); // empty: the real module
        QTest::addColumn<bool>("throughService");
        QTest::newRow("next to the program") << QStringLiteral(".") << QByteArray() << true;
        QTest::newRow("installed")
            << QStringLiteral(ZELVARINCTL_SERVICE_MODULE_DIR) << QByteArray() << true;
        QTest::newRow("none") << QString() << QByteArray() << false;
        QTest::newRow("not a library") << QStringLiteral(".")
                                       << QByteArray("\x7f"
                                                     "ELF but not really")
                                       << false;
    }
    void findsItsWayToTheService()
    {
        QFETCH(QString, moduleFolder);
        QFETCH(QByteArray, moduleBytes);
        QFETCH(bool, throughService);
        const QString bin = path(QStringLiteral("layout/%1/bin").arg(QTest::currentDataTag()));
        const QString program = placeProgram(bin);
        QVERIFY(!program.isEmpty());
        if (!moduleFolder.isEmpty()) {
            const QString folder = QDir::cleanPath(QDir(bin).filePath(moduleFolder));
            const QString module = QDir(folder).filePath(QFileInfo(kModule).fileName());
            QVERIFY(QDir().mkpath(folder));
            if (moduleBytes.isEmpty()) {
                QVERIFY(QFile::copy(kModule, module));
            } else {
                QFile file(module);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(moduleBytes);
            }
        }
        const QString trace = path(QStringLiteral("layout-trace.txt"));
        QFile::remove(trace);
        QProcess p;
        p.start(program,
            { QStringLiteral("--simulate"), QStringLiteral("--trace=") + trace,
                QStringLiteral("status") });
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(), run({ QStringLiteral("status") }).out);
        QCOMPARE(p.readAllStandardError(), QByteArray());
        QFile log(trace);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray notes = log.readAll();
        QCOMPARE(
            notes.contains("# through the service zelvarind on the session bus"), throughService);
        QCOMPARE(notes.contains("# the service cannot be used, the box is opened directly: "),
            !throughService);
    }

    // A status costs the box nothing: its reads come from the service's last poll. Once a client
    // has written, the next read goes to the box, so it never shows what was there before.
    void readsFromTheLastPollUntilAWrite()
    {
        const int before = int(m_service->requests().size());
        const CliRun status = run({ QStringLiteral("status") });
        QCOMPARE(status.exitCode, 0);
        QCOMPARE(status.requests.size(), 6);
        QCOMPARE(m_service->requests().size(), before);

        QCOMPARE(run({ QStringLiteral("set"), QStringLiteral("input=port-b") }).exitCode, 0);
        const CliRun get = run({ QStringLiteral("get"), QStringLiteral("input") });
        QCOMPARE(get.out, QByteArray("port-b\n"));
        QCOMPARE(m_service->requests().value(before), QStringLiteral("10 04 E0 00 02"));
    }

    // A transaction that fails on the box reaches zelvarinctl with its outcome and USB status,
    // so the message is the one a box of its own would give.
    void failuresTravelUnchanged()
    {
        ServiceRun::setPresent(false); // every write now fails with status 0x08
        const CliRun r = run({ QStringLiteral("set"), QStringLiteral("input=port-b") });
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(
            r.err, QByteArray("zelvarinctl: setting input=port-b: USB link error (status 0x08)\n"));
        QCOMPARE(r.requests, QStringList { QStringLiteral("10 04 E0 00 02") });
    }

    // What the service's box is told, it keeps: the three commands of the README.
    void settingsAndEdidStayBetweenCalls()
    {
        QCOMPARE(run({ QStringLiteral("set"), QStringLiteral("edid-mode=custom") }).exitCode, 0);
        const CliRun write = run({ QStringLiteral("edid"), QStringLiteral("write"), kTable });
        QCOMPARE(write.exitCode, 0);
        QCOMPARE(boxEdid(), tableText(kTable));
        QCOMPARE(run({ QStringLiteral("get"), QStringLiteral("edid-mode") }).out,
            QByteArray("custom\n"));
    }

    // A box asked for by serial, as a search of one's own finds it; without one, the box's own
    // serial first, then whichever box the service has.
    void serials()
    {
        const QStringList unknown { QStringLiteral("--serial"), QStringLiteral("9999"),
            QStringLiteral("status") };
        const CliRun served = run(unknown);
        const CliRun direct = run(QStringList { QStringLiteral("--direct") } + unknown);
        QCOMPARE(served.exitCode, 1);
        QCOMPARE(served.err, direct.err);
        QVERIFY(served.err.contains("no box with serial number 9999 found"));
        QCOMPARE(
            run({ QStringLiteral("--serial"), QStringLiteral("2023"), QStringLiteral("status") })
                .out,
            run({ QStringLiteral("status") }).out);

        m_service = std::make_unique<ServiceRun>(m_dir.path());
        QVERIFY(m_service->start({ QStringLiteral("--serial"), QStringLiteral("4711") }));
        const qsizetype polled = m_service->requests().size();
        const CliRun other = run({ QStringLiteral("status") });
        QCOMPARE(other.exitCode, 0);
        QVERIFY(other.out.startsWith("firmware: 2.1.0.17\n"));
        // Answered from the service's last poll: not a frame more to the box.
        QCOMPARE(m_service->requests().size(), polled);
        const CliRun usual
            = run({ QStringLiteral("--serial"), QStringLiteral("2023"), QStringLiteral("status") });
        QCOMPARE(usual.exitCode, 1);
        QVERIFY(usual.err.contains("no box with serial number 2023 found"));
    }

    // Two clients at once: a watcher sees what another client sets.
    void watchSeesAnotherClientsSet()
    {
        Background watch;
        watch.start({ QStringLiteral("--json"), QStringLiteral("watch"),
            QStringLiteral("--interval"), QStringLiteral("100") });
        QVERIFY(QTest::qWaitFor([&] { return watch.process.canReadLine(); }, 30000));
        QVERIFY(watch.process.readLine().contains("\"input\":\"port-a\""));
        QCOMPARE(run({ QStringLiteral("set"), QStringLiteral("input=port-b") }).exitCode, 0);
        QByteArray seen;
        QVERIFY(QTest::qWaitFor(
            [&] {
                seen += watch.process.readAll();
                return seen.contains("\"input\":\"port-b\"");
            },
            30000));
        watch.process.terminate();
        QVERIFY(watch.process.waitForFinished(30000));
        QCOMPARE(watch.process.exitCode(), 0);
    }

    // An EDID upload's chunks and commit reach the box with no other client's frame between
    // them; a set sent meanwhile lands before or after, whole.
    void edidWriteAndSetDoNotInterleave()
    {
        QCOMPARE(run({ QStringLiteral("set"), QStringLiteral("edid-mode=custom") }).exitCode, 0);
        const int before = int(m_service->requests().size());
        Background write;
        write.start({ QStringLiteral("edid"), QStringLiteral("write"), kTable });
        QVERIFY(uploadUnderWay(before));
        QCOMPARE(run({ QStringLiteral("set"), QStringLiteral("input=port-b") }).exitCode, 0);
        QVERIFY(write.process.waitForFinished(60000));
        QCOMPARE(write.process.exitCode(), 0);

        const QStringList frames = m_service->requests().mid(before);
        const int first
            = int(std::find_if(frames.begin(), frames.end(), isEdidChunk) - frames.begin());
        const int commit
            = int(std::find_if(frames.begin(), frames.end(), isCommit) - frames.begin());
        QVERIFY(commit < frames.size());
        QCOMPARE(commit - first, 32); // every chunk, then the commit, nothing between
        for (int i = first; i < commit; ++i)
            QVERIFY2(isEdidChunk(frames.at(i)), qPrintable(frames.at(i)));
        QVERIFY(frames.contains(QStringLiteral("10 04 E0 00 02")));
        QCOMPARE(boxEdid(), tableText(kTable));
    }

    // A client killed half way through an upload: the box keeps the table it had (no commit),
    // and the next client has the box at once.
    void clientKilledDuringEdidWrite()
    {
        QCOMPARE(run({ QStringLiteral("set"), QStringLiteral("edid-mode=custom") }).exitCode, 0);
        const QByteArray before = boxEdid();
        const int start = int(m_service->requests().size());
        Background write;
        write.start({ QStringLiteral("edid"), QStringLiteral("write"), kOtherTable });
        QVERIFY(uploadUnderWay(start));
        write.process.kill();
        write.process.waitForFinished();

        QCOMPARE(boxEdid(), before);
        const QStringList frames = m_service->requests().mid(start);
        QVERIFY(std::none_of(frames.begin(), frames.end(), isCommit));
        QCOMPARE(run({ QStringLiteral("edid"), QStringLiteral("write"), kOtherTable }).exitCode, 0);
        QCOMPARE(boxEdid(), tableText(kOtherTable));
    }

    // The service killed while a client waits on it: the client says so and fails, at once.
    void serviceKilledDuringCall()
    {
        QCOMPARE(run({ QStringLiteral("set"), QStringLiteral("edid-mode=custom") }).exitCode, 0);
        const int start = int(m_service->requests().size());
        Background write;
        write.start({ QStringLiteral("edid"), QStringLiteral("write"), kTable });
        QVERIFY(uploadUnderWay(start));
        m_service->kill();
        QVERIFY(write.process.waitForFinished(60000));
        QCOMPARE(write.process.exitCode(), 1);
        const QByteArray err = write.process.readAllStandardError();
        QVERIFY2(err.contains("zelvarinctl: the service zelvarind failed"), err.constData());
        QVERIFY2(err.contains("zelvarinctl: writing the EDID (chunk "), err.constData());
    }

    // The box pulled out and put back: the service says so on the bus, zelvarinctl finds no box
    // meanwhile (as without the service), and the box comes back as it was.
    void boxLostAndBack()
    {
        m_service.reset();
        m_service = std::make_unique<ServiceRun>(m_dir.path());
        QVERIFY(m_service->start({ QStringLiteral("--poll-interval=200") }));
        QCOMPARE(run({ QStringLiteral("set"), QStringLiteral("input=matrix-swap") }).exitCode, 0);

        QDBusConnection bus = QDBusConnection::sessionBus();
        QSignalSpy added(this, SIGNAL(boxAdded(QString, QDBusObjectPath)));
        QSignalSpy removed(this, SIGNAL(boxRemoved(QString, QDBusObjectPath)));
        const QString service = QStringLiteral("io.github.zelvarin.Zelvarind");
        const QString manager = QStringLiteral("/io/github/zelvarin/Zelvarind");
        const QString iface = QStringLiteral("io.github.zelvarin.Manager1");
        QVERIFY(bus.connect(service, manager, iface, QStringLiteral("BoxAdded"), this,
            SIGNAL(boxAdded(QString, QDBusObjectPath))));
        QVERIFY(bus.connect(service, manager, iface, QStringLiteral("BoxRemoved"), this,
            SIGNAL(boxRemoved(QString, QDBusObjectPath))));

        ServiceRun::setPresent(false);
        QTRY_COMPARE_WITH_TIMEOUT(removed.size(), 1, 30000);
        QCOMPARE(removed.at(0).at(0).toString(), QStringLiteral("2023"));
        QCOMPARE(ServiceRun::boxProperty(QStringLiteral("Connected")).toBool(), false);
        const CliRun lost = run({ QStringLiteral("status") });
        QCOMPARE(lost.exitCode, 1);
        QCOMPARE(lost.err, QByteArray("zelvarinctl: no box found on the USB bus\n"));

        ServiceRun::setPresent(true);
        QTRY_COMPARE_WITH_TIMEOUT(added.size(), 1, 30000);
        QCOMPARE(ServiceRun::boxProperty(QStringLiteral("Connected")).toBool(), true);
        QCOMPARE(run({ QStringLiteral("get"), QStringLiteral("input") }).out,
            QByteArray("matrix-swap\n"));
    }

Q_SIGNALS:
    void boxAdded(const QString &serial, const QDBusObjectPath &path);
    void boxRemoved(const QString &serial, const QDBusObjectPath &path);
};

QTEST_GUILESS_MAIN(TestServiceCli)
#include "tst_service_cli.moc"
