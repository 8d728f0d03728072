// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The libusb backend against boxes on an emulated USB bus (umockdev): the real libusb calls,
// usbdevfs ioctls and all, with no hardware. Needs libumockdev-preload.so ahead of everything else
// (the CTest registration sets LD_PRELOAD).

#include "link/usb/UsbAccessHint.h"
#include "tests/usb/UsbFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <functional>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

EmulatedBox::Descriptor box(QByteArray serial, int address, quint16 product = 0xEA61)
{
    EmulatedBox::Descriptor d;
    d.serial = std::move(serial);
    d.address = address;
    d.product = product;
    return d;
}

// Polls the receive queue until `bytes` are there; bounded by a count, not by time.
quint32 waitForQueue(LibUsbBackend &usb, UsbHandle h, quint32 bytes)
{
    quint32 waiting = 0, queueStatus = 0;
    for (int i = 0; i < 2000 && waiting < bytes; ++i)
        usb.checkRxQueue(h, &waiting, &queueStatus);
    return waiting;
}

// Counts the receive-queue checks on their way to the backend.
class CountingUsb final : public UsbXpress
{
public:
    explicit CountingUsb(UsbXpress &inner)
        : m_inner(inner)
    {
    }
    int queueChecks = 0;

    quint32 getNumDevices(quint32 *count) override { return m_inner.getNumDevices(count); }
    quint32 getProductString(quint32 index, char *buffer, quint32 kind) override
    {
        return m_inner.getProductString(index, buffer, kind);
    }
    quint32 open(quint32 index, UsbHandle *handle) override { return m_inner.open(index, handle); }
    quint32 close(UsbHandle handle) override { return m_inner.close(handle); }
    quint32 read(UsbHandle handle, quint8 *buffer, quint32 wanted, quint32 *got) override
    {
        return m_inner.read(handle, buffer, wanted, got);
    }
    quint32 write(UsbHandle handle, const quint8 *buffer, quint32 length, quint32 *written) override
    {
        return m_inner.write(handle, buffer, length, written);
    }
    quint32 getTimeouts(quint32 *readMs, quint32 *writeMs) override
    {
        return m_inner.getTimeouts(readMs, writeMs);
    }
    quint32 setTimeouts(quint32 readMs, quint32 writeMs) override
    {
        return m_inner.setTimeouts(readMs, writeMs);
    }
    quint32 flushBuffers(UsbHandle handle, quint8 flushTransmit, quint8 flushReceive) override
    {
        return m_inner.flushBuffers(handle, flushTransmit, flushReceive);
    }
    quint32 checkRxQueue(UsbHandle handle, quint32 *bytesInQueue, quint32 *queueStatus) override
    {
        ++queueChecks;
        return m_inner.checkRxQueue(handle, bytesInQueue, queueStatus);
    }

private:
    UsbXpress &m_inner;
};

// A queue-check slice far longer than CTest lets the test run: a check that sat its slice out
// instead of returning when the read came back would never finish, and the time-out fails it.
UsbSettings endlessQueueWait()
{
    UsbSettings settings;
    settings.queueWaitMs = 10 * 60 * 1000;
    return settings;
}

// Runs `action` on a thread of its own once the test's thread has had a moment to start waiting.
// Should it come before the wait after all, the test checks less, but still nothing false.
std::thread meanwhile(std::function<void()> action)
{
    return std::thread([action = std::move(action)] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        action();
    });
}

// Root opens any file; for as long as this lives, the calling thread is held to the file
// permissions like any user (capabilities are per thread, so libusb's and umockdev's threads are
// left alone).
class PermissionsEnforced
{
public:
    PermissionsEnforced()
    {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = { m_saved[0], m_saved[1] };
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_changed = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    bool holds() const { return m_changed || ::geteuid() != 0; }
    ~PermissionsEnforced()
    {
        if (m_changed)
            syscall(SYS_capset, &m_header, m_saved);
    }

private:
    __user_cap_header_struct m_header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct m_saved[2] = {};
    bool m_changed = false;
};

} // namespace

