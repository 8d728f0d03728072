// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/DeviceLink.h"
#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTestAccess.h"

#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QTextEdit>
#include <QtTest>

// Connect sequence and status tick against the simulated box: what the window reads, how the
// status block reaches the controls, the EDID refresh and the tick's re-entrancy guard.
class TestStatus : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;
    Ui::ZelvarinForm *ui = nullptr;

    RegisterImage &boxStatus() { return h->box.statusBlock(); }
    QStringList writes() const { return h->framesHex().filter(QRegularExpression("^10 04 E0")); }
    int fetches() const { return int(h->framesHex().count(QStringLiteral("10 01 B4"))); }
    // Everything the reflection sets: list indexes, then each button checked (+) or not (-),
    // with x when disabled.
    QString controls() const
    {
        QStringList s;
        for (QComboBox *c : { ui->cmbInputSel, ui->cmBEdid, ui->cmbLa, ui->cmbEdidAlgo })
            s << QString::number(c->currentIndex());
        for (QAbstractButton *b : QList<QAbstractButton *> { ui->audioHdmi, ui->audioJack,
                 ui->automixEDID, ui->fixedEDID, ui->customEDID, ui->hdcp14, ui->hdcp22,
                 ui->enable420, ui->disable420, ui->autoSwEn, ui->autoSwDis, ui->pPrioForce,
                 ui->bPrioNorm, ui->cb2cForce, ui->cb51, ui->cbFull, ui->cb3D, ui->cbHdr,
                 ui->bHdrRepurpEn, ui->bHdrRepurpDis, ui->bSamHdr, ui->bFullHdr, ui->cbHdrForceMode,
                 ui->enableLed, ui->disableLed, ui->enableBLed, ui->disableBLed, ui->cbCec,
                 ui->cbYUV, ui->cbBt2020, ui->enableAVR, ui->disableAVR, ui->cbAviPersistent })
            s << b->objectName() + (b->isChecked() ? "+" : "-") + (b->isEnabled() ? "" : "x");
        return s.join(' ') + (ui->EDIDtext->isEnabled() ? "" : " EDIDtext:x");
    }

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<WindowHarness>();
        h->create();
        ui = WindowTestAccess::form(h->window());
    }
    void cleanup() { h.reset(); }

    void startUpConversation();
    void versionLabelAndStoredFrames();
    void hardwareNotFound();
    void firstTickReadsStatusTwiceAndEdidOnce();
    void reflectsTheBlockIntoEveryControl();
    void unusableStatusChangesNothing_data();
    void unusableStatusChangesNothing();
    void listValuesOutOfRangeLeaveNoItem();
    void edidReadOnceAfterTheBusyTicks();
    void tickInsideATransactionDoesNothing();
    void signalTextsFollowTheBox();
};

void TestStatus::startUpConversation()
{
    // The box's check boxes agree with the form's, so nothing is written back; filling the lists
    // writes nothing. The box's EDID is read last.
    QStringList expected = { "11 2A E1", "11 0E E0 06", "11 08 E0 07", "11 21 E0 23", "11 0F E0 24",
        "11 0F E0 06", "11 1F E0 15", "11 1F E0 1E", "11 1F E0 1F", "10 01 B4" };
    QStringList frames = h->framesHex();
    const int edidEnd = int(frames.size()) - 16;
    QCOMPARE(frames.mid(0, expected.size()), expected);
    QVERIFY(frames.mid(expected.size(), edidEnd - expected.size())
                .filter(QRegularExpression("^(?!11 2A E1$)"))
                .isEmpty()); // busy waits only
    QCOMPARE(frames.mid(edidEnd).first(), QStringLiteral("11 10 B0 00"));
    QCOMPARE(frames.mid(edidEnd).last(), QStringLiteral("11 10 B0 F0"));
    // The lists show item 0 until the first tick.
    QCOMPARE(ui->cmbInputSel->count(), 4);
    boxStatus()[0] = 4;
    QCOMPARE(ui->cmbInputSel->currentIndex(), 0);
    h->tick();
    QCOMPARE(ui->cmbInputSel->currentText(), QStringLiteral("MATRIX SWAP"));
}

