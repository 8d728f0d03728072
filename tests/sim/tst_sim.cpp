// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "box/SignalDescription.h"
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "sim/BoxFactory.h"
#include "sim/SimulatedBox.h"

#include <QFile>
#include <QtTest>

using Op = SimulatedBox::Operation;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray edidFile(const char *name)
{
    QFile file(QStringLiteral(ZELVARIN_TEST_DATA "/edid/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray asBytes(const EdidImage &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.data()), EDID_SIZE);
}

class NoWarnings : public DeviceWarnings
{
public:
    void deviceWarning(const QString &text) override { shown << text; }
    QStringList shown;
};

} // namespace

class TestSimulatedBox : public QObject
{
    Q_OBJECT

private:
    VirtualClock clock;
    std::unique_ptr<SimulatedBox> box;
    UsbHandle handle = kClosedHandle;

    // One raw exchange as the link does it: flush, write, look at the queue, read what is there.
    QByteArray exchange(const QByteArray &frame)
    {
        quint32 n = 0, queue = 0;
        box->flushBuffers(handle, 1, 1);
        box->write(
            handle, reinterpret_cast<const quint8 *>(frame.constData()), quint32(frame.size()), &n);
        box->checkRxQueue(handle, &n, &queue);
        if (n == 0)
            return {};
        QByteArray reply(int(n), '\0');
        quint32 got = 0;
        box->read(handle, reinterpret_cast<quint8 *>(reply.data()), n, &got);
        return reply.left(int(got));
    }
    QByteArray statusRead() { return exchange(bytes({ 0x11, 42, 0xE1 })); }
    bool busy() { return quint8(statusRead().at(1)) & STATUS_FLAG_BUSY; }
    QByteArray readTable()
    {
        QByteArray table;
        for (int offset = 0; offset < EDID_SIZE; offset += 16)
            table += exchange(bytes({ 0x11, 16, 0xB0, offset }));
        return table;
    }
    void writeTable(const QByteArray &table)
    {
        for (int offset = 0; offset < EDID_SIZE; offset += 8)
            exchange(bytes({ 0x10, 8, 0xB0, offset }) + table.mid(offset, 8));
    }

private slots:
    void init()
    {
        clock = VirtualClock();
        box = std::make_unique<SimulatedBox>(clock);
        box->setRecording(true);
        QCOMPARE(box->open(0, &handle), quint32(UsbStatus::Success));
    }

    void deviceListAndStrings()
    {
        quint32 count = 0;
        QCOMPARE(box->getNumDevices(&count), quint32(UsbStatus::Success));
        QCOMPARE(count, 1u);
        char buffer[ProductString::kBufferSize];
        const QList<QByteArray> expected = { "2023", "ZELVARIN", "", "10C4", "EA61" };
        for (quint32 kind = 0; kind < 5; ++kind) {
            std::fill(std::begin(buffer), std::end(buffer), 'x');
            QCOMPARE(box->getProductString(0, buffer, kind), quint32(UsbStatus::Success));
            QVERIFY(std::find(buffer, buffer + sizeof buffer, '\0') != buffer + sizeof buffer);
            if (kind != ProductString::LinkName)
                QCOMPARE(QByteArray(buffer), expected.at(int(kind)));
        }
        QVERIFY(box->getProductString(1, buffer, 0) != UsbStatus::Success);

        box->setDevices({ "x2023", "2023", "2023" });
        box->failProductStringFor(1);
        QCOMPARE(box->getNumDevices(&count), quint32(UsbStatus::Success));
        QCOMPARE(count, 3u);
        QCOMPARE(box->getProductString(0, buffer, 0), quint32(UsbStatus::Success));
        QCOMPARE(QByteArray(buffer), QByteArray("x2023"));
        QVERIFY(box->getProductString(1, buffer, 0) != UsbStatus::Success);
        QCOMPARE(box->getProductString(2, buffer, 0), quint32(UsbStatus::Success));
    }

    void handlesAndTimeouts()
    {
        UsbHandle second = kClosedHandle;
        QVERIFY(box->open(0, &second) != UsbStatus::Success); // already in use
        quint32 n = 0;
        QCOMPARE(box->checkRxQueue(handle + 1, &n, nullptr), quint32(UsbStatus::InvalidHandle));
        QCOMPARE(box->close(handle), quint32(UsbStatus::Success));
        QCOMPARE(box->close(handle), quint32(UsbStatus::InvalidHandle));
        const quint8 frame[] = { 0x11, 42, 0xE1 };
        QCOMPARE(box->write(handle, frame, 3, &n), quint32(UsbStatus::InvalidHandle));
        QVERIFY(box->receivedFrames().isEmpty());

        quint32 r = 0, w = 0;
        box->getTimeouts(&r, &w);
        QCOMPARE(r, kInfiniteTimeout);
        QCOMPARE(w, kInfiniteTimeout);
        box->setTimeouts(4000, 0);
        QCOMPARE(box->timeouts(), std::make_pair(4000u, 0u));
        QVERIFY(box->callLog().contains(QStringLiteral("SetTimeouts 4000 0")));
    }

    void receiveQueue()
    {
        quint32 n = 99, got = 0;
        quint8 buffer[256];
        const int sleeps = clock.sleepCalls();
        const quint64 slept = clock.totalSleptMs();
        QCOMPARE(box->checkRxQueue(handle, &n, nullptr), quint32(UsbStatus::Success));
        QCOMPARE(n, 0u);
        // An empty queue costs one wait for a reply that does not come, as long as libusb's.
        QCOMPARE(clock.sleepCalls(), sleeps + 1);
        QCOMPARE(clock.totalSleptMs() - slept, quint64(SimulatedBox::QUEUE_WAIT_MS));
        QCOMPARE(box->read(handle, buffer, 64, &got), quint32(UsbStatus::ReadTimedOut));
        QCOMPARE(got, 0u);

        box->setExtraBytes(30);
        const quint8 status[] = { 0x11, 42, 0xE1 };
        box->write(handle, status, 3, &n);
        box->checkRxQueue(handle, &n, nullptr);
        QCOMPARE(n, 72u);
        QCOMPARE(box->read(handle, buffer, 64, &got), quint32(UsbStatus::Success));
        QCOMPARE(got, 64u);
        QCOMPARE(box->pendingBytes(), 8);
        // Bytes left over answer the next check without a wait; a flushed queue waits again.
        const int before = clock.sleepCalls();
        box->checkRxQueue(handle, &n, nullptr);
        QCOMPARE(n, 8u);
        QCOMPARE(clock.sleepCalls(), before);
        box->flushBuffers(handle, 1, 1);
        QCOMPARE(box->pendingBytes(), 0);
        box->checkRxQueue(handle, &n, nullptr);
        QCOMPARE(n, 0u);
        QCOMPARE(clock.sleepCalls(), before + 1);
    }

    void replyCodeAndLength_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("length");
        QTest::newRow("block read") << bytes({ 0x11, 15, 0xE0, 6 }) << 0xE0 << 15;
        QTest::newRow("status read") << bytes({ 0x11, 42, 0xE1 }) << 0xE1 << 42;
        QTest::newRow("register write") << bytes({ 0x10, 4, 0xE0, 22, 0 }) << 0xE0 << 2;
        QTest::newRow("register block")
            << bytes({ 0x10, 40, 0xE2 }) + QByteArray(40, 1) << 0xE2 << 2;
        QTest::newRow("fetch box") << bytes({ 0x10, 1, 0xB4 }) << 0xB4 << 2;
        QTest::newRow("fetch tv a") << bytes({ 0x10, 1, 0xB5 }) << 0xB5 << 2;
        QTest::newRow("fetch tv b") << bytes({ 0x10, 1, 0xB6 }) << 0xB6 << 2;
        QTest::newRow("chunk write") << bytes({ 0x10, 8, 0xB0, 0 }) + QByteArray(8, 0) << 0xB0 << 2;
        QTest::newRow("commit") << bytes({ 0x10, 8, 0xB1 }) << 0xB1 << 2;
        QTest::newRow("cec send") << bytes({ 0x10, 3, 0xB2, 0x0F, 1, 0x36 }) << 0xB2 << 2;
        QTest::newRow("cec store 1") << bytes({ 0x10, 10, 0xE3 }) + "CEC 50:04\r" << 0xE3 << 2;
        QTest::newRow("cec store 2") << bytes({ 0x10, 10, 0xE4 }) + "CEC 50:04\r" << 0xE4 << 2;
        QTest::newRow("infoframe") << bytes({ 0x10, 3, 0xE5, 0x87, 1, 2 }) << 0xE5 << 2;
        QTest::newRow("avi") << bytes({ 0x10, 2, 0xE6, 0x60, 0xC8 }) << 0xE6 << 2;
        QTest::newRow("activate") << bytes({ 0x10, 5, 0xB3, 0x10 }) << 0xB3 << 2;
        QTest::newRow("unknown code") << bytes({ 0x10, 1, 0xC7 }) << -1 << 0;
        QTest::newRow("unknown read") << bytes({ 0x11, 8, 0xB4 }) << -1 << 0;
        QTest::newRow("bad direction") << bytes({ 0x12, 42, 0xE1 }) << -1 << 0;
        QTest::newRow("truncated register write") << bytes({ 0x10, 4, 0xE0, 22 }) << -1 << 0;
        QTest::newRow("too short") << bytes({ 0x11, 42 }) << -1 << 0;
    }
    void replyCodeAndLength()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, code);
        QFETCH(int, length);
        const QByteArray reply = exchange(frame);
        QCOMPARE(reply.size(), length);
        if (code >= 0)
            QCOMPARE(int(quint8(reply.at(0))), code);
        QCOMPARE(box->receivedFrames(), QList<QByteArray> { frame });
    }

    // The signal blocks must read as the program reads them: through the real link and the real
    // description code, the default source is a 4K60 HDR10 signal on both outputs.
    void defaultSourceDescribesAs4kHdr()
    {
        box->close(handle);
        NoWarnings warnings;
        DeviceLink link(*box, clock, warnings);
        quint32 index = 0;
        QVERIFY(link.findDevice(DeviceLink::DEVICE_SERIAL, index));
        QVERIFY(link.open(index));
        Reply b6 {}, b21 {}, b30 {}, b7 {};
        const quint8 r6[] = { 0x11, 15, 0xE0, 6 }, r21[] = { 0x11, 31, 0xE0, 21 },
                     r30[] = { 0x11, 31, 0xE0, 30 }, r7[] = { 0x11, 8, 0xE0, 7 };
        QVERIFY(link.transact(b6, r6, 15, 4));
        QVERIFY(link.transact(b21, r21, 31, 4));
        QVERIFY(link.transact(b30, r30, 31, 4));
        QVERIFY(link.transact(b7, r7, 8, 4));
        QVERIFY(warnings.shown.isEmpty());

        const SignalDescription d = SignalDescription::fromBlocks(b6, b21, b30);
        QCOMPARE(
            d.videoLine, QStringLiteral("Input : 3840x2160p60 HDMI, [600MHz], Output: TX A, TX B"));
        QVERIFY(d.colourLine.contains(QLatin1String("BT.2020")));
        QCOMPARE(d.hdrLine, QStringLiteral("HDR input:  SMPTE ST 2084"));
        QCOMPARE(d.hdrCapture.count(QLatin1Char(':')), 25); // 26 data bytes
        QVERIFY(d.sourceLine.size() > QStringLiteral("Source Info:  ").size());
        QCOMPARE(
            QByteArray(reinterpret_cast<const char *>(b7.data()) + 2, 4), bytes({ 2, 1, 0, 17 }));
    }

    void storedInfoFramesAreWhole()
    {
        const QByteArray b35 = exchange(bytes({ 0x11, 33, 0xE0, 35 })).mid(2);
        QCOMPARE(b35.left(3), bytes({ 0x87, 0x01, 0x1A }));
        quint8 sum = 0;
        for (char c : b35.left(3 + 1 + 26))
            sum = quint8(sum + quint8(c));
        QCOMPARE(sum, quint8(0)); // a valid InfoFrame checksum
        QCOMPARE(exchange(bytes({ 0x11, 15, 0xE0, 36 })).mid(2), box->aviInfoFrame());
    }

    void edidFetchBusyThenRealTable_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("file");
        QTest::newRow("box") << 0xB4 << "tv-hdr-600mhz.bin";
        QTest::newRow("tv a") << 0xB5 << "tv-hdr-dynamic.bin";
        QTest::newRow("tv b") << 0xB6 << "projector-4k-hdr.bin";
    }
    void edidFetchBusyThenRealTable()
    {
        QFETCH(int, code);
        QFETCH(QString, file);
        QVERIFY(!busy());
        exchange(bytes({ 0x10, 1, code }));
        QVERIFY(busy());
        QVERIFY(busy());
        QVERIFY(busy());
        QVERIFY(!busy());
        const QByteArray expected = edidFile(file.toLatin1().constData());
        QCOMPARE(expected.size(), EDID_SIZE);
        QCOMPARE(readTable(), expected);
    }

    void edidUploadNeedsCommit()
    {
        QByteArray table = edidFile("projector-4k-hdr.bin");
        table[20] = char(0x42);
        writeTable(table);
        QCOMPARE(asBytes(box->boxEdid()), edidFile("tv-hdr-600mhz.bin")); // not yet committed
        QCOMPARE(exchange(bytes({ 0x10, 8, 0xB1 })), bytes({ 0xB1, 0 }));
        QCOMPARE(asBytes(box->boxEdid()), table);
        exchange(bytes({ 0x10, 1, 0xB4 }));
        QCOMPARE(readTable(), table);
        // A factory EDID reset brings the original table back and leaves the settings alone.
        box->statusBlock()[26] = 0;
        exchange(bytes({ 0x10, 4, 0xE0, 25, 1 }));
        QCOMPARE(asBytes(box->boxEdid()), edidFile("tv-hdr-600mhz.bin"));
        QCOMPARE(box->statusBlock()[26], quint8(0));
    }

    void registerWriteMovesItsPosition_data()
    {
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("position");
        const int map[][2] = { { 0, 0 }, { 1, 6 }, { 2, 1 }, { 3, 3 }, { 4, 4 }, { 5, 2 },
            { 8, 13 }, { 9, 14 }, { 10, 15 }, { 11, 16 }, { 12, 17 }, { 13, 18 }, { 14, 19 },
            { 16, 21 }, { 17, 22 }, { 19, 24 }, { 22, 26 }, { 23, 27 }, { 24, 28 }, { 26, 29 },
            { 27, 5 }, { 28, 30 }, { 29, 31 }, { 32, 32 }, { 33, 33 } };
        for (const auto &m : map)
            QTest::addRow("register %d", m[0]) << m[0] << m[1];
    }
    void registerWriteMovesItsPosition()
    {
        QFETCH(int, reg);
        QFETCH(int, position);
        const RegisterImage before = box->statusBlock();
        QCOMPARE(exchange(bytes({ 0x10, 4, 0xE0, reg, 0x77 })), bytes({ 0xE0, 0 }));
        RegisterImage expected = before;
        expected[position] = 0x77;
        QCOMPARE(box->statusBlock(), expected);
        QCOMPARE(QByteArray(statusRead().mid(2)).at(position), char(0x77));
    }

    void edidModeChangeKeepsBoxBusy()
    {
        exchange(bytes({ 0x10, 4, 0xE0, 5, 2 }));
        int busyReads = 0;
        while (busy() && busyReads < 10)
            ++busyReads;
        QVERIFY(busyReads > 0 && busyReads < 10);
    }

    void factoryReset_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("settings");
        QTest::addColumn<bool>("edid");
        QTest::newRow("edid only") << 1 << false << true;
        QTest::newRow("settings only") << 2 << true << false;
        QTest::newRow("both") << 3 << true << true;
        QTest::newRow("unknown value") << 4 << false << false;
    }
    void factoryReset()
    {
        QFETCH(int, value);
        QFETCH(bool, settings);
        QFETCH(bool, edid);
        writeTable(QByteArray(EDID_SIZE, char(0x11)));
        exchange(bytes({ 0x10, 8, 0xB1 }));
        exchange(bytes({ 0x10, 40, 0xE2 }) + QByteArray(40, char(9)));
        const RegisterImage changed = box->statusBlock();
        QCOMPARE(exchange(bytes({ 0x10, 4, 0xE0, 25, value })), bytes({ 0xE0, 0 }));
        QCOMPARE(box->statusBlock(), settings ? SimulatedBox::defaultStatusBlock() : changed);
        QCOMPARE(box->boxEdid() == box->factoryEdid(), edid);
    }

    void cecAndInfoFramesAreKept()
    {
        exchange(bytes({ 0x10, 3, 0xB2, 0x0F, 1, 0x36 }));
        exchange(bytes({ 0x10, 3, 0xB3, 0x10 }));
        QCOMPARE(box->lastCecMessage(), bytes({ 0x0F, 1, 0x36 }));
        exchange(bytes({ 0x10, 13, 0xE3 }) + "CEC 54:44:01\r");
        exchange(bytes({ 0x10, 10, 0xE4 }) + "CEC 50:04\r");
        QCOMPARE(box->cecStore(1), QByteArray("54:44:01\r"));
        QCOMPARE(box->cecStore(2), QByteArray("50:04\r"));

        // A shorter InfoFrame replaces the stored one whole; nothing of the old one shows.
        exchange(bytes({ 0x10, 4, 0xE5, 0x87, 1, 2, 3 }));
        exchange(bytes({ 0x10, 4, 0xB3, 0x20 }));
        QCOMPARE(box->infoFrame(), bytes({ 0x87, 1, 2, 3 }));
        QCOMPARE(exchange(bytes({ 0x11, 33, 0xE0, 35 })).mid(2),
            bytes({ 0x87, 1, 2, 3 }) + QByteArray(27, '\0'));
        exchange(bytes({ 0x10, 5, 0xE6, 0x60, 0xC8, 0x60, 0x61, 0 }));
        exchange(bytes({ 0x10, 5, 0xB3, 0x80 }));
        QCOMPARE(exchange(bytes({ 0x11, 15, 0xE0, 36 })).mid(2),
            bytes({ 0x60, 0xC8, 0x60, 0x61, 0 }) + QByteArray(8, '\0'));
        QCOMPARE(box->activations(), (QList<quint8> { 0x10, 0x20, 0x80 }));
    }

    // Off (as --simulate runs it), the box answers exactly as before but keeps no call, frame or
    // activation, so hours of polling do not add up; on again, it records from there.
    void recordingOffKeepsNothing()
    {
        box->setRecording(false);
        box->clearCallLog(); // the open of init()
        const QByteArray status = statusRead();
        QCOMPARE(status.size(), 42);
        QCOMPARE(exchange(bytes({ 0x10, 3, 0xB3, 0x10 })).size(), 2);
        box->setTimeouts(4000, 0);
        QVERIFY(box->callLog().isEmpty());
        QVERIFY(box->receivedFrames().isEmpty());
        QVERIFY(box->activations().isEmpty());

        box->setRecording(true);
        QCOMPARE(statusRead(), status);
        QCOMPARE(box->receivedFrames(), QList<QByteArray> { bytes({ 0x11, 42, 0xE1 }) });
        QCOMPARE(box->callLog(),
            (QStringList { QStringLiteral("Flush"), QStringLiteral("Write"),
                QStringLiteral("CheckRxQueue"), QStringLiteral("Read") }));
    }

    void replyMisbehaviour()
    {
        box->setWrongCodeNext(2);
        QVERIFY(statusRead().at(0) != char(0xE1));
        QVERIFY(statusRead().at(0) != char(0xE1));
        QCOMPARE(statusRead().at(0), char(0xE1));

        box->setShortReplyNext(41);
        QCOMPARE(statusRead().size(), 41);
        QCOMPARE(statusRead().size(), 42);

        box->setSilentFor(0xE1, 1);
        QVERIFY(statusRead().isEmpty());
        QCOMPARE(exchange(bytes({ 0x10, 1, 0xB4 })).size(), 2); // other codes still answered
        QCOMPARE(statusRead().size(), 42);

        box->setSilent(true);
        QVERIFY(statusRead().isEmpty());
        QCOMPARE(box->receivedFrames().size(), 9); // silent frames are recorded all the same
        box->setSilent(false);

        box->setBusyForever(true);
        for (int i = 0; i < 20; ++i)
            QVERIFY(busy());
        box->setBusyForever(false);
        box->setBusyStatusReads(2);
        QVERIFY(busy());
        QVERIFY(busy());
        QVERIFY(!busy());
    }

    void edidChunkMisbehaviour()
    {
        box->failEdidChunkRead(4);
        box->failEdidChunkWrite(5);
        exchange(bytes({ 0x10, 1, 0xB4 }));
        QCOMPARE(exchange(bytes({ 0x11, 16, 0xB0, 0x30 })).size(), 16);
        QVERIFY(exchange(bytes({ 0x11, 16, 0xB0, 0x40 })).isEmpty());
        QCOMPARE(exchange(bytes({ 0x10, 8, 0xB0, 0x20 }) + QByteArray(8, 0)).at(0), char(0xB0));
        const QByteArray fifth = exchange(bytes({ 0x10, 8, 0xB0, 0x28 }) + QByteArray(8, 0));
        QCOMPARE(fifth.size(), 2);
        QVERIFY(fifth.at(0) != char(0xB0));
    }

    // Counts and offsets come from the host; the box must stay inside its table and its packet.
    void requestsPastTheEndStayInside()
    {
        QCOMPARE(exchange(bytes({ 0x10, 8, 0xB0, 0xFC }) + QByteArray(8, char(0x5A))).size(), 2);
        QCOMPARE(box->statusBlock(), SimulatedBox::defaultStatusBlock());
        exchange(bytes({ 0x10, 8, 0xB1 }));
        QCOMPARE(asBytes(box->boxEdid()).right(4), QByteArray(4, char(0x5A)));
        exchange(bytes({ 0x10, 1, 0xB4 }));
        QCOMPARE(exchange(bytes({ 0x11, 16, 0xB0, 0xF8 })).size(), 8);
        QCOMPARE(exchange(bytes({ 0x11, 200, 0xE0, 6 })).size(), MAX_REPLY);
        QCOMPARE(exchange(bytes({ 0x11, 200, 0xE1 })).size(), MAX_REPLY);
    }

    void operationFailures()
    {
        quint32 n = 0, count = 0;
        box->failNext(Op::GetNumDevices, UsbStatus::DeviceIoFailed, 2);
        QCOMPARE(box->getNumDevices(&count), quint32(UsbStatus::DeviceIoFailed));
        QCOMPARE(box->getNumDevices(&count), quint32(UsbStatus::DeviceIoFailed));
        QCOMPARE(box->getNumDevices(&count), quint32(UsbStatus::Success));

        // A write that failed never reached the box: no frame, no reply.
        box->failNext(Op::Write, UsbStatus::WriteTimedOut);
        const quint8 frame[] = { 0x11, 42, 0xE1 };
        QCOMPARE(box->write(handle, frame, 3, &n), quint32(UsbStatus::WriteTimedOut));
        QVERIFY(box->receivedFrames().isEmpty());
        QCOMPARE(box->pendingBytes(), 0);

        box->failAlways(Op::CheckRxQueue, UsbStatus::RxQueueNotReady);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(box->checkRxQueue(handle, &n, nullptr), quint32(UsbStatus::RxQueueNotReady));
        box->failAlways(Op::CheckRxQueue, UsbStatus::Success);
        QCOMPARE(box->checkRxQueue(handle, &n, nullptr), quint32(UsbStatus::Success));
    }

    // Through the real link: a silent box ends the wait on the virtual clock (after four seconds
    // of it) instead of spinning for ever, a failing queue check ends it at once, and the
    // time-outs come back.
    void linkWaitEndsOnVirtualClock_data()
    {
        QTest::addColumn<bool>("failQueue");
        QTest::newRow("silent") << false;
        QTest::newRow("queue query fails") << true;
    }
    void linkWaitEndsOnVirtualClock()
    {
        QFETCH(bool, failQueue);
        box->close(handle);
        NoWarnings warnings;
        DeviceLink link(*box, clock, warnings);
        QVERIFY(link.open(0));
        box->setSilent(true);
        if (failQueue)
            box->failAlways(Op::CheckRxQueue, UsbStatus::DeviceIoFailed);
        Reply reply {};
        const quint8 request[] = { 0x11, 42, 0xE1 };
        QVERIFY(!link.transact(reply, request, 42, 3));
        if (failQueue)
            QVERIFY(clock.tickMs() < DeviceLink::TRANSACTION_TIMEOUT_MS);
        else
            QVERIFY(clock.tickMs() >= DeviceLink::TRANSACTION_TIMEOUT_MS);
        QCOMPARE(box->timeouts(), std::make_pair(kInfiniteTimeout, kInfiniteTimeout));
    }

    void livelyBoxChangesWithTime()
    {
        const QByteArray signal = box->block(6), hdr = box->block(30);
        const quint8 input = box->statusBlock()[0];
        // Off by default: a minute of polling changes nothing.
        for (int i = 0; i < 20; ++i) {
            clock.advance(3000);
            statusRead();
        }
        QCOMPARE(box->block(6), signal);
        QCOMPARE(box->statusBlock()[0], input);

        box->setLively(true);
        bool inputMoved = false, formatMoved = false, hdrMoved = false;
        for (int i = 0; i < 40; ++i) {
            clock.advance(3000);
            statusRead();
            inputMoved |= box->statusBlock()[0] != input;
            formatMoved |= box->block(6) != signal;
            hdrMoved |= box->block(30) != hdr;
        }
        QVERIFY(inputMoved);
        QVERIFY(formatMoved);
        QVERIFY(hdrMoved);

        // Without automatic switching the input stays where it is.
        exchange(bytes({ 0x10, 4, 0xE0, 1, 0 }));
        const quint8 now = box->statusBlock()[0];
        for (int i = 0; i < 40; ++i) {
            clock.advance(3000);
            statusRead();
        }
        QCOMPARE(box->statusBlock()[0], now);
    }
};

QTEST_GUILESS_MAIN(TestSimulatedBox)
#include "tst_sim.moc"
