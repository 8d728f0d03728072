// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The libusb backend against an emulated box whose USB side behaves as a real one's device
// library does: it refuses vendor requests it does not know, ends a frame only on a short or
// zero-length packet, and may start with its data toggles out of step. Each --usb-option that
// meets one of these shows in the box's log of requests and in the backend's trace. Needs
// libumockdev-preload.so ahead of everything else (the CTest registration sets LD_PRELOAD).

#include "tests/usb/UsbFixture.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTest>

namespace {

// The backend's trace lines without the time stamp and "usb: " that start each. A line of another
// form is kept whole, so that a comparison shows it.
class TraceLog
{
public:
    explicit TraceLog(LibUsbBackend &usb)
    {
        m_buffer.open(QIODevice::WriteOnly);
        usb.setTrace(&m_buffer);
    }
    QStringList lines() const
    {
        static const QRegularExpression stamped(
            QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} usb: "));
        QStringList out;
        for (const QByteArray &line : m_buffer.data().split('\n')) {
            if (!line.isEmpty())
                out << QString::fromLatin1(line).remove(stamped);
        }
        return out;
    }

private:
    QBuffer m_buffer;
};

void verifyTraced(const QStringList &lines, const QStringList &expected)
{
    for (const QString &line : expected)
        QVERIFY2(lines.contains(line),
            qPrintable(QStringLiteral("missing \"%1\" in:\n%2").arg(line, lines.join('\n'))));
}

UsbSettings settingsWith(const QStringList &options)
{
    UsbSettings settings;
    QString error;
    if (!settings.applyOptions(options, &error))
        qFatal("%s", qPrintable(error));
    return settings;
}

// A CEC store frame of `length` bytes: write, count, code, "CEC " and the text ending in CR.
QByteArray cecStore(int length)
{
    const QByteArray text = QByteArray(length - 8, 'A') + '\r';
    return QByteArray(1, char(FRAME_WRITE)) + char(4 + text.size()) + char(CODE_CEC_STORE_1)
        + "CEC " + text;
}

bool transact(DeviceLink &link, const QByteArray &frame, quint32 minReply, Reply &reply)
{
    return link.transact(
        reply, reinterpret_cast<const quint8 *>(frame.constData()), minReply, quint8(frame.size()));
}

const QByteArray kStatusFrame(reinterpret_cast<const char *>(kStatusRead), sizeof kStatusRead);
const QList<Request> kHalts { { 0x02, 0x01, 0x0000, 0x02 }, { 0x02, 0x01, 0x0000, 0x82 } };
const Request kOpen { 0x40, 0x02, 0x0002, 0 };
const Request kClose { 0x40, 0x02, 0x0004, 0 };
const Request kEnable { 0x40, 0x00, 0xFFFF, 0 };

} // namespace

class TestUsbRealBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void optionsAndTheirSummary_data();
    void optionsAndTheirSummary();
    void refusedRequestsAtOpen_data();
    void refusedRequestsAtOpen();
    void outOfStepTogglesCostNoRequest_data();
    void outOfStepTogglesCostNoRequest();
    void wholePacketFramesGetTheirReply_data();
    void wholePacketFramesGetTheirReply();

private:
    bool m_emulated = false;
};

void TestUsbRealBox::initTestCase()
{
    QString brokenSetUp;
    m_emulated = emulatedBusReady(&brokenSetUp);
    QVERIFY2(brokenSetUp.isEmpty(), qPrintable(brokenSetUp));
}

// --- the options ---------------------------------------------------------------------------------

void TestUsbRealBox::optionsAndTheirSummary_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("summary");

    const QString defaults = QStringLiteral(
        "request-type=40 request=02 index=0000 open=0002 close=0004 purge=0001 open-fatal=on "
        "enable=off enable-request-type=40 enable-request=00 enable-value=FFFF enable-index=0000 "
        "enable-fatal=off clear-halt=on zero-packet=on queue-wait=50");
    const auto with = [&defaults](std::initializer_list<std::pair<const char *, const char *>> c) {
        QString s = defaults;
        for (const auto &[from, to] : c)
            s.replace(QLatin1String(from), QLatin1String(to));
        return s;
    };
    QTest::newRow("defaults") << QStringList() << true << defaults;
    QTest::newRow("a CP210x bridge's enable request")
        << QStringList { "enable=on", "enable-request-type=41", "enable-value=0x0001",
               "enable-index=0" }
        << true
        << with({ { "enable=off", "enable=on" },
               { "enable-request-type=40", "enable-request-type=41" },
               { "enable-value=FFFF", "enable-value=0001" } });
    QTest::newRow("every switch the other way, in each spelling")
        << QStringList { "open-fatal=off", "Enable-Fatal=yes", "clear-halt=0", "zero-packet=No" }
        << true
        << with({ { "open-fatal=on", "open-fatal=off" }, { "enable-fatal=off", "enable-fatal=on" },
               { "clear-halt=on", "clear-halt=off" }, { "zero-packet=on", "zero-packet=off" } });
    QTest::newRow("the enable request keeps its own type and index")
        << QStringList { "request-type=c0", "index=7" } << true
        << with({ { "request-type=40 request=02 index=0000",
               "request-type=C0 request=02 index=0007" } });
    for (const char *bad : { "clear-halt=maybe", "zero-packet=", "open-fatal", "enable-fatal=2",
             "enable-index=10000", "enable-request-type=100", "enable-index=-1" })
        QTest::newRow(bad) << QStringList { "clear-halt=off", QString::fromLatin1(bad) } << false
                           << defaults;
}