class TestUsb : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void settingsParsing_data();
    void settingsParsing();
    void vendorTimeoutsForLibusb();
    void queueWaitOption_data();
    void queueWaitOption();

    void noBoxAttached();
    void enumerationAndSerialMatching();
    void productStringKinds_data();
    void productStringKinds();
    void permissionDeniedNamesTheDeviceAndTheRule();
    void accessHintNamesTheFilesFound_data();
    void accessHintNamesTheFilesFound();
    void openAndCloseSequence_data();
    void openAndCloseSequence();
    void refusedOpenRequestLeavesTheDeviceFree();
    void boxHeldByAnotherProgramIsNamedSo();
    void statusReadThroughTheTransferPath_data();
    void statusReadThroughTheTransferPath();
    void readReturnsWhatIsThereInPackets();
    void flushDropsWhatCameUnasked();
    void silentDeviceTimesOut();
    void unplugMidTransactionFailsWithoutCrashing();
    void replyArrivingDuringTheQueueWaitIsSeenAtOnce();
    void unplugDuringTheQueueWaitFailsAtOnce();
    void silentBoxIsWaitedForInSlicesUntilTheDeadline();

private:
    bool m_emulated = false;
};

void TestUsb::initTestCase()
{
    QString brokenSetUp;
    m_emulated = emulatedBusReady(&brokenSetUp);
    QVERIFY2(brokenSetUp.isEmpty(), qPrintable(brokenSetUp));
}

// --- settings ------------------------------------------------------------------------------------

void TestUsb::settingsParsing_data()
{
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("expected"); // "vid:pid,...|type req index open close purge en"

    const QString defaults = QStringLiteral("10c4:ea61|40 02 0000 0002 0004 0001 0");
    QTest::newRow("nothing") << QStringList() << QStringList() << true << defaults;
    QTest::newRow("extra id, any case, 0x, duplicate dropped")
        << QStringList { "10C4:8A5E", "0x10c4:0x8a5e", "10c4:ea61" } << QStringList() << true
        << QStringLiteral("10c4:ea61,10c4:8a5e|40 02 0000 0002 0004 0001 0");
    QTest::newRow("short hex ids")
        << QStringList { "1:2" } << QStringList() << true
        << QStringLiteral("10c4:ea61,0001:0002|40 02 0000 0002 0004 0001 0");
    for (const char *bad :
        { "10c4", "10c4:", ":ea61", "10c4:ea61:1", "10c4:1ea61", "10c4:eaXX", "-1:2", "" })
        QTest::newRow(qPrintable(QStringLiteral("bad id '%1'").arg(bad)))
            << QStringList { QString::fromLatin1(bad) } << QStringList() << false << defaults;
    QTest::newRow("a bad id among good ones changes nothing")
        << QStringList { "10c4:8a5e", "nonsense" } << QStringList() << false << defaults;

    QTest::newRow("every option") << QStringList()
                                  << QStringList { "request-type=c1", "request=0x12", "index=1",
                                         "open=5", "close=6", "purge=0x000f", "enable=on",
                                         "enable-request=7", "enable-value=ABCD" }
                                  << true
                                  << QStringLiteral("10c4:ea61|c1 12 0001 0005 0006 000f 1");
    QTest::newRow("enable off again")
        << QStringList() << QStringList { "enable=yes", "ENABLE=off" } << true << defaults;
    for (const char *bad : { "open", "open=", "open=10000", "request=100", "enable=maybe",
             "bogus=1", "=1", "open=2 3" })
        QTest::newRow(qPrintable(QStringLiteral("bad option '%1'").arg(bad)))
            << QStringList() << QStringList { "open=9", QString::fromLatin1(bad) } << false
            << defaults;
}

void TestUsb::settingsParsing()
{
    QFETCH(QStringList, ids);
    QFETCH(QStringList, options);
    QFETCH(bool, accepted);
    QFETCH(QString, expected);

    UsbSettings s;
    QString error;
    const bool ok = s.addIds(ids, &error) && s.applyOptions(options, &error);
    QCOMPARE(ok, accepted);
    QCOMPARE(error.isEmpty(), accepted);

    QStringList idTexts;
    for (const UsbId &id : s.ids)
        idTexts << QStringLiteral("%1:%2")
                       .arg(id.vendor, 4, 16, QLatin1Char('0'))
                       .arg(id.product, 4, 16, QLatin1Char('0'));
    const auto hex
        = [](uint v, int w) { return QStringLiteral("%1").arg(v, w, 16, QLatin1Char('0')); };
    const QString actual = idTexts.join(QLatin1Char(',')) + QLatin1Char('|')
        + QStringList { hex(s.requestType, 2), hex(s.request, 2), hex(s.index, 4),
              hex(s.openValue, 4), hex(s.closeValue, 4), hex(s.purgeValue, 4),
              QString::number(s.sendEnable) }
              .join(QLatin1Char(' '));
    QCOMPARE(actual, expected);
    if (accepted && options.contains(QStringLiteral("enable=on"))) {
        QCOMPARE(s.enableRequest, quint8(7));
        QCOMPARE(s.enableValue, quint16(0xABCD));
    }
}

