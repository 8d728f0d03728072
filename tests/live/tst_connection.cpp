// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A box that misbehaves or goes away: every operation returns, says its failure without a flood
// of dialogs and without a success text, the window stops polling a lost box, and everything
// works again once the box is back.
#include "edid/EdidText.h"
#include "link/DeviceLink.h"
#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTestAccess.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QtTest>

namespace {

enum class Fault { Silent, WrongCode, ShortReply, Unplugged };

void inject(SimulatedBox &box, Fault fault)
{
    switch (fault) {
    case Fault::Silent:
        box.setSilent(true);
        break;
    case Fault::WrongCode:
        box.setWrongCodeNext(1000);
        break;
    case Fault::ShortReply:
        box.setShortReplyNext(1);
        break;
    case Fault::Unplugged:
        box.setDevices({});
        box.failAlways(SimulatedBox::Operation::Write, UsbStatus::DeviceNotFound);
        box.failAlways(SimulatedBox::Operation::CheckRxQueue, UsbStatus::DeviceNotFound);
        break;
    }
}

void heal(SimulatedBox &box)
{
    box.resetMisbehaviour();
    box.setDevices({ "2023" });
    box.failAlways(SimulatedBox::Operation::Write, UsbStatus::Success);
    box.failAlways(SimulatedBox::Operation::CheckRxQueue, UsbStatus::Success);
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;
    MainWindow &w() { return h->window(); }
    Ui::ZelvarinForm *form() { return WindowTestAccess::form(w()); }

    // Runs one user operation; its success text, or an empty string for those without one.
    QString run(const QString &op)
    {
        if (op == "tick") {
            h->tick();
            return QString();
        }
        if (op == "setting") {
            form()->autoSwEn->click();
            return QString();
        }
        if (op == "edid read") {
            QMetaObject::invokeMethod(&w(), "ReadEDID");
            return "EDID values read.";
        }
        if (op == "edid write") {
            WindowTestAccess::writeBoxEdid(w());
            return "EDID values written...";
        }
        if (op == "cec") {
            QMetaObject::invokeMethod(&w(), "WriteCEC");
            return "CEC values written...";
        }
        if (op == "infoframe") {
            QMetaObject::invokeMethod(&w(), "WriteIF");
            return "Infoframe values written...";
        }
        if (op == "avi") {
            QMetaObject::invokeMethod(&w(), "sendAVI");
            return "AVI values written...";
        }
        form()->leReset->setText("RESET");
        form()->cbClearSettings->setChecked(true);
        QMetaObject::invokeMethod(&w(), "factoryReset");
        return QString();
    }

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<WindowHarness>();
        h->create();
        QVERIFY(WindowTestAccess::boxConnected(w()));
        h->dialogs.clear();
        h->clearFrames();
    }
    void cleanup() { h.reset(); }