void TestStatus::versionLabelAndStoredFrames()
{
    QCOMPARE(ui->labelFw1->text(), QStringLiteral("ver: 2.1.0.17"));
    QCOMPARE(ui->CECtext->toPlainText(), QStringLiteral("50:04"));

    WindowHarness other;
    other.box.setFirmwareVersion(255, 0, 128, 9);
    other.box.block(35).fill(0x0A);
    other.create();
    Ui::ZelvarinForm *f = WindowTestAccess::form(other.window());
    QCOMPARE(f->labelFw1->text(), QStringLiteral("ver: 255.0.128.9"));
    QCOMPARE(f->IFtext->toPlainText(), QStringList(QList<QString>(31, "0a")).join(':'));

    // Blocks 6 (reflection) and 7 unanswered: the label keeps the form's text, the rest goes on.
    WindowHarness silent;
    silent.box.setSilentFor(CODE_REGISTERS, 2);
    silent.create();
    QCOMPARE(WindowTestAccess::form(silent.window())->labelFw1->text(), QStringLiteral("ver: "));
    QVERIFY(WindowTestAccess::boxConnected(silent.window()));
}

void TestStatus::hardwareNotFound()
{
    WindowHarness fails;
    fails.box.failNext(SimulatedBox::Operation::Open, UsbStatus::DeviceNotFound);
    fails.create();
    QCOMPARE(fails.dialogs.texts("device"), QStringList { "Usb device open error!" });
    QCOMPARE(fails.dialogs.shown.last().title, QStringLiteral("ZELVARIN Utility"));
    QCOMPARE(fails.dialogs.texts("warning"), QStringList { "Hardware not found" });
    QVERIFY(fails.dialogs.shown.last().hasParent);
    QVERIFY(fails.framesHex().isEmpty());
    QCOMPARE(WindowTestAccess::form(fails.window())->cmbInputSel->count(), 0);
    QVERIFY(!WindowTestAccess::statusTimerRunning(fails.window()));
    QVERIFY(!WindowTestAccess::boxConnected(fails.window()));

    // A box that zelvarinctl (or a second window) holds is named as such.
    WindowHarness held;
    held.box.failNext(SimulatedBox::Operation::Open, UsbStatus::DeviceInUse);
    held.create();
    QCOMPARE(held.dialogs.texts("device"), QStringList { DeviceLink::inUseText() });
    QVERIFY(!WindowTestAccess::boxConnected(held.window()));
}

void TestStatus::firstTickReadsStatusTwiceAndEdidOnce()
{
    h->clearFrames();
    h->tick();
    const QStringList frames = h->framesHex();
    QCOMPARE(fetches(), 1);
    // The refresh's status read, the EDID read, then the tick's own six reads.
    QCOMPARE(frames.mid(0, 2), (QStringList { "11 2A E1", "10 01 B4" }));
    QCOMPARE(frames.mid(frames.size() - 7),
        (QStringList { "11 10 B0 F0", "11 2A E1", "11 0E E0 06", "11 0F E0 06", "11 1F E0 15",
            "11 1F E0 1E", "11 1F E0 1F" }));
    h->clearFrames();
    h->tick();
    QCOMPARE(fetches(), 0);
}