void TestUsb::vendorTimeoutsForLibusb()
{
    QCOMPARE(LibUsbBackend::libusbTimeout(kInfiniteTimeout), 0u); // libusb's "for ever"
    QCOMPARE(LibUsbBackend::libusbTimeout(0), 1u); // must not become "for ever"
    QCOMPARE(LibUsbBackend::libusbTimeout(4000), 4000u);
}

void TestUsb::queueWaitOption_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<quint32>("ms");

    QTest::newRow("default") << QString() << true << 50u;
    QTest::newRow("shortest") << "queue-wait=1" << true << 1u;
    QTest::newRow("decimal, as times are typed") << "Queue-Wait=100" << true << 100u;
    QTest::newRow("longest") << "queue-wait=1000" << true << 1000u;
    for (const char *bad : { "queue-wait=0", "queue-wait=1001", "queue-wait=0x10",
             "queue-wait=", "queue-wait=-5", "queue-wait=5ms" })
        QTest::newRow(bad) << QString::fromLatin1(bad) << false << 50u;
}

void TestUsb::queueWaitOption()
{
    QFETCH(QString, option);
    QFETCH(bool, accepted);
    QFETCH(quint32, ms);

    UsbSettings s;
    QString error;
    QCOMPARE(s.applyOptions(option.isEmpty() ? QStringList() : QStringList { option }, &error),
        accepted);
    QCOMPARE(s.queueWaitMs, ms);
    if (!accepted)
        QVERIFY2(
            error.contains(QLatin1String("queue-wait: 1 to 1000 milliseconds")), qPrintable(error));
}

// --- device list and strings --------------------------------------------------------------------

void TestUsb::noBoxAttached()
{
    REQUIRE_EMULATED_BUS();
    Bus bus;
    bus.add(box("2023", 4, 0xC52B)); // somebody else's device
    LinkedBackend b;

    QVERIFY(!b.find());
    QCOMPARE(b.warnings.texts, QStringList { QStringLiteral("ZELVARIN USB not connected!") });
    QCOMPARE(b.index, 99u);
}

void TestUsb::enumerationAndSerialMatching()
{
    REQUIRE_EMULATED_BUS();
    Bus bus;
    // Added out of order: the index follows the bus position, not the order of discovery.
    EmulatedBox &second = bus.add(box("2023", 5));
    bus.add(box("20230", 3));
    bus.add(box("2023", 4, 0xC52B)); // not a box: another product
    bus.add(box("2023", 2, 0x8A5E)); // a box with its own product ID, seen only when asked for

    {
        LinkedBackend b;
        quint32 count = 0;
        QCOMPARE(b.usb.getNumDevices(&count), quint32(UsbStatus::Success));
        QCOMPARE(count, 2u);

        QVERIFY(b.find());
        QCOMPARE(b.index, 1u);
        QVERIFY(b.warnings.texts.isEmpty());
        QVERIFY(b.link.open(b.index));
        QVERIFY(second.interfaceClaimed());
        b.link.close();
        QVERIFY(b.warnings.texts.isEmpty());
    }
    {
        UsbSettings settings;
        QString error;
        QVERIFY(settings.addIds({ QStringLiteral("10c4:8a5e") }, &error));
        LibUsbBackend usb(settings);
        quint32 count = 0;
        QCOMPARE(usb.getNumDevices(&count), quint32(UsbStatus::Success));
        QCOMPARE(count, 3u);
        char serial[ProductString::kBufferSize];
        QCOMPARE(usb.getProductString(0, serial, ProductString::Pid), quint32(UsbStatus::Success));
        QCOMPARE(QByteArray(serial), QByteArray("8A5E"));
    }
}

