// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The device link against a scripted USB layer: device search, open and close, the time-out
// handling of the raw operations and the request/reply transaction.
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"

#include <QBuffer>
#include <QtTest>
#include <functional>
#include <thread>

namespace {

class RecordingWarnings : public DeviceWarnings
{
public:
    void deviceWarning(const QString &text) override { texts << text; }
    QStringList texts;
};

// A USB layer whose answers each test sets up, and which logs every call.
class FakeUsb : public UsbXpress
{
public:
    explicit FakeUsb(Clock &clock)
        : m_clock(clock)
    {
    }

    QList<QByteArray> serials { "2023" };
    QList<quint32> failingProductIndexes;
    quint32 countStatus = UsbStatus::Success;
    quint32 openStatus = UsbStatus::Success;
    quint32 closeStatus = UsbStatus::Success;
    quint32 readStatus = UsbStatus::Success;
    quint32 writeStatus = UsbStatus::Success;
    quint32 queueStatus = UsbStatus::Success;
    QByteArray reply; // what the box answers to the next write
    int replyDelayMs = 2; // virtual time until the reply is queued
    bool silent = false;
    std::function<void()> onWrite;

    QStringList calls;
    quint32 readTimeout = kInfiniteTimeout;
    quint32 writeTimeout = kInfiniteTimeout;

    quint32 getNumDevices(quint32 *count) override
    {
        calls << "count";
        *count = quint32(serials.size());
        return countStatus;
    }
    quint32 getProductString(quint32 index, char *buffer, quint32 kind) override
    {
        calls << QStringLiteral("product %1 %2").arg(index).arg(kind);
        if (failingProductIndexes.contains(index)) {
            qstrcpy(buffer, "2023"); // a failed query's buffer must not count
            return UsbStatus::DeviceNotFound;
        }
        qstrncpy(buffer, serials.value(int(index)).constData(), ProductString::kBufferSize);
        return UsbStatus::Success;
    }
    quint32 open(quint32 index, UsbHandle *handle) override
    {
        calls << QStringLiteral("open %1").arg(index);
        if (openStatus == UsbStatus::Success)
            *handle = 0x1000 + index;
        return openStatus;
    }
    quint32 close(UsbHandle) override
    {
        calls << "close";
        return closeStatus;
    }
    quint32 read(UsbHandle, quint8 *buffer, quint32 wanted, quint32 *got) override
    {
        calls << QStringLiteral("read %1").arg(wanted);
        const quint32 n = qMin<quint32>(wanted, quint32(m_pending.size()));
        memcpy(buffer, m_pending.constData(), n);
        m_pending.remove(0, int(n));
        *got = n;
        return readStatus;
    }
    quint32 write(UsbHandle, const quint8 *buffer, quint32 length, quint32 *written) override
    {
        calls << QStringLiteral("write %1").arg(length);
        lastRequest = QByteArray(reinterpret_cast<const char *>(buffer), int(length));
        busyDuringWrite = onWrite ? (onWrite(), true) : false;
        *written = length;
        if (writeStatus == UsbStatus::Success && !silent) {
            m_replyAt = m_clock.tickMs() + quint32(replyDelayMs);
            m_replyQueued = false;
            m_armed = true;
        }
        return writeStatus;
    }
    quint32 getTimeouts(quint32 *r, quint32 *w) override
    {
        calls << "gettimeouts";
        *r = readTimeout;
        *w = writeTimeout;
        return UsbStatus::Success;
    }
    quint32 setTimeouts(quint32 r, quint32 w) override
    {
        calls << QStringLiteral("settimeouts %1 %2").arg(r).arg(w);
        readTimeout = r;
        writeTimeout = w;
        return UsbStatus::Success;
    }
    quint32 flushBuffers(UsbHandle, quint8 tx, quint8 rx) override
    {
        calls << QStringLiteral("flush %1 %2").arg(tx).arg(rx);
        m_pending.clear();
        return UsbStatus::Success;
    }
    quint32 checkRxQueue(UsbHandle, quint32 *bytes, quint32 *) override
    {
        ++queueChecks;
        if (m_armed && !m_replyQueued && qint32(m_clock.tickMs() - m_replyAt) >= 0) {
            m_pending += reply;
            m_replyQueued = true;
        }
        *bytes = quint32(m_pending.size());
        if (*bytes == 0)
            m_clock.sleepMs(1);
        return queueStatus;
    }

