// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The box client against the simulated box: the frames of each command, and the typed result each
// fault the box can show gives.
#include "box/BoxClient.h"
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "link/HexBytes.h"
#include "protocol/EdidTransfer.h"
#include "sim/SimulatedBox.h"

#include <QtTest>
#include <functional>
#include <memory>

namespace {

class Warnings : public DeviceWarnings
{
public:
    void deviceWarning(const QString &text) override { texts << text; }
    QStringList texts;
};

QByteArray hex(const QByteArray &frame)
{
    return frame.toHex(' ').toUpper();
}

using Setup = std::function<void(SimulatedBox &, DeviceLink &)>;
using Operation = std::function<BoxResult(BoxClient &)>;

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Operation)

class TestBoxClient : public QObject
{
    Q_OBJECT

    std::unique_ptr<VirtualClock> clock;
    std::unique_ptr<SimulatedBox> box;
    std::unique_ptr<Warnings> warnings;
    std::unique_ptr<DeviceLink> link;
    std::unique_ptr<BoxClient> client;

    QList<QByteArray> frames() const { return box->receivedFrames(); }

private Q_SLOTS:
    void init()
    {
        clock = std::make_unique<VirtualClock>();
        box = std::make_unique<SimulatedBox>(*clock);
        box->setRecording(true);
        warnings = std::make_unique<Warnings>();
        link = std::make_unique<DeviceLink>(*box, *clock, *warnings);
        quint32 index = 0;
        QVERIFY(link->findDevice(DeviceLink::DEVICE_SERIAL, index));
        QVERIFY(link->open(index));
        client = std::make_unique<BoxClient>(*link, *clock);
    }

    // One row per fault and single-frame command: the result names what went wrong.
    void singleFrameFaults_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<int>("kind");
        QTest::addColumn<quint32>("usbStatus");