void TestUsb::productStringKinds_data()
{
    QTest::addColumn<quint32>("index");
    QTest::addColumn<quint32>("kind");
    QTest::addColumn<quint32>("status");
    QTest::addColumn<QByteArray>("text");

    const quint32 ok = UsbStatus::Success;
    QTest::newRow("0 serial") << 0u << quint32(ProductString::SerialNumber) << ok
                              << QByteArray("2023");
    QTest::newRow("1 description")
        << 0u << quint32(ProductString::Description) << ok << QByteArray("ZELVARIN");
    QTest::newRow("2 link name") << 0u << quint32(ProductString::LinkName) << ok
                                 << QByteArray("usb:001:007");
    QTest::newRow("3 vendor ID") << 0u << quint32(ProductString::Vid) << ok << QByteArray("10C4");
    QTest::newRow("4 product ID") << 0u << quint32(ProductString::Pid) << ok << QByteArray("EA61");
    QTest::newRow("unknown kind") << 0u << 5u << quint32(UsbStatus::InvalidParameter)
                                  << QByteArray();
    QTest::newRow("no such device")
        << 1u << 0u << quint32(UsbStatus::DeviceNotFound) << QByteArray();
}

void TestUsb::productStringKinds()
{
    REQUIRE_EMULATED_BUS();
    QFETCH(quint32, index);
    QFETCH(quint32, kind);
    QFETCH(quint32, status);
    QFETCH(QByteArray, text);

    Bus bus;
    bus.add(box("2023", 7));
    LibUsbBackend usb;
    quint32 count = 0;
    usb.getNumDevices(&count);
    QCOMPARE(count, 1u);

    char buffer[ProductString::kBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    QCOMPARE(usb.getProductString(index, buffer, kind), status);
    QVERIFY(std::memchr(buffer, '\0', sizeof buffer)); // always terminated, even on failure
    QCOMPARE(QByteArray(buffer), text);
}

void TestUsb::permissionDeniedNamesTheDeviceAndTheRule()
{
    REQUIRE_EMULATED_BUS();
    Bus bus;
    EmulatedBox &device = bus.add(box("2023", 4));
    LinkedBackend b;
    QList<QByteArray> notices;
    b.usb.setNoticeSink([&notices](const QByteArray &line) { notices << line; });
    quint32 count = 0;
    QCOMPARE(b.usb.getNumDevices(&count), quint32(UsbStatus::Success));
    QCOMPARE(count, 1u);

    device.denyAccess();
    bool found = false;
    quint32 opened = UsbStatus::Success;
    {
        PermissionsEnforced asAUser;
        if (!asAUser.holds())
            QSKIP("cannot give up CAP_DAC_OVERRIDE here, and root opens any device node");
        found = b.find();
        UsbHandle h = kClosedHandle;
        opened = b.usb.open(0, &h);
    }

    QVERIFY(!found);
    QCOMPARE(b.warnings.texts, QStringList { QStringLiteral("ZELVARIN USB not connected!") });
    QVERIFY(opened != UsbStatus::Success);
    // One line, however often the device was tried.
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().contains("10C4:EA61 (bus 001, address 004)"), notices.first());
    QVERIFY2(notices.first().contains("dist/60-zelvarin.rules"), notices.first());
}

// The advice names the rule where udev reads it and the notes where they were installed; a program
// run from its build folder, which has neither, is pointed at the source tree.
void TestUsb::accessHintNamesTheFilesFound_data()
{
    QTest::addColumn<bool>("ruleInstalled");
    QTest::addColumn<bool>("notesInstalled");
    QTest::addColumn<QStringList>("said");
    QTest::newRow("installed") << true << true
                               << QStringList { "the udev rule @/etc/60-zelvarin.rules lets",
                                      "plugged in again", "see @/doc/hardware.md." };
    QTest::newRow("notes only") << false << true
                                << QStringList { "install the udev rule 60-zelvarin.rules in "
                                                 "/etc/udev/rules.d",
                                       "see @/doc/hardware.md." };
    QTest::newRow("build folder") << false << false
                                  << QStringList { "dist/60-zelvarin.rules in the source tree",
                                         "docs/hardware.md in the source tree" };
}

void TestUsb::accessHintNamesTheFilesFound()
{
    QFETCH(bool, ruleInstalled);
    QFETCH(bool, notesInstalled);
    QFETCH(QStringList, said);
    QTemporaryDir dir;
    const QString root = dir.path();
    QDir(root).mkpath(QStringLiteral("etc"));
    QDir(root).mkpath(QStringLiteral("doc"));
    const QString rule = root + QStringLiteral("/etc/60-zelvarin.rules");
    const QString notes = root + QStringLiteral("/doc/hardware.md");
    for (const auto &[path, there] :
        { std::pair { rule, ruleInstalled }, { notes, notesInstalled } }) {
        if (there) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
    }
    // The first place that holds the file counts.
    const UsbAccessHint::Found found = UsbAccessHint::find(
        { root + QStringLiteral("/none/60-zelvarin.rules"), rule }, { notes, rule });
    const QString advice = QString::fromLocal8Bit(UsbAccessHint::advice(found));
    for (QString part : said) {
        part.replace(QLatin1Char('@'), root);
        QVERIFY2(advice.contains(part), qPrintable(advice));
    }
    // An installed program says nothing of a source tree it does not have.
    QCOMPARE(advice.contains(QLatin1String("source tree")), !(ruleInstalled && notesInstalled));
}