    QByteArray lastRequest;
    bool busyDuringWrite = false;
    int queueChecks = 0;

private:
    Clock &m_clock;
    QByteArray m_pending;
    quint32 m_replyAt = 0;
    bool m_replyQueued = false;
    bool m_armed = false;
};

QByteArray statusReply(int length)
{
    QByteArray r(length, '\0');
    r[0] = char(0xE1);
    for (int i = 2; i < length; ++i)
        r[i] = char(i);
    return r;
}

} // namespace

class TestDeviceLink : public QObject
{
    Q_OBJECT

    VirtualClock *clock = nullptr;
    FakeUsb *usb = nullptr;
    RecordingWarnings *warnings = nullptr;
    DeviceLink *link = nullptr;

    void openLink()
    {
        quint32 index = 0;
        QVERIFY(link->findDevice(DeviceLink::DEVICE_SERIAL, index));
        QVERIFY(link->open(index));
        usb->calls.clear();
    }
    bool statusRead(Reply &reply)
    {
        const quint8 request[] = { FRAME_READ, STATUS_LEN, CODE_STATUS };
        return link->transact(reply, request, STATUS_LEN, sizeof request);
    }

private Q_SLOTS:
    void init()
    {
        clock = new VirtualClock(1000);
        usb = new FakeUsb(*clock);
        warnings = new RecordingWarnings;
        link = new DeviceLink(*usb, *clock, *warnings);
    }
    void cleanup()
    {
        delete link;
        delete warnings;
        delete usb;
        delete clock;
    }

    void findDevice_matchesTheSerialExactly_data()
    {
        QTest::addColumn<QList<QByteArray>>("serials");
        QTest::addColumn<int>("expected"); // -1: not found
        QTest::newRow("only device") << QList<QByteArray> { "2023" } << 0;
        QTest::newRow("no devices") << QList<QByteArray> {} << -1;
        QTest::newRow("prefix and suffix do not match")
            << QList<QByteArray> { "20234", "x2023", "202", "2023 " } << -1;
        QTest::newRow("first of two matching")
            << QList<QByteArray> { "other", "2023", "2023" } << 1;
        QTest::newRow("empty strings") << QList<QByteArray> { "", "" } << -1;
    }
    void findDevice_matchesTheSerialExactly()
    {
        QFETCH(QList<QByteArray>, serials);
        QFETCH(int, expected);
        usb->serials = serials;
        quint32 index = 77;
        const bool found = link->findDevice(DeviceLink::DEVICE_SERIAL, index);
        QCOMPARE(found, expected >= 0);
        if (found) {
            QCOMPARE(int(index), expected);
            QVERIFY(warnings->texts.isEmpty());
        } else {
            QCOMPARE(index, 77u);
            QCOMPARE(warnings->texts, QStringList { "ZELVARIN USB not connected!" });
        }
        QCOMPARE(link->deviceHandle(), kClosedHandle);
    }

    void findDevice_skipsDevicesWhoseQueryFails()
    {
        usb->serials = { "2023", "2023" };
        usb->failingProductIndexes = { 0 };
        quint32 index = 0;
        QVERIFY(link->findDevice(DeviceLink::DEVICE_SERIAL, index));
        QCOMPARE(index, 1u);
        QVERIFY(usb->calls.contains("product 0 0"));
    }

    void findDevice_failedCountAndSearchCloseTheHandle()
    {
        openLink();
        QVERIFY(link->isOpen());
        usb->countStatus = UsbStatus::DeviceIoFailed;
        quint32 index = 0;
        QVERIFY(!link->findDevice(DeviceLink::DEVICE_SERIAL, index));
        QCOMPARE(link->deviceHandle(), kClosedHandle);
        QCOMPARE(warnings->texts, QStringList { "ZELVARIN USB not connected!" });
    }