void TestStatus::reflectsTheBlockIntoEveryControl()
{
    h->tick();
    RegisterImage p {};
    p[0] = 3, p[19] = 4, p[30] = 1, p[32] = 2; // lists
    p[1] = 3, p[2] = 3, p[3] = 2, p[4] = 1; // jack, custom EDID, HDCP 1.4, 4:2:0
    p[6] = 0; // no auto switch: priority locked
    p[9] = 1, p[10] = 0, p[11] = 0; // EDID mode free, HDCP and audio locked
    p[13] = p[14] = p[15] = p[16] = p[17] = p[18] = p[21] = p[24] = p[28] = p[31] = p[33] = 1;
    p[7] = 0x77, p[39] = 0x39; // carried, not shown
    boxStatus() = p;
    h->clearFrames();

    h->tick();
    QCOMPARE(controls(),
        QStringLiteral("2 4 1 2 audioHdmi-x audioJack+x automixEDID- fixedEDID- customEDID+ "
                       "hdcp14+x hdcp22-x enable420+ disable420- autoSwEn- autoSwDis+ "
                       "pPrioForce+x bPrioNorm-x cb2cForce+ cb51+ cbFull+ cb3D+ cbHdr+ "
                       "bHdrRepurpEn+ bHdrRepurpDis- bSamHdr+ bFullHdr- cbHdrForceMode- "
                       "enableLed- disableLed+ enableBLed- disableBLed+ cbCec- cbYUV- "
                       "cbBt2020+ enableAVR+ disableAVR- cbAviPersistent+"));
    QCOMPARE(h->link.registerMirror, p);
    // Changed check boxes and lists write their value back once; radio buttons and the
    // click-wired REPLACE AVI do not.
    QCOMPARE(writes(),
        (QStringList { "10 04 E0 00 03", "10 04 E0 0E 04", "10 04 E0 1C 01", "10 04 E0 20 02",
            "10 04 E0 08 01", "10 04 E0 09 01", "10 04 E0 0C 01", "10 04 E0 0A 01",
            "10 04 E0 1B 00", "10 04 E0 1A 00", "10 04 E0 18 01" }));

    // Values with no button keep the exclusive groups' choice; a locked EDID mode keeps the
    // table read-only even in custom mode.
    p[1] = 2, p[3] = 1, p[9] = 0;
    boxStatus() = p;
    h->tick();
    QVERIFY(ui->audioJack->isChecked() && ui->hdcp14->isChecked());
    QVERIFY(!ui->EDIDtext->isEnabled());
}

void TestStatus::unusableStatusChangesNothing_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("box busy") << 0 << QString();
    QTest::newRow("wrong reply code") << 1 << "Error Reading values";
    QTest::newRow("block 6 unanswered") << 2 << "...";
}

void TestStatus::unusableStatusChangesNothing()
{
    QFETCH(int, fault);
    QFETCH(QString, message);
    h->tick();
    h->window().statusBar()->clearMessage();
    const QString before = controls();
    const RegisterImage mirror = h->link.registerMirror;
    boxStatus()[0] = 2, boxStatus()[6] = 0, boxStatus()[13] = 1;
    if (fault == 0)
        h->box.setBusyStatusReads(1);
    else if (fault == 1)
        h->box.setWrongCodeNext();
    else
        h->box.setSilentFor(CODE_REGISTERS);
    h->clearFrames();

    h->tick();
    QCOMPARE(controls(), before);
    QCOMPARE(h->link.registerMirror, mirror);
    QVERIFY(writes().isEmpty());
    QCOMPARE(h->statusMessage(), message);
    h->tick(); // the next tick simply tries again
    QCOMPARE(ui->cmbInputSel->currentIndex(), 1);
}

void TestStatus::listValuesOutOfRangeLeaveNoItem()
{
    h->tick();
    boxStatus()[0] = 0, boxStatus()[19] = 8, boxStatus()[30] = 2, boxStatus()[32] = 200;
    h->clearFrames();
    h->tick();
    for (QComboBox *c : { ui->cmbInputSel, ui->cmBEdid, ui->cmbLa, ui->cmbEdidAlgo })
        QCOMPARE(c->currentIndex(), -1);
    QCOMPARE(writes(),
        (QStringList { "10 04 E0 00 00", "10 04 E0 0E FF", "10 04 E0 1C FF", "10 04 E0 20 FF" }));
}