        const QList<QPair<const char *, Operation>> operations = {
            { "status",
                [](BoxClient &c) {
                    BoxClient::Status s;
                    return c.readStatus(s);
                } },
            { "block",
                [](BoxClient &c) {
                    Reply r {};
                    return c.readBlock(6, 15, r);
                } },
            { "register", [](BoxClient &c) { return c.writeRegister(1, 0); } },
            { "all registers", [](BoxClient &c) { return c.writeAllRegisters(RegisterImage {}); } },
            { "identify",
                [](BoxClient &c) {
                    BoxClient::FirmwareVersion v;
                    return c.identify(v);
                } },
            { "cec store", [](BoxClient &c) { return c.storeCec(1, prepareHexText("40:04")); } },
            { "reset", [](BoxClient &c) { return c.factoryReset(Settings::Reset::Edid); } },
        };
        struct Fault
        {
            const char *name;
            Setup setup;
            BoxResult::Kind kind;
            quint32 usbStatus;
        };
        const QList<Fault> faults = {
            { "healthy", [](SimulatedBox &, DeviceLink &) {}, BoxResult::Ok, 0 },
            { "silent", [](SimulatedBox &b, DeviceLink &) { b.setSilent(true); },
                BoxResult::NoReply, 0 },
            { "wrong code", [](SimulatedBox &b, DeviceLink &) { b.setWrongCodeNext(1); },
                BoxResult::WrongCode, 0 },
            { "short reply", [](SimulatedBox &b, DeviceLink &) { b.setShortReplyNext(1); },
                BoxResult::ShortReply, 0 },
            { "write fails",
                [](SimulatedBox &b, DeviceLink &) {
                    b.failAlways(SimulatedBox::Operation::Write, UsbStatus::WriteTimedOut);
                },
                BoxResult::LinkError, UsbStatus::WriteTimedOut },
            { "queue check fails",
                [](SimulatedBox &b, DeviceLink &) {
                    b.failAlways(SimulatedBox::Operation::CheckRxQueue, UsbStatus::DeviceIoFailed);
                },
                BoxResult::LinkError, UsbStatus::DeviceIoFailed },
            { "read fails",
                [](SimulatedBox &b, DeviceLink &) {
                    b.failNext(SimulatedBox::Operation::Read, UsbStatus::ReadTimedOut);
                },
                BoxResult::LinkError, UsbStatus::ReadTimedOut },
            { "closed", [](SimulatedBox &, DeviceLink &l) { l.close(); }, BoxResult::NotOpen, 0 },
        };
        for (const auto &op : operations) {
            for (const Fault &f : faults) {
                QTest::addRow("%s, %s", op.first, f.name)
                    << f.setup << op.second << int(f.kind) << f.usbStatus;
            }
        }
    }

    void singleFrameFaults()
    {
        QFETCH(Setup, setup);
        QFETCH(Operation, operation);
        QFETCH(int, kind);
        QFETCH(quint32, usbStatus);
        setup(*box, *link);
        const BoxResult r = operation(*client);
        QCOMPARE(int(r.kind), kind);
        QCOMPARE(r.usbStatus, usbStatus);
        QCOMPARE(r.ok(), kind == BoxResult::Ok);
        QVERIFY(!r.describe().isEmpty());
        // A failing queue check is reported once, not once per check.
        QVERIFY(warnings->texts.size() <= 1);
    }

    // The settings commands send exactly the frames the window's slots send.
    void settingFrames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("frame");
        QTest::addRow("input") << "input"
                               << "port-b" << QByteArray("10 04 E0 00 02");
        QTest::addRow("hdcp") << "hdcp"
                              << "1.4" << QByteArray("10 04 E0 03 02");
        QTest::addRow("audio") << "audio-source"
                               << "jack" << QByteArray("10 04 E0 02 03");
        QTest::addRow("hdr mode") << "hdr-mode"
                                  << "full" << QByteArray("10 04 E0 13 00");
        QTest::addRow("algorithm") << "automix-algorithm"
                                   << "max-audio-max-video" << QByteArray("10 04 E0 20 03");
        QTest::addRow("replace avi") << "replace-avi"
                                     << "on" << QByteArray("10 04 E0 21 01");
    }

    void settingFrames()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QByteArray, frame);
        const Settings::Setting *s = Settings::find(name);
        QVERIFY(s);
        const auto v = Settings::valueOf(*s, value);
        QVERIFY(v);
        QVERIFY(client->writeSetting(s->id, *v).ok());
        QCOMPARE(hex(frames().last()), frame);
        // The box reports the value back at the setting's status position.
        QCOMPARE(box->statusBlock()[s->position], *v);
    }

    void settingsTableIsConsistent()
    {
        QCOMPARE(Settings::all().size(), Settings::COUNT);
        QSet<int> registers, positions;
        QSet<QString> names;
        for (const Settings::Setting &s : Settings::all()) {
            QCOMPARE(int(s.id), int(&s - &Settings::all().first())); // table order = enum order
            registers.insert(s.reg);
            positions.insert(s.position);
            names.insert(QLatin1String(s.name));
            QVERIFY(!s.values.isEmpty());
            QVERIFY(s.position != Settings::POS_EDID_MODE_FREE
                && s.position != Settings::POS_HDCP_FREE && s.position != Settings::POS_AUDIO_FREE);
        }
        QCOMPARE(registers.size(), Settings::COUNT);
        QCOMPARE(positions.size(), Settings::COUNT);
        QCOMPARE(names.size(), Settings::COUNT);
        QVERIFY(!registers.contains(Settings::REG_FACTORY_RESET));
        // A value the program never writes is shown by its number.
        const Settings::Setting &audio = Settings::setting(Settings::Id::AudioSource);
        QCOMPARE(Settings::valueName(audio, 2), QString("2"));
        QVERIFY(!Settings::valueOf(audio, "2"));
    }

    void edidReadFrames()
    {
        box->setFetchBusyReads(2);
        EdidImage table {};
        QList<int> progress;
        BoxClient::EdidReadEvents events;
        events.progress = [&](int done, int) { progress << done; };
        const auto r = client->readEdid(BoxClient::EdidSource::TvB, table, events);
        QVERIFY(r.ok());
        QVERIFY(!r.stayedBusy);
        QCOMPARE(table, box->tvEdid(1));
        const QList<QByteArray> f = frames();
        QCOMPARE(hex(f.first()), QByteArray("10 01 B6"));
        QCOMPARE(f.size(), 1 + 3 + EdidTransfer::READ_CHUNKS); // fetch, 2 busy + 1 idle poll
        QCOMPARE(hex(f.last()), QByteArray("11 10 B0 F0"));
        QCOMPARE(progress.size(), EdidTransfer::READ_CHUNKS);
        QCOMPARE(progress.last(), 240);
        QCOMPARE(clock->totalSleptMs(), quint64(100 + 3 * 10));
    }

    void edidReadStopsAtTheFailedChunk_data()
    {
        QTest::addColumn<int>("chunk");
        for (int k : { 0, 7, 15 })
            QTest::addRow("chunk %d", k) << k;
    }

    void edidReadStopsAtTheFailedChunk()
    {
        QFETCH(int, chunk);
        box->failEdidChunkRead(chunk);
        EdidImage table {};
        table.fill(0x5A);
        const auto r = client->readEdid(BoxClient::EdidSource::Box, table);
        QCOMPARE(r.failedChunk, chunk);
        QCOMPARE(int(r.result.kind), int(BoxResult::NoReply));
        QVERIFY(std::all_of(table.begin(), table.end(), [](quint8 b) { return b == 0x5A; }));
        QCOMPARE(hex(frames().last()).left(8), QByteArray("11 10 B0"));
        QCOMPARE(quint8(frames().last().at(3)), quint8(chunk * EdidTransfer::READ_CHUNK));
    }

    void edidReadSurvivesABusyBoxButNotAFailedFetch()
    {
        box->setBusyForever(true);
        int pollFailures = 0;
        BoxClient::EdidReadEvents events;
        events.statusReadFailed = [&](const BoxResult &) { ++pollFailures; };
        EdidImage table {};
        auto r = client->readEdid(BoxClient::EdidSource::Box, table, events);
        QVERIFY(r.ok());
        QVERIFY(r.stayedBusy);
        QCOMPARE(pollFailures, 0);
        QCOMPARE(box->statusReadCount(), EdidTransfer::MAX_BUSY_STATUS_READS);

        box->clearReceivedFrames();
        box->setSilentFor(CODE_EDID_FETCH_TV_A, 1);
        r = client->readEdid(BoxClient::EdidSource::TvA, table, events);
        QVERIFY(r.fetchFailed);
        QCOMPARE(int(r.result.kind), int(BoxResult::NoReply));
        QCOMPARE(frames().size(), 1);
    }

    void edidWrite_data()
    {
        QTest::addColumn<int>("failChunk");
        QTest::addRow("whole table") << -1;
        QTest::addRow("first chunk") << 0;
        QTest::addRow("last chunk") << EdidTransfer::WRITE_CHUNKS - 1;
    }

    void edidWrite()
    {
        QFETCH(int, failChunk);
        if (failChunk >= 0)
            box->failEdidChunkWrite(failChunk);
        const EdidImage before = box->boxEdid();
        EdidImage table = box->tvEdid(0);
        QList<int> progress;
        const auto r = client->writeEdid(table, [&](int done, int) { progress << done; });
        const QList<QByteArray> f = frames();
        if (failChunk < 0) {
            QVERIFY(r.committed());
            QCOMPARE(f.size(), EdidTransfer::WRITE_CHUNKS + 1);
            QCOMPARE(hex(f.last()), QByteArray("10 08 B1"));
            QCOMPARE(progress.size(), EdidTransfer::WRITE_CHUNKS);
            QCOMPARE(clock->totalSleptMs(), quint64(EdidTransfer::WRITE_CHUNKS * 30));
        } else {
            QVERIFY(!r.committed());
            QCOMPARE(r.failedChunk, failChunk);
            QCOMPARE(int(r.result.kind), int(BoxResult::WrongCode));
            QCOMPARE(f.size(), failChunk + 1); // nothing after the failed chunk, no commit
            QCOMPARE(box->boxEdid(), before);
        }
    }

    // An upload asked to stop (Ctrl+C at zelvarinctl) before a chunk or before the commit never
    // commits: the box shows the table it had, and a later whole upload still lands whole.
    void edidWriteStopped_data()
    {
        QTest::addColumn<int>("stopBefore"); // chunk index; WRITE_CHUNKS: before the commit
        QTest::addRow("before the first chunk") << 0;
        QTest::addRow("half-way") << EdidTransfer::WRITE_CHUNKS / 2;
        QTest::addRow("before the commit") << EdidTransfer::WRITE_CHUNKS;
    }

    void edidWriteStopped()
    {
        QFETCH(int, stopBefore);
        const EdidImage before = box->boxEdid();
        const EdidImage table = box->tvEdid(1);
        QVERIFY(table != before);
        int asked = 0;
        const auto r = client->writeEdid(table, {}, [&] { return asked++ == stopBefore; });
        QVERIFY(r.stopped);
        QVERIFY(!r.committed());
        QCOMPARE(r.failedChunk, stopBefore);
        QCOMPARE(frames().size(), stopBefore);
        for (const QByteArray &f : frames())
            QVERIFY2(!hex(f).startsWith("10 08 B1"), f.toHex(' ').constData());
        QCOMPARE(box->boxEdid(), before);
        // And so does what the box hands out when its table is read back.
        EdidImage readBack {};
        QVERIFY(client->readEdid(EdidSource::Box, readBack).ok());
        QCOMPARE(readBack, before);

        box->clearReceivedFrames();
        QVERIFY(client->writeEdid(table).committed());
        QCOMPARE(box->boxEdid(), table);
    }

    // Which packet commands activate after a failed load, and the frames they send.
    void packets_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("loadFails");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("cec") << "cec" << false
                             << QStringList { "10 03 B2 40 01 04", "10 03 B3 10" };
        QTest::addRow("cec, load refused")
            << "cec" << true << QStringList { "10 03 B2 40 01 04", "10 03 B3 10" };
        QTest::addRow("hdr") << "hdr" << false << QStringList { "10 02 E5 02 00", "10 02 B3 20" };
        QTest::addRow("hdr, load refused")
            << "hdr" << true << QStringList { "10 02 E5 02 00", "10 02 B3 20" };
        QTest::addRow("avi") << "avi" << false << QStringList { "10 02 E6 02 00", "10 02 B3 80" };
        QTest::addRow("avi, load refused") << "avi" << true << QStringList { "10 02 E6 02 00" };
    }

    void packets()
    {
        QFETCH(QString, command);
        QFETCH(bool, loadFails);
        QFETCH(QStringList, expected);
        if (loadFails)
            box->setWrongCodeNext(1);
        BoxClient::PacketResult r;
        if (command == "cec")
            r = client->sendCec(prepareHexText("40:04"));
        else if (command == "hdr")
            r = client->loadHdrInfoFrame(prepareHexText("02:00"));
        else
            r = client->loadAvi(prepareHexText("02:00"));
        QStringList sent;
        for (const QByteArray &f : frames())
            sent << QString::fromLatin1(hex(f));
        QCOMPARE(sent, expected);
        QCOMPARE(r.load.ok(), !loadFails);
        QCOMPARE(r.ok(), !loadFails);
        QCOMPARE(r.activateSent, expected.size() == 2);
        QCOMPARE(clock->totalSleptMs(), quint64(r.activateSent ? 100 : 0));
    }

    void signalDecodesTheBoxBlocks()
    {
        const auto read = client->readSignal();
        QVERIFY(read.ok());
        QCOMPARE(frames().size(), 4);
        const SignalInfo s = read.decode();
        QCOMPARE(s.vic, quint8(97));
        QVERIFY(s.hdmi && s.onOutputA && s.onOutputB);
        QCOMPARE(int(s.colourFormat), int(SignalInfo::ColourFormat::YCbCr444));
        QVERIFY(s.hasHdrInfoFrame());
        QCOMPARE(s.hdrEotf, quint8(2));
        BoxClient::FirmwareVersion v;
        QVERIFY(client->identify(v).ok());
        QCOMPARE(v.dotted(), QString("2.1.0.17"));
    }
};

QTEST_GUILESS_MAIN(TestBoxClient)
#include "tst_box_client.moc"