// --- open, close, transfers ---------------------------------------------------------------------

void TestUsb::openAndCloseSequence_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QList<Request>>("onOpen");
    QTest::addColumn<Request>("onClose");

    // The halts of both bulk endpoints are cleared first (CLEAR_FEATURE to the endpoint).
    const QList<Request> halts { { 0x02, 0x01, 0x0000, 0x02 }, { 0x02, 0x01, 0x0000, 0x82 } };
    QTest::newRow("defaults") << QStringList()
                              << halts + QList<Request> { { 0x40, 0x02, 0x0002, 0 } }
                              << Request { 0x40, 0x02, 0x0004, 0 };
    QTest::newRow("with the enable request")
        << QStringList { "enable=on" }
        << halts + QList<Request> { { 0x40, 0x00, 0xFFFF, 0 }, { 0x40, 0x02, 0x0002, 0 } }
        << Request { 0x40, 0x02, 0x0004, 0 };
    QTest::newRow("other values") << QStringList { "request=3", "open=12", "close=13", "index=1" }
                                  << halts + QList<Request> { { 0x40, 0x03, 0x0012, 1 } }
                                  << Request { 0x40, 0x03, 0x0013, 1 };
    QTest::newRow("a CP210x bridge's enable, no halts cleared")
        << QStringList { "enable=on", "enable-request-type=41", "enable-value=1", "clear-halt=off" }
        << QList<Request> { { 0x41, 0x00, 0x0001, 0 }, { 0x40, 0x02, 0x0002, 0 } }
        << Request { 0x40, 0x02, 0x0004, 0 };
    QTest::newRow("the enable request's own index, apart from the others")
        << QStringList { "enable=on", "enable-index=2", "index=1" }
        << halts + QList<Request> { { 0x40, 0x00, 0xFFFF, 2 }, { 0x40, 0x02, 0x0002, 1 } }
        << Request { 0x40, 0x02, 0x0004, 1 };
}

void TestUsb::openAndCloseSequence()
{
    REQUIRE_EMULATED_BUS();
    QFETCH(QStringList, options);
    QFETCH(QList<Request>, onOpen);
    QFETCH(Request, onClose);

    UsbSettings settings;
    QString error;
    QVERIFY(settings.applyOptions(options, &error));
    // A box whose firmware knows the values the options name.
    EmulatedBox::Descriptor d;
    d.request = settings.request;
    d.openValue = settings.openValue;
    d.closeValue = settings.closeValue;
    OneBox one(settings, d);
    auto [device, usb, link, warnings, h] = one.openDirectly();
    QVERIFY(h != kClosedHandle);
    // The serial driver let go of the interface, we hold it, the firmware has been told.
    QVERIFY(!device.kernelDriverBound());
    QVERIFY(device.interfaceClaimed());
    QCOMPARE(device.controlRequests(), onOpen);

    QCOMPARE(usb.close(h), quint32(UsbStatus::Success));
    QCOMPARE(device.controlRequests(), onOpen + QList<Request> { onClose });
    QVERIFY(!device.interfaceClaimed());
    QVERIFY(device.kernelDriverBound()); // given back

    quint32 got = 0, waiting = 0, status = 0;
    quint8 byte = 0;
    QCOMPARE(usb.close(h), quint32(UsbStatus::InvalidHandle));
    QCOMPARE(usb.read(h, &byte, 1, &got), quint32(UsbStatus::InvalidHandle));
    QCOMPARE(usb.write(h, &byte, 1, &got), quint32(UsbStatus::InvalidHandle));
    QCOMPARE(usb.checkRxQueue(h, &waiting, &status), quint32(UsbStatus::InvalidHandle));
    QCOMPARE(usb.flushBuffers(h, 1, 1), quint32(UsbStatus::InvalidHandle));
}