void TestStatus::edidReadOnceAfterTheBusyTicks()
{
    h->tick();
    ui->fixedEDID->click();
    h->box.setBusyStatusReads(4); // two ticks' worth: the refresh's read and the reflection's
    QList<int> perTick;
    for (int i = 0; i < 5; ++i) {
        h->clearFrames();
        h->tick();
        perTick << fetches();
    }
    QCOMPARE(perTick, (QList<int> { 0, 0, 1, 0, 0 }));

    // An unanswered refresh read tells nothing: the flag stays for the next tick.
    WindowTestAccess::setEdidRefreshPending(h->window(), true);
    h->box.setSilentFor(CODE_STATUS);
    h->clearFrames();
    h->tick();
    QCOMPARE(fetches(), 0);
    h->tick();
    QCOMPARE(fetches(), 1);
}

namespace {
// The "modal box" of a failed queue query, inside which the status timer fires.
class TickingWarnings final : public DeviceWarnings
{
public:
    MainWindow *window = nullptr;
    SimulatedBox *box = nullptr;
    int framesSentByTick = -1;
    void deviceWarning(const QString &) override
    {
        const auto before = box->receivedFrames().size();
        WindowTestAccess::tick(*window);
        framesSentByTick = int(box->receivedFrames().size() - before);
    }
};
} // namespace

void TestStatus::tickInsideATransactionDoesNothing()
{
    VirtualClock clock;
    SimulatedBox box(clock);
    box.setRecording(true);
    TickingWarnings warnings;
    DeviceLink link(box, clock, warnings);
    ScriptedDialogs dialogs;
    AppServices services { &link, &dialogs, &clock, 1.0f };
    MainWindow window(services);
    warnings.window = &window;
    warnings.box = &box;

    box.failNext(SimulatedBox::Operation::CheckRxQueue, UsbStatus::DeviceIoFailed);
    WindowTestAccess::form(window)->disableLed->click();
    QCOMPARE(warnings.framesSentByTick, 0);
}

void TestStatus::signalTextsFollowTheBox()
{
    QCOMPARE(ui->label_video_format->text(),
        QStringLiteral("Input : 3840x2160p60 HDMI, [600MHz], Output: TX A, TX B"));
    QCOMPARE(ui->lblVideoSource->text(), QStringLiteral("Source Info: STREAMCO Media Player 4K"));
    QCOMPARE(ui->lblHdrInput->text(), QStringLiteral("HDR input:  SMPTE ST 2084"));
    QVERIFY(ui->txtHdrIf->toPlainText().startsWith(QLatin1String("02:00:")));
    // A tick that finds the same signal leaves the texts alone (setting one lays it out again).
    QSignalSpy captureSet(ui->txtHdrIf, &QTextEdit::textChanged);
    h->tick();
    QCOMPARE(captureSet.count(), 0);

    // The source goes SDR; one unanswered block read keeps every text for that tick.
    h->box.block(30).fill('\0');
    h->box.block(21).replace(0, 8, QByteArray("<b>x</b>"));
    h->box.setSilentFor(CODE_REGISTERS, 3); // block 6 of the reflection, then 6 and 21 here
    h->tick();
    QCOMPARE(ui->lblHdrInput->text(), QStringLiteral("HDR input:  SMPTE ST 2084"));
    h->tick();
    QCOMPARE(ui->lblHdrInput->text(), QStringLiteral("HDR input:  Not Active"));
    QVERIFY(ui->txtHdrIf->toPlainText().isEmpty());
    QCOMPARE(captureSet.count(), 1);
    // A source's names are text, never markup.
    QCOMPARE(ui->lblVideoSource->textFormat(), Qt::PlainText);

    // In lively mode the window follows the box's own changes.
    h->box.setLively(true);
    const QString format = ui->label_video_format->text();
    for (int i = 0; i < 20 && ui->label_video_format->text() == format; ++i) {
        h->clock.advance(MainWindow::STATUS_PERIOD_MS);
        h->tick();
    }
    QVERIFY(ui->label_video_format->text() != format);
}

QTEST_MAIN(TestStatus)
#include "tst_status.moc"