    void openAndClose()
    {
        usb->openStatus = UsbStatus::DeviceNotFound;
        QVERIFY(!link->open(0));
        QCOMPARE(link->deviceHandle(), kClosedHandle);
        QCOMPARE(warnings->texts, QStringList { "Usb device open error!" });

        // A box another program holds is named as such, not as an error of the box.
        warnings->texts.clear();
        usb->openStatus = UsbStatus::DeviceInUse;
        QVERIFY(!link->open(0));
        QCOMPARE(warnings->texts, QStringList { DeviceLink::inUseText() });
        QVERIFY(DeviceLink::inUseText().contains("Another program is using the box"));

        usb->openStatus = UsbStatus::Success;
        QVERIFY(link->open(0));
        QVERIFY(link->isOpen());

        // A failing close still leaves the handle closed; a second close calls nothing.
        usb->closeStatus = UsbStatus::InvalidHandle;
        link->close();
        QCOMPARE(link->deviceHandle(), kClosedHandle);
        QCOMPARE(warnings->texts.last(), QString("Unable to close device handle!"));
        usb->calls.clear();
        warnings->texts.clear();
        link->close();
        QVERIFY(usb->calls.isEmpty());
        QVERIFY(warnings->texts.isEmpty());
    }

    void rawOperations_restoreTheTimeoutPair_data()
    {
        QTest::addColumn<bool>("isRead");
        QTest::addColumn<quint32>("status");
        QTest::newRow("read ok") << true << quint32(UsbStatus::Success);
        QTest::newRow("read fails") << true << quint32(UsbStatus::ReadTimedOut);
        QTest::newRow("write ok") << false << quint32(UsbStatus::Success);
        QTest::newRow("write fails") << false << quint32(UsbStatus::WriteTimedOut);
    }
    void rawOperations_restoreTheTimeoutPair()
    {
        QFETCH(bool, isRead);
        QFETCH(quint32, status);
        openLink();
        usb->readTimeout = 123;
        usb->writeTimeout = 456;
        usb->readStatus = usb->writeStatus = status;
        quint8 buffer[8] = { 1, 2, 3 };
        quint32 count = 0;
        const bool ok = isRead ? link->readRaw(buffer, 8, count, 4000)
                               : link->writeRaw(buffer, 3, count, 4000);
        QCOMPARE(ok, status == UsbStatus::Success);
        QCOMPARE(usb->readTimeout, 123u);
        QCOMPARE(usb->writeTimeout, 456u);
        const QString during = isRead ? "settimeouts 4000 0" : "settimeouts 0 4000";
        QCOMPARE(usb->calls.first(), QString("gettimeouts"));
        QCOMPARE(usb->calls.at(1), during);
        QCOMPARE(usb->calls.last(), QString("settimeouts 123 456"));
    }

    void transact_withoutDeviceCallsNothingAndFails()
    {
        Reply reply;
        reply.fill(0xE1); // an earlier good reply must not pass for this one
        bool busySeen = false;
        usb->onWrite = [&] { busySeen = true; };
        QVERIFY(!statusRead(reply));
        QVERIFY(usb->calls.isEmpty());
        QVERIFY(!busySeen);
        QVERIFY(!link->transactionBusy());
        QCOMPARE(reply[0], quint8(0xE1)); // untouched
    }