void TestUsb::refusedOpenRequestLeavesTheDeviceFree()
{
    REQUIRE_EMULATED_BUS();
    Bus bus;
    EmulatedBox &device = bus.add();
    device.refuseRequest(0x0002);
    LinkedBackend b;

    QVERIFY(b.find());
    QVERIFY(!b.link.open(b.index));
    QCOMPARE(b.warnings.texts, QStringList { QStringLiteral("Usb device open error!") });
    QVERIFY(!b.link.isOpen());
    QVERIFY(!device.interfaceClaimed());
    QVERIFY(device.kernelDriverBound());
}

// The window holds the box; zelvarinctl, a second program with a libusb context of its own, is
// told so plainly, and opens the box once the first has let go.
void TestUsb::boxHeldByAnotherProgramIsNamedSo()
{
    REQUIRE_EMULATED_BUS();
    Bus bus;
    EmulatedBox &device = bus.add();
    LinkedBackend holder;
    QVERIFY(holder.findAndOpen());
    LinkedBackend other;

    QVERIFY(other.find());
    QVERIFY(!other.link.open(other.index));
    QCOMPARE(other.warnings.texts, QStringList { DeviceLink::inUseText() });
    QVERIFY(!other.link.isOpen());
    // The holder keeps the box and goes on talking to it.
    QVERIFY(device.interfaceClaimed());
    Reply reply {};
    QVERIFY(holder.link.transact(reply, kStatusRead, STATUS_LEN, sizeof kStatusRead));

    holder.link.close();
    QVERIFY(other.link.open(other.index));
}

void TestUsb::statusReadThroughTheTransferPath_data()
{
    QTest::addColumn<quint8>("in");
    QTest::addColumn<quint8>("out");
    QTest::newRow("endpoints 82/02") << quint8(0x82) << quint8(0x02);
    QTest::newRow("endpoints 81/01") << quint8(0x81) << quint8(0x01);
}

void TestUsb::statusReadThroughTheTransferPath()
{
    REQUIRE_EMULATED_BUS();
    QFETCH(quint8, in);
    QFETCH(quint8, out);
    EmulatedBox::Descriptor d;
    d.inEndpoint = in;
    d.outEndpoint = out;
    OneBox one(UsbSettings(), d);
    auto [device, usb, link, warnings, h] = one.openThroughTheLink();
    QVERIFY(h != kClosedHandle);

    Reply reply {};
    QVERIFY(link.transact(reply, kStatusRead, STATUS_LEN, sizeof kStatusRead));
    QCOMPARE(reply[0], CODE_STATUS);
    const RegisterImage image = device.statusBlock();
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(reply.data()) + 2, STATUS_BLOCK_LEN),
        QByteArray(reinterpret_cast<const char *>(image.data()), STATUS_BLOCK_LEN));
    QCOMPARE(device.frames(),
        QList<QByteArray> { QByteArray(reinterpret_cast<const char *>(kStatusRead), 3) });
    // The transaction purged the box's buffers before it wrote.
    QCOMPARE(device.controlRequests().last(), (Request { 0x40, 0x02, 0x0001, 0 }));
    QVERIFY(warnings.texts.isEmpty());

    // The time-out pair is the caller's again afterwards.
    quint32 readMs = 0, writeMs = 0;
    usb.getTimeouts(&readMs, &writeMs);
    QCOMPARE(readMs, kInfiniteTimeout);
    QCOMPARE(writeMs, kInfiniteTimeout);
    link.close();
    QVERIFY(warnings.texts.isEmpty());
}

void TestUsb::readReturnsWhatIsThereInPackets()
{
    REQUIRE_EMULATED_BUS();
    OneBox one;
    auto [device, usb, link, warnings, h] = one.openDirectly();
    QVERIFY(h != kClosedHandle);

    // Exactly one full packet, with no short packet after it: it must still be seen.
    QByteArray packet(64, '\0');
    for (int i = 0; i < packet.size(); ++i)
        packet[i] = char(i);
    device.sendUnsolicited(packet);
    QCOMPARE(waitForQueue(usb, h, 64), 64u);

    device.sendUnsolicited(QByteArray(36, 'z'));
    QCOMPARE(waitForQueue(usb, h, 100), 100u);
    usb.setTimeouts(50, 50);
    quint8 buffer[128] = {};
    quint32 got = 0;
    QCOMPARE(usb.read(h, buffer, 70, &got), quint32(UsbStatus::Success));
    QCOMPARE(got, 70u);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer), 64), packet);
    QCOMPARE(usb.read(h, buffer, 128, &got), quint32(UsbStatus::Success));
    QCOMPARE(got, 30u);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer), 30), QByteArray(30, 'z'));
    QCOMPARE(usb.close(h), quint32(UsbStatus::Success));
}