void TestUsbRealBox::optionsAndTheirSummary()
{
    QFETCH(QStringList, options);
    QFETCH(bool, accepted);
    QFETCH(QString, summary);

    UsbSettings s;
    QString error;
    QCOMPARE(s.applyOptions(options, &error), accepted);
    QCOMPARE(s.summary(), summary);
    if (!accepted)
        QVERIFY2(error.contains(QLatin1String(
                     "open-fatal, enable, enable-fatal, clear-halt, zero-packet: on or off")),
            qPrintable(error));

    // What the trace says can be typed back to get the same backend.
    UsbSettings again;
    QVERIFY2(again.applyOptions(s.summary().split(QLatin1Char(' ')), &error), qPrintable(error));
    QCOMPARE(again.summary(), summary);
}

// --- the open ------------------------------------------------------------------------------------

void TestUsbRealBox::refusedRequestsAtOpen_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("refuseOpen");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QList<Request>>("requests"); // after the cleared halts, to the close
    QTest::addColumn<QStringList>("traced");

    const QString enableRefused
        = QStringLiteral("enable request 40 00 FFFF 0000 refused (LIBUSB_ERROR_PIPE)");
    const QString openRefused
        = QStringLiteral("open request 40 02 0002 0000 refused (LIBUSB_ERROR_PIPE)");
    const QString openAccepted = QStringLiteral("open request 40 02 0002 0000 accepted");

    QTest::newRow("defaults: no enable request at all")
        << QStringList() << false << true << QList<Request> { kOpen, kClose }
        << QStringList { openAccepted };
    QTest::newRow("the box refuses the enable request: traced, the open goes on")
        << QStringList { "enable=on" } << false << true << QList<Request> { kEnable, kOpen, kClose }
        << QStringList { enableRefused, "the open carries on (enable-fatal=off)", openAccepted };
    QTest::newRow("enable-fatal=on: its refusal ends the open")
        << QStringList { "enable=on", "enable-fatal=on" } << false << false
        << QList<Request> { kEnable }
        << QStringList { enableRefused, "the open fails (enable-fatal=on)" };
    QTest::newRow("a refused open request ends the open")
        << QStringList() << true << false << QList<Request> { kOpen }
        << QStringList { openRefused, "the open fails (open-fatal=on)" };
    // Nothing is closed that the box did not open.
    QTest::newRow("open-fatal=off: the open goes on, and no close request")
        << QStringList { "open-fatal=off" } << true << true << QList<Request> { kOpen }
        << QStringList { openRefused, "the open carries on (open-fatal=off)" };
}

void TestUsbRealBox::refusedRequestsAtOpen()
{
    REQUIRE_EMULATED_BUS();
    QFETCH(QStringList, options);
    QFETCH(bool, refuseOpen);
    QFETCH(bool, opens);
    QFETCH(QList<Request>, requests);
    QFETCH(QStringList, traced);

    OneBox one(settingsWith(options));
    if (refuseOpen)
        one.device.refuseRequest(0x0002);
    TraceLog trace(one.linked.usb);
    auto [device, usb, link, warnings, h] = one.openDirectly();
    QCOMPARE(h != kClosedHandle, opens);
    if (opens)
        QCOMPARE(usb.close(h), quint32(UsbStatus::Success));

    QCOMPARE(device.controlRequests(), kHalts + requests);
    QVERIFY(!device.interfaceClaimed());
    QVERIFY(device.kernelDriverBound());
    verifyTraced(trace.lines(), traced);
}

// --- data toggles --------------------------------------------------------------------------------