    void transact_flushesBeforeEveryWriteAndFlagsBusy()
    {
        openLink();
        usb->reply = statusReply(42);
        bool busyInside = false;
        usb->onWrite = [&] { busyInside = link->transactionBusy(); };
        Reply reply {};
        for (int i = 0; i < 2; ++i) {
            QVERIFY(statusRead(reply));
            QVERIFY(busyInside);
            QVERIFY(!link->transactionBusy());
        }
        QStringList flushesAndWrites;
        for (const QString &c : usb->calls) {
            if (c.startsWith("flush") || c.startsWith("write"))
                flushesAndWrites << c;
        }
        QCOMPARE(
            flushesAndWrites, (QStringList { "flush 1 1", "write 3", "flush 1 1", "write 3" }));
        QCOMPARE(usb->lastRequest, QByteArray("\x11\x2A\xE1"));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(reply.data()), 42), statusReply(42));
    }

    void transact_shortReplyFailsButIsCopied()
    {
        openLink();
        usb->reply = statusReply(41);
        Reply reply {};
        QVERIFY(!statusRead(reply));
        QCOMPARE(reply[0], quint8(0xE1));
        QCOMPARE(reply[40], quint8(40));
        QCOMPARE(reply[41], quint8(0)); // nothing beyond what came
    }

    void transact_readsAtMost64Bytes()
    {
        openLink();
        usb->reply = QByteArray(100, '\x5A');
        Reply reply {};
        QVERIFY(statusRead(reply));
        QVERIFY(usb->calls.contains("read 64"));
        QCOMPARE(reply[63], quint8(0x5A));
    }

    void transact_silentBoxFailsAfterFourSeconds()
    {
        openLink();
        usb->silent = true;
        Reply reply;
        reply.fill(0xE1);
        const quint32 t0 = clock->tickMs();
        QVERIFY(!statusRead(reply));
        QCOMPARE(clock->tickMs() - t0, 4000u);
        QCOMPARE(reply[0], quint8(0xE1)); // left as it was, and not taken as a reply
        QVERIFY(!usb->calls.contains("read 64"));
        QVERIFY(!link->transactionBusy());
    }

    void transact_survivesTheTickCounterWrapping()
    {
        delete link;
        delete usb;
        delete clock;
        clock = new VirtualClock(0xFFFFFFFFu - 1);
        usb = new FakeUsb(*clock);
        link = new DeviceLink(*usb, *clock, *warnings);
        openLink();
        usb->reply = statusReply(42);
        usb->replyDelayMs = 10;
        Reply reply {};
        QVERIFY(statusRead(reply));
        usb->silent = true;
        const quint32 t0 = clock->tickMs();
        QVERIFY(!statusRead(reply));
        QCOMPARE(quint32(clock->tickMs() - t0), 4000u);
    }

    void transact_failedQueueQueryWarnsAndFails()
    {
        openLink();
        usb->reply = statusReply(42);
        usb->queueStatus = UsbStatus::DeviceIoFailed;
        Reply reply {};
        QVERIFY(!statusRead(reply));
        QVERIFY(!warnings->texts.isEmpty());
        QCOMPARE(warnings->texts.first(), QString("Error Checking RX Queue"));
        QVERIFY(!usb->calls.contains("read 64")); // no read after a failed query
    }

    void transact_failedWriteOrReadFails()
    {
        openLink();
        usb->reply = statusReply(42);
        usb->writeStatus = UsbStatus::WriteTimedOut;
        Reply reply {};
        QVERIFY(!statusRead(reply));
        QVERIFY(!usb->calls.contains("read 64"));
        usb->writeStatus = UsbStatus::Success;
        usb->readStatus = UsbStatus::ReadError;
        QVERIFY(!statusRead(reply));
        QCOMPARE(reply[0], quint8(0xE1)); // copied all the same
    }

    void trace_logsRequestsRepliesAndResults()
    {
        QBuffer log;
        log.open(QIODevice::ReadWrite);
        link->setTrace(&log);
        Reply reply {};
        QVERIFY(!statusRead(reply)); // no device yet
        openLink();
        usb->reply = QByteArray("\xE0\x00", 2);
        const quint8 write[] = { FRAME_WRITE, 0x04, CODE_REGISTERS, 0x01, 0x00 };
        QVERIFY(link->transact(reply, write, 2, sizeof write));
        const QStringList lines = QString::fromLatin1(log.data()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[0].endsWith(" > 11 2A E1"), qPrintable(lines[0]));
        QVERIFY2(lines[1].endsWith(" < (no reply) failed"), qPrintable(lines[1]));
        QVERIFY2(lines[2].endsWith(" > 10 04 E0 01 00"), qPrintable(lines[2]));
        QVERIFY2(lines[3].endsWith(" < E0 00 ok"), qPrintable(lines[3]));
        QVERIFY(
            QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d > ").match(lines[0]).hasMatch());
    }

    // A wait ends when its flag goes up: at once when it is up already, on the system clock
    // when another thread raises it (the bound is far beyond what the test can take), and on a
    // virtual clock, where nothing else runs, after the whole wait.
    void clockWait_endsWhenTheFlagIsRaised()
    {
        WakeFlag flag;
        SystemClock system;
        std::thread raiser([&flag] {
            QThread::msleep(20);
            flag.raise();
        });
        const bool woken = system.wait(600000, flag);
        raiser.join();
        QVERIFY(woken);
        QVERIFY(system.wait(600000, flag)); // still up: no wait at all

        VirtualClock virtualClock;
        flag.clear();
        QVERIFY(!virtualClock.wait(50, flag));
        QCOMPARE(virtualClock.totalSleptMs(), quint64(50));
        flag.raise();
        QVERIFY(virtualClock.wait(50, flag));
        QCOMPARE(virtualClock.totalSleptMs(), quint64(50));
    }
};

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_device_link.moc"