void TestUsb::flushDropsWhatCameUnasked()
{
    REQUIRE_EMULATED_BUS();
    OneBox one;
    auto [device, usb, link, warnings, h] = one.openDirectly();
    QVERIFY(h != kClosedHandle);

    device.sendUnsolicited(QByteArray("\xE1stale", 6));
    QCOMPARE(waitForQueue(usb, h, 6), 6u);
    QCOMPARE(usb.flushBuffers(h, 1, 1), quint32(UsbStatus::Success));
    QCOMPARE(device.controlRequests().last(), (Request { 0x40, 0x02, 0x0001, 0 }));
    quint32 waiting = 99, queueStatus = 0;
    QCOMPARE(usb.checkRxQueue(h, &waiting, &queueStatus), quint32(UsbStatus::Success));
    QCOMPARE(waiting, 0u);

    // The next reply is the box's, not what was left over.
    quint32 written = 0;
    QCOMPARE(usb.write(h, kStatusRead, sizeof kStatusRead, &written), quint32(UsbStatus::Success));
    QCOMPARE(written, quint32(sizeof kStatusRead));
    QCOMPARE(waitForQueue(usb, h, STATUS_LEN), quint32(STATUS_LEN));
    quint8 reply[MAX_REPLY] = {};
    quint32 got = 0;
    QCOMPARE(usb.read(h, reply, MAX_REPLY, &got), quint32(UsbStatus::Success));
    QCOMPARE(got, quint32(STATUS_LEN));
    QCOMPARE(reply[0], CODE_STATUS);
    QCOMPARE(usb.close(h), quint32(UsbStatus::Success));
}

void TestUsb::silentDeviceTimesOut()
{
    REQUIRE_EMULATED_BUS();
    OneBox one;
    auto [device, usb, link, warnings, h] = one.openThroughTheLink();
    QVERIFY(h != kClosedHandle);
    device.setMode(EmulatedBox::Mode::Silent);

    Reply reply {};
    QVERIFY(!link.transact(reply, kStatusRead, STATUS_LEN, sizeof kStatusRead));
    QCOMPARE(reply[0], quint8(0));
    QVERIFY(warnings.texts.isEmpty()); // silence is not a queue failure
    QCOMPARE(device.frames().size(), 1);

    usb.setTimeouts(30, 30);
    quint8 buffer[MAX_REPLY];
    quint32 got = 99;
    QCOMPARE(usb.read(h, buffer, MAX_REPLY, &got), quint32(UsbStatus::ReadTimedOut));
    QCOMPARE(got, 0u);

    device.setMode(EmulatedBox::Mode::Stuck);
    quint32 written = 99;
    QCOMPARE(
        usb.write(h, kStatusRead, sizeof kStatusRead, &written), quint32(UsbStatus::WriteTimedOut));
    QCOMPARE(written, 0u);

    // Still usable once it answers again.
    device.setMode(EmulatedBox::Mode::Answering);
    usb.setTimeouts(kInfiniteTimeout, kInfiniteTimeout);
    QVERIFY(link.transact(reply, kStatusRead, STATUS_LEN, sizeof kStatusRead));
    QCOMPARE(reply[0], CODE_STATUS);
    link.close();
    QVERIFY(warnings.texts.isEmpty());
}

void TestUsb::unplugMidTransactionFailsWithoutCrashing()
{
    REQUIRE_EMULATED_BUS();
    OneBox one;
    auto [device, usb, link, warnings, h] = one.openThroughTheLink();
    QVERIFY(h != kClosedHandle);
    const LinkedBackend &b = one.linked;

    // The box takes the request and is gone before it answers.
    device.setMode(EmulatedBox::Mode::VanishOnNextFrame);
    Reply reply {};
    QVERIFY(!link.transact(reply, kStatusRead, STATUS_LEN, sizeof kStatusRead));
    QVERIFY(!warnings.texts.isEmpty());
    QCOMPARE(warnings.texts.filter(QStringLiteral("Error Checking RX Queue")), warnings.texts);
    warnings.texts.clear();
    device.unplug();

    // Every later use fails with a status, and nothing waits for ever.
    QVERIFY(!link.transact(reply, kStatusRead, STATUS_LEN, sizeof kStatusRead));
    QVERIFY(warnings.texts.isEmpty()); // the write failed first
    quint8 buffer[MAX_REPLY];
    quint32 n = 0, queueStatus = 0;
    QCOMPARE(usb.read(h, buffer, MAX_REPLY, &n), quint32(UsbStatus::ReadError));
    QCOMPARE(usb.write(h, kStatusRead, sizeof kStatusRead, &n), quint32(UsbStatus::WriteError));
    QVERIFY(usb.checkRxQueue(h, &n, &queueStatus) != UsbStatus::Success);
    QVERIFY(usb.flushBuffers(h, 1, 1) != UsbStatus::Success);
    char text[ProductString::kBufferSize];
    QVERIFY(usb.getProductString(b.index, text, ProductString::SerialNumber) != UsbStatus::Success);

    // Closing what is gone is not an error: the handle is released all the same.
    link.close();
    QVERIFY(warnings.texts.isEmpty());
    QCOMPARE(usb.close(h), quint32(UsbStatus::InvalidHandle));
}