void TestUsbRealBox::outOfStepTogglesCostNoRequest_data()
{
    QTest::addColumn<bool>("outOfStep");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("outcomes"); // of three status reads
    QTest::addColumn<QString>("traced");

    QTest::newRow("out of step, halts cleared at open")
        << true << QStringList() << "ok ok ok"
        << "cleared the halt on endpoints 02 and 82 (clear-halt=on)";
    // The box drops the first request's packet, then the host drops the second reply's.
    QTest::newRow("out of step, clear-halt=off: one packet lost each way")
        << true << QStringList { "clear-halt=off" } << "lost lost ok"
        << "endpoint halts not cleared (clear-halt=off)";
    QTest::newRow("in step, clear-halt=off: nothing lost")
        << false << QStringList { "clear-halt=off" } << "ok ok ok"
        << "endpoint halts not cleared (clear-halt=off)";
}

void TestUsbRealBox::outOfStepTogglesCostNoRequest()
{
    REQUIRE_EMULATED_BUS();
    QFETCH(bool, outOfStep);
    QFETCH(QStringList, options);
    QFETCH(QString, outcomes);
    QFETCH(QString, traced);

    EmulatedBox::Descriptor d;
    d.togglesOutOfStep = outOfStep;
    OneBox one(settingsWith(options), d);
    TraceLog trace(one.linked.usb);
    auto [device, usb, link, warnings, h] = one.openThroughTheLink();
    QVERIFY(h != kClosedHandle);

    QStringList actual;
    for (int i = 0; i < 3; ++i) {
        Reply reply {};
        actual << (transact(link, kStatusFrame, STATUS_LEN, reply) ? "ok" : "lost");
    }
    QCOMPARE(actual.join(QLatin1Char(' ')), outcomes);
    verifyTraced(trace.lines(), { traced });
    link.close();
    QVERIFY(warnings.texts.isEmpty()); // a lost packet is silence, not a failing queue
}

// --- zero-length packets -------------------------------------------------------------------------

void TestUsbRealBox::wholePacketFramesGetTheirReply_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("kernelAddsZeroPackets");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("zeroPackets");
    QTest::addColumn<QString>("traced"); // the write's line; empty: none

    QTest::newRow("64-byte CEC store: libusb adds the zero-length packet")
        << 64 << QStringList() << true << true << 1
        << "64-byte write ended with a zero-length packet (zero-packet=on)";
    QTest::newRow("64 bytes where the kernel cannot add it: a transfer of its own")
        << 64 << QStringList() << false << true << 1
        << "64-byte write ended with a zero-length packet of its own (zero-packet=on; it could not "
           "be added to the transfer: LIBUSB_ERROR_IO)";
    QTest::newRow("64 bytes, zero-packet=off: the box waits for more")
        << 64 << QStringList { "zero-packet=off" } << true << false << 0
        << "64-byte write is whole packets and has no zero-length packet after it "
           "(zero-packet=off)";
    QTest::newRow("67 bytes: the short last packet ends the frame")
        << 67 << QStringList() << true << true << 0 << QString();
}

void TestUsbRealBox::wholePacketFramesGetTheirReply()
{
    REQUIRE_EMULATED_BUS();
    QFETCH(int, length);
    QFETCH(QStringList, options);
    QFETCH(bool, kernelAddsZeroPackets);
    QFETCH(bool, answered);
    QFETCH(int, zeroPackets);
    QFETCH(QString, traced);

    EmulatedBox::Descriptor d;
    d.kernelAddsZeroPackets = kernelAddsZeroPackets;
    OneBox one(settingsWith(options), d);
    TraceLog trace(one.linked.usb);
    auto [device, usb, link, warnings, h] = one.openThroughTheLink();
    QVERIFY(h != kClosedHandle);

    const QByteArray store = cecStore(length);
    QCOMPARE(store.size(), length);
    Reply reply {};
    QCOMPARE(transact(link, store, 2, reply), answered);
    const bool statusAnswered = transact(link, kStatusFrame, STATUS_LEN, reply);
    if (answered) {
        QCOMPARE(device.frames(), (QList<QByteArray> { store, kStatusFrame }));
        QVERIFY(statusAnswered);
    } else {
        // The box took the store and the next request for one frame, and answered that.
        QCOMPARE(device.frames(), QList<QByteArray> { store + kStatusFrame });
        QVERIFY(!statusAnswered);
    }
    QCOMPARE(device.zeroLengthPackets(), zeroPackets);
    const QStringList writes = trace.lines().filter(QStringLiteral("-byte write "));
    QCOMPARE(writes, traced.isEmpty() ? QStringList() : QStringList { traced });
    link.close();
}

QTEST_GUILESS_MAIN(TestUsbRealBox)
#include "tst_usb_real_box.moc"