    void faultMatrix_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("fault");
        const char *ops[]
            = { "tick", "setting", "edid read", "edid write", "cec", "infoframe", "avi", "reset" };
        const char *faults[] = { "silent", "wrong code", "short reply", "unplugged" };
        for (const char *op : ops)
            for (int f = 0; f < 4; ++f)
                QTest::addRow("%s, %s", op, faults[f]) << QString(op) << f;
    }

    void faultMatrix()
    {
        QFETCH(QString, op);
        QFETCH(int, fault);
        const QString edidBefore = form()->EDIDtext->toPlainText();
        const EdidImage boxEdidBefore = h->box.boxEdid();
        inject(h->box, Fault(fault));

        const QString success = run(op);
        if (!success.isEmpty())
            QVERIFY2(h->statusMessage() != success, qPrintable(h->statusMessage()));
        QVERIFY(h->dialogs.shown.size() <= 1);
        if (op == "edid read")
            QCOMPARE(form()->EDIDtext->toPlainText(), edidBefore);
        if (op == "edid write" && Fault(fault) != Fault::ShortReply)
            QCOMPARE(h->box.boxEdid(), boxEdidBefore);
        QVERIFY(
            !WindowTestAccess::progressBar(w()) || WindowTestAccess::progressBar(w())->isHidden());

        // A few more ticks of the fault: still at most one dialog, and a lost box is left alone.
        for (int i = 0; i < 4; ++i)
            h->tick();
        QVERIFY(h->dialogs.shown.size() <= 1);

        heal(h->box);
        if (WindowTestAccess::searching(w()))
            WindowTestAccess::searchTick(w());
        QVERIFY(h->link.isOpen());
        QVERIFY(WindowTestAccess::statusTimerRunning(w()));
        const QString again = run(op);
        if (!again.isEmpty())
            QCOMPARE(h->statusMessage(), again);
    }

    // Each USB operation of an exchange failing once or for good, under each kind of operation.
    void usbOperationFaults_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("usbOp");
        QTest::addColumn<bool>("always");
        using Op = SimulatedBox::Operation;
        const QList<QPair<const char *, Op>> usbOps = { { "Write", Op::Write },
            { "Read", Op::Read }, { "CheckRxQueue", Op::CheckRxQueue }, { "Flush", Op::Flush },
            { "GetTimeouts", Op::GetTimeouts }, { "SetTimeouts", Op::SetTimeouts } };
        for (const char *op : { "tick", "edid read", "edid write", "cec", "avi" })
            for (const auto &u : usbOps)
                for (bool always : { false, true })
                    QTest::addRow("%s, %s %s", op, u.first, always ? "always" : "once")
                        << QString(op) << int(u.second) << always;
    }

    void usbOperationFaults()
    {
        QFETCH(QString, op);
        QFETCH(int, usbOp);
        QFETCH(bool, always);
        const auto usb = SimulatedBox::Operation(usbOp);
        const QString edidBefore = form()->EDIDtext->toPlainText();
        if (always)
            h->box.failAlways(usb, UsbStatus::DeviceIoFailed);
        else
            h->box.failNext(usb, UsbStatus::DeviceIoFailed);
        run(op);
        for (int i = 0; i < 3; ++i)
            h->tick();
        QVERIFY(h->dialogs.shown.size() <= 1);
        QVERIFY(
            !WindowTestAccess::progressBar(w()) || WindowTestAccess::progressBar(w())->isHidden());
        if (op == "edid read" && h->statusMessage() != "EDID values read.")
            QCOMPARE(form()->EDIDtext->toPlainText(), edidBefore);

        h->box.failAlways(usb, UsbStatus::Success);
        if (WindowTestAccess::searching(w()))
            WindowTestAccess::searchTick(w());
        QVERIFY(h->link.isOpen());
        const QString success = run(op);
        if (!success.isEmpty())
            QCOMPARE(h->statusMessage(), success);
    }

    // The box's EDID chunk k going wrong, read and write, from the window.
    void edidChunkFaults_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("chunk");
        for (int k : { 0, 9, 15 })
            QTest::addRow("read chunk %d", k) << false << k;
        for (int k : { 0, 17, 31 })
            QTest::addRow("write chunk %d", k) << true << k;
    }

    void edidChunkFaults()
    {
        QFETCH(bool, write);
        QFETCH(int, chunk);
        const QString text = form()->EDIDtext->toPlainText();
        const EdidImage boxBefore = h->box.boxEdid();
        if (write)
            h->box.failEdidChunkWrite(chunk);
        else
            h->box.failEdidChunkRead(chunk);
        run(write ? "edid write" : "edid read");
        QCOMPARE(h->statusMessage(),
            QString(write ? "Error Writing EDID values." : "Error Reading EDID values."));
        QCOMPARE(form()->EDIDtext->toPlainText(), text);
        QCOMPARE(h->box.boxEdid(), boxBefore);
        QVERIFY(!h->framesHex().contains("10 08 B1"));
        QVERIFY(h->dialogs.shown.isEmpty());
    }

    // Pulled out while an EDID upload runs: the upload stops, nothing is committed, the loss is
    // said once and the box is found again afterwards.
    void unplugMidUpload()
    {
        int writes = 0;
        h->box.setWriteHook([&] {
            if (++writes == 10)
                inject(h->box, Fault::Unplugged);
        });
        const EdidImage before = h->box.boxEdid();
        WindowTestAccess::writeBoxEdid(w());
        h->box.setWriteHook({});
        QCOMPARE(h->box.boxEdid(), before);
        QVERIFY(!h->framesHex().contains("10 08 B1"));
        QVERIFY(h->dialogs.shown.size() <= 1);
        h->tick();
        QVERIFY(!h->link.isOpen());
        heal(h->box);
        WindowTestAccess::searchTick(w());
        QVERIFY(h->link.isOpen());
    }

    void unpluggedBoxIsSaidOnceAndFoundAgain()
    {
        const QStringList startUp = [this] {
            WindowHarness fresh;
            fresh.create();
            return fresh.framesHex();
        }();
        inject(h->box, Fault::Unplugged);
        h->tick();
        QVERIFY(!h->link.isOpen());
        QVERIFY(!WindowTestAccess::statusTimerRunning(w()));
        QVERIFY(WindowTestAccess::searching(w()));
        QVERIFY(w().windowTitle().contains("[USB disconnected]"));
        QCOMPARE(h->statusMessage(), QString("ZELVARIN USB disconnected!"));
        QVERIFY(h->dialogs.shown.size() <= 1);

        // Searching while it is away says nothing.
        const int dialogs = h->dialogs.shown.size();
        h->clearFrames();
        WindowTestAccess::searchTick(w());
        WindowTestAccess::searchTick(w());
        QCOMPARE(h->dialogs.shown.size(), dialogs);
        QVERIFY(h->framesHex().isEmpty());

        heal(h->box);
        WindowTestAccess::searchTick(w());
        QVERIFY(h->link.isOpen());
        QVERIFY(!WindowTestAccess::searching(w()));
        QCOMPARE(w().windowTitle(), QString("ZELVARIN UTILITY"));
        // The connect sequence again, after the one probe of the search.
        QStringList frames = h->framesHex();
        QCOMPARE(frames.takeFirst(), QString("11 2A E1"));
        QCOMPARE(frames, startUp);
        QCOMPARE(form()->cmbInputSel->count(), 4);
    }

    void silentBoxCostsOneWaitPerTickAndIsLostAfterThree()
    {
        h->box.setSilent(true);
        for (int tick = 1; tick <= 3; ++tick) {
            const quint32 t0 = h->clock.tickMs();
            h->clearFrames();
            h->tick();
            QCOMPARE(h->framesHex().size(), 1);
            QCOMPARE(h->clock.tickMs() - t0, DeviceLink::TRANSACTION_TIMEOUT_MS);
            QCOMPARE(WindowTestAccess::statusTimerRunning(w()), tick < 3);
        }
        QVERIFY(w().windowTitle().contains("[USB disconnected]"));

        // Still silent: one probe per search, then the search waits longer.
        h->clearFrames();
        WindowTestAccess::searchTick(w());
        QCOMPARE(h->framesHex(), QStringList { "11 2A E1" });
        QVERIFY(WindowTestAccess::searching(w()));

        h->box.setSilent(false);
        WindowTestAccess::searchTick(w());
        QVERIFY(WindowTestAccess::boxConnected(w()));
        QVERIFY(WindowTestAccess::statusTimerRunning(w()));
    }

    // A box that stays busy is said once after five ticks, whether or not an EDID refresh waits
    // on it; the words stay while it is busy and go when it answers.
    void busyBoxIsSaidOnceAndClearedWhenItAnswers_data()
    {
        QTest::addColumn<bool>("refreshPending");
        QTest::addColumn<QString>("notice");
        QTest::newRow("plain polling") << false << "The box stays busy: settings not read.";
        QTest::newRow("EDID refresh") << true << "The box stays busy: EDID values not read.";
    }

    void busyBoxIsSaidOnceAndClearedWhenItAnswers()
    {
        QFETCH(bool, refreshPending);
        QFETCH(QString, notice);
        h->tick();
        WindowTestAccess::setEdidRefreshPending(w(), refreshPending);
        QSignalSpy shown(w().statusBar(), &QStatusBar::messageChanged);
        h->box.setBusyForever(true);
        for (int i = 0; i < 4; ++i)
            h->tick();
        QVERIFY(h->statusMessage() != notice);
        h->tick();
        QCOMPARE(h->statusMessage(), notice);
        for (int i = 0; i < 10; ++i)
            h->tick();
        QCOMPARE(h->statusMessage(), notice);
        QCOMPARE(std::count(shown.begin(), shown.end(), QVariantList { notice }), 1);
        QCOMPARE(WindowTestAccess::edidRefreshPending(w()), refreshPending);

        h->box.setBusyForever(false);
        h->tick();
        QVERIFY(h->statusMessage() != notice);
        QVERIFY(!WindowTestAccess::edidRefreshPending(w()));

        // A spell of four ticks is not said; a later long one is, again.
        const auto busyNotices = [&shown] {
            return std::count_if(shown.begin(), shown.end(), [](const QVariantList &args) {
                return args.first().toString().startsWith(QLatin1String("The box stays busy"));
            });
        };
        h->box.setBusyStatusReads(4);
        for (int i = 0; i < 6; ++i)
            h->tick();
        QCOMPARE(busyNotices(), 1);
        h->box.setBusyStatusReads(5);
        for (int i = 0; i < 6; ++i)
            h->tick();
        QCOMPARE(busyNotices(), 2);
    }

    // Pulled out while the window connects: it does not poll a dead link, and connects once the
    // box is back.
    void lostDuringTheConnectSequence()
    {
        WindowHarness early;
        early.box.failAlways(SimulatedBox::Operation::Write, UsbStatus::DeviceNotFound);
        MainWindow &window = early.create();
        QVERIFY(!early.link.isOpen());
        QVERIFY(!WindowTestAccess::statusTimerRunning(window));
        QVERIFY(!WindowTestAccess::boxConnected(window));
        QVERIFY(WindowTestAccess::searching(window));
        QVERIFY(early.dialogs.shown.size() <= 1);

        early.box.failAlways(SimulatedBox::Operation::Write, UsbStatus::Success);
        WindowTestAccess::searchTick(window);
        QVERIFY(WindowTestAccess::boxConnected(window));
        QVERIFY(WindowTestAccess::statusTimerRunning(window));
        QCOMPARE(WindowTestAccess::form(window)->cmbInputSel->count(), 4);
    }

    void noBoxAtStartUpIsFoundLater()
    {
        WindowHarness late;
        late.box.setDevices({});
        MainWindow &window = late.create();
        QCOMPARE(late.dialogs.texts("device"), QStringList { "ZELVARIN USB not connected!" });
        QVERIFY(WindowTestAccess::searching(window));
        WindowTestAccess::searchTick(window);
        QCOMPARE(late.dialogs.shown.size(), 1);

        // File > Connect asks aloud.
        window.findChild<QAction *>("actionConnect")->trigger();
        QCOMPARE(late.dialogs.shown.size(), 2);

        late.box.setDevices({ "2023" });
        WindowTestAccess::searchTick(window);
        QVERIFY(WindowTestAccess::boxConnected(window));
        QCOMPARE(late.dialogs.shown.size(), 2);
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