// --- the reply wait ----------------------------------------------------------------------------

void TestUsb::replyArrivingDuringTheQueueWaitIsSeenAtOnce()
{
    REQUIRE_EMULATED_BUS();
    OneBox one(endlessQueueWait());
    auto [device, usb, link, warnings, h] = one.openDirectly();
    QVERIFY(h != kClosedHandle);

    const QByteArray reply("\xE1 reply", 7);
    std::thread box = meanwhile([&one, &reply] { one.device.sendUnsolicited(reply); });
    quint32 waiting = 0, queueStatus = 0;
    const quint32 status = usb.checkRxQueue(h, &waiting, &queueStatus);
    box.join();
    QCOMPARE(status, quint32(UsbStatus::Success));
    QCOMPARE(waiting, quint32(reply.size()));
    QVERIFY(queueStatus != 0);
    quint8 buffer[16] = {};
    quint32 got = 0;
    QCOMPARE(usb.read(h, buffer, sizeof buffer, &got), quint32(UsbStatus::Success));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer), int(got)), reply);
    QCOMPARE(usb.close(h), quint32(UsbStatus::Success));
}

void TestUsb::unplugDuringTheQueueWaitFailsAtOnce()
{
    REQUIRE_EMULATED_BUS();
    OneBox one(endlessQueueWait());
    auto [device, usb, link, warnings, h] = one.openDirectly();
    QVERIFY(h != kClosedHandle);
    device.setMode(EmulatedBox::Mode::Silent);
    quint32 written = 0;
    QCOMPARE(usb.write(h, kStatusRead, sizeof kStatusRead, &written), quint32(UsbStatus::Success));

    std::thread box = meanwhile([&one] { one.device.unplug(); });
    quint32 waiting = 99, queueStatus = 0;
    const quint32 status = usb.checkRxQueue(h, &waiting, &queueStatus);
    box.join();
    QCOMPARE(status, quint32(UsbStatus::DeviceIoFailed));
    QCOMPARE(waiting, 0u);
    QCOMPARE(usb.close(h), quint32(UsbStatus::Success)); // nothing left to fail
}

// On the real clock: DeviceLink gives a silent box its four seconds, and the backend spends them
// asleep in a few long slices rather than answering thousands of checks.
void TestUsb::silentBoxIsWaitedForInSlicesUntilTheDeadline()
{
    REQUIRE_EMULATED_BUS();
    Bus bus;
    EmulatedBox &device = bus.add();
    device.setMode(EmulatedBox::Mode::Silent);
    LibUsbBackend usb;
    CountingUsb counted(usb);
    SystemClock clock;
    RecordedWarnings warnings;
    DeviceLink link(counted, clock, warnings);
    quint32 index = 99;
    QVERIFY(link.findDevice(DeviceLink::DEVICE_SERIAL, index) && link.open(index));

    const quint32 start = clock.tickMs();
    Reply reply {};
    QVERIFY(!link.transact(reply, kStatusRead, STATUS_LEN, sizeof kStatusRead));
    QCOMPARE(link.lastOutcome().kind, DeviceLink::Outcome::NoReply);
    QVERIFY(clock.tickMs() - start >= DeviceLink::TRANSACTION_TIMEOUT_MS);
    QVERIFY(warnings.texts.isEmpty());
    const int slices = int(DeviceLink::TRANSACTION_TIMEOUT_MS / UsbSettings().queueWaitMs);
    QVERIFY2(counted.queueChecks <= slices + 2, qPrintable(QString::number(counted.queueChecks)));
    link.close();
}

QTEST_GUILESS_MAIN(TestUsb)
#include "tst_usb.moc"
