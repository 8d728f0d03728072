#include "WindowHarness.h"
#include "WindowTestAccess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QtTest>

// The status tick against the simulated box: reflection of the status block into the controls,
// the EDID refresh that follows start-up and EDID mode changes, and the tick's re-entrancy guard.
class TestStatus : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;
    Ui::ZelvarinForm *ui = nullptr;

    RegisterImage &boxStatus() { return h->box.statusBlock(); }
    QStringList registerWrites() const
    {
        QStringList out;
        for (const QString &f : h->framesHex())
            if (f.startsWith(QLatin1String("10 04 E0")))
                out << f;
        return out;
    }
    int edidFetches() const { return int(h->framesHex().count(QStringLiteral("10 01 B4"))); }

    // Everything the reflection sets, as one comparable text.
    QString controlState() const
    {
        QStringList s;
        for (QComboBox *c : {ui->cmbInputSel, ui->cmBEdid, ui->cmbLa, ui->cmbEdidAlgo})
            s << QString::number(c->currentIndex());
        const QList<QAbstractButton *> buttons = {
            ui->audioHdmi,  ui->audioJack,    ui->automixEDID,   ui->fixedEDID,     ui->customEDID,
            ui->hdcp14,     ui->hdcp22,       ui->enable420,     ui->disable420,    ui->autoSwEn,
            ui->autoSwDis,  ui->pPrioForce,   ui->bPrioNorm,     ui->cb2cForce,     ui->cb51,
            ui->cbFull,     ui->cb3D,         ui->cbHdr,         ui->bHdrRepurpEn,  ui->bHdrRepurpDis,
            ui->bSamHdr,    ui->bFullHdr,     ui->cbHdrForceMode, ui->enableLed,    ui->disableLed,
            ui->enableBLed, ui->disableBLed,  ui->cbCec,         ui->cbYUV,         ui->cbBt2020,
            ui->enableAVR,  ui->disableAVR,   ui->cbAviPersistent};
        for (QAbstractButton *b : buttons)
            s << b->objectName() + (b->isChecked() ? "+" : "-") + (b->isEnabled() ? "" : "x");
        s << QStringLiteral("EDIDtext") + (ui->EDIDtext->isEnabled() ? "" : "x");
        return s.join(' ');
    }

private Q_SLOTS:
    void init();
    void cleanup();

    void reflectsTheBlockIntoEveryControl();
    void reflectsTheOppositeBlock();
    void reflectionWritesBackOnlyWhatItChanged();
    void unusableStatusChangesNothing_data();
    void unusableStatusChangesNothing();
    void listValuesOutOfRangeLeaveNoItem();
    void valuesWithoutAButtonKeepTheGroupsChoice();

    void firstTickReadsStatusTwiceAndEdidOnce();
    void edidReadOnceAfterTheBusyTicks();
    void failedRefreshStatusReadTriesAgain();
    void tickInsideATransactionDoesNothing();
    void timerStartsOnceAndStopsQuietly();
    void windowFollowsALivelyBox();
};

void TestStatus::init()
{
    h = std::make_unique<WindowHarness>();
    h->create();
    ui = WindowTestAccess::form(h->window());
    h->tick(); // settle: the lists take the box's values and the start-up EDID refresh is done
    h->window().statusBar()->clearMessage();
    h->clearFrames();
}

void TestStatus::cleanup()
{
    ui = nullptr;
    h.reset();
}

void TestStatus::reflectsTheBlockIntoEveryControl()
{
    RegisterImage p{};
    p[0] = 3;  // MATRIX THRU
    p[19] = 4;
    p[30] = 1;
    p[32] = 2;
    p[1] = 3;  // jack
    p[2] = 3;  // custom EDID
    p[3] = 2;  // HDCP 1.4
    p[4] = 1;  // 4:2:0 on
    p[6] = 0;  // auto switch off: priority locked
    p[9] = 1;  // EDID mode free
    p[10] = 0; // HDCP locked
    p[11] = 0; // audio locked
    p[13] = p[14] = p[15] = p[16] = p[17] = 1;
    p[18] = 1;
    p[21] = 1;
    p[24] = 1;
    p[26] = 0;
    p[27] = 0;
    p[5] = 0;
    p[29] = 0;
    p[28] = 1;
    p[31] = 1;
    p[33] = 1;
    p[7] = 0x77; // carried but not shown
    p[39] = 0x39;
    boxStatus() = p;

    h->tick();

    QCOMPARE(controlState(),
             QStringLiteral("2 4 1 2 audioHdmi-x audioJack+x automixEDID- fixedEDID- customEDID+ "
                            "hdcp14+x hdcp22-x enable420+ disable420- autoSwEn- autoSwDis+ "
                            "pPrioForce+x bPrioNorm-x cb2cForce+ cb51+ cbFull+ cb3D+ cbHdr+ "
                            "bHdrRepurpEn+ bHdrRepurpDis- bSamHdr+ bFullHdr- cbHdrForceMode- "
                            "enableLed- disableLed+ enableBLed- disableBLed+ cbCec- cbYUV- "
                            "cbBt2020+ enableAVR+ disableAVR- cbAviPersistent+ EDIDtext"));
    QCOMPARE(h->link.registerMirror, p);
}

void TestStatus::reflectsTheOppositeBlock()
{
    RegisterImage p{};
    p[0] = 4;
    p[1] = 1;
    p[2] = 1;
    p[3] = 3;
    p[4] = 0;
    p[6] = 1;
    p[9] = 0; // EDID mode locked
    p[10] = 1;
    p[11] = 1;
    p[18] = 0;
    p[21] = 0;
    p[24] = 0;
    p[26] = p[27] = 1;
    p[5] = p[29] = 1;
    p[31] = 0;
    p[33] = 0;
    boxStatus() = p;

    h->tick();

    QCOMPARE(controlState(),
             QStringLiteral("3 0 0 0 audioHdmi+ audioJack- automixEDID+x fixedEDID-x customEDID-x "
                            "hdcp14- hdcp22+ enable420- disable420+ autoSwEn+ autoSwDis- "
                            "pPrioForce- bPrioNorm+ cb2cForce- cb51- cbFull- cb3D- cbHdr- "
                            "bHdrRepurpEn- bHdrRepurpDis+ bSamHdr- bFullHdr+ cbHdrForceMode- "
                            "enableLed+ disableLed- enableBLed+ disableBLed- cbCec+ cbYUV+ "
                            "cbBt2020- enableAVR- disableAVR+ cbAviPersistent- EDIDtextx"));
    QCOMPARE(h->link.registerMirror, p);
}

// A check box or list that the reflection changes runs its slot, which writes the same value back
// once; radio buttons are wired to clicks and write nothing.
void TestStatus::reflectionWritesBackOnlyWhatItChanged()
{
    boxStatus()[0] = 2;
    boxStatus()[13] = 1;
    boxStatus()[26] = 0; // green LED: a radio pair
    boxStatus()[33] = 1; // REPLACE AVI: wired to clicks
    const RegisterImage before = boxStatus();

    h->tick();
    QCOMPARE(registerWrites(), (QStringList{"10 04 E0 00 02", "10 04 E0 08 01"}));
    QCOMPARE(boxStatus(), before);

    h->clearFrames();
    h->tick();
    QVERIFY(registerWrites().isEmpty());
}

void TestStatus::unusableStatusChangesNothing_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("box busy") << 0 << QString();
    QTest::newRow("status with a wrong code") << 1 << "Error Reading values";
    QTest::newRow("block 6 unanswered") << 2 << "...";
}

void TestStatus::unusableStatusChangesNothing()
{
    QFETCH(int, fault);
    QFETCH(QString, message);
    const QString state = controlState();
    const RegisterImage mirror = h->link.registerMirror;
    RegisterImage p{};
    p[0] = 2;
    p[6] = 0;
    p[13] = 1;
    p[19] = 3;
    boxStatus() = p;
    if (fault == 0)
        h->box.setBusyStatusReads(1);
    else if (fault == 1)
        h->box.setWrongCodeNext();
    else
        h->box.setSilentFor(CODE_REGISTERS);

    h->tick();

    QCOMPARE(controlState(), state);
    QCOMPARE(h->link.registerMirror, mirror);
    QVERIFY(registerWrites().isEmpty());
    QCOMPARE(h->statusMessage(), message);
    // The next tick simply tries again.
    h->tick();
    QCOMPARE(ui->cmbInputSel->currentIndex(), 1);
}

void TestStatus::listValuesOutOfRangeLeaveNoItem()
{
    boxStatus()[0] = 0;  // input 0: no item
    boxStatus()[19] = 8; // one past the custom EDIDs
    boxStatus()[30] = 2;
    boxStatus()[32] = 200;

    h->tick();

    for (QComboBox *c : {ui->cmbInputSel, ui->cmBEdid, ui->cmbLa, ui->cmbEdidAlgo})
        QCOMPARE(c->currentIndex(), -1);
    QCOMPARE(registerWrites(), (QStringList{"10 04 E0 00 00", "10 04 E0 0E FF", "10 04 E0 1C FF",
                                            "10 04 E0 20 FF"}));

    h->clearFrames();
    boxStatus()[0] = 5; // past the end from the other side
    boxStatus()[19] = 1;
    h->tick();
    QCOMPARE(ui->cmbInputSel->currentIndex(), -1);
    QCOMPARE(ui->cmBEdid->currentIndex(), 1);
}

void TestStatus::valuesWithoutAButtonKeepTheGroupsChoice()
{
    // Audio source 2 and HDCP 1 have no button: unchecking inside an exclusive group is refused,
    // so the groups keep what they showed. Values outside the map change nothing at all.
    ui->audioJack->setChecked(true);
    ui->hdcp22->setChecked(true);
    ui->disable420->setChecked(true);
    boxStatus()[1] = 2;
    boxStatus()[3] = 1;
    boxStatus()[4] = 9;
    boxStatus()[2] = 3; // custom mode ...
    boxStatus()[9] = 0; // ... that may not be changed now

    h->tick();

    QVERIFY(ui->audioJack->isChecked());
    QVERIFY(ui->hdcp22->isChecked());
    QVERIFY(ui->disable420->isChecked());
    QVERIFY(ui->customEDID->isChecked());
    QVERIFY(!ui->EDIDtext->isEnabled());

    boxStatus()[1] = 7;
    boxStatus()[6] = 2;
    const QString state = controlState();
    h->tick();
    QCOMPARE(controlState(), state);
}

void TestStatus::firstTickReadsStatusTwiceAndEdidOnce()
{
    WindowHarness fresh;
    fresh.create();
    fresh.clearFrames();

    fresh.tick();

    const QStringList frames = fresh.framesHex();
    QCOMPARE(frames.count(QStringLiteral("10 01 B4")), 1);
    const int fetch = int(frames.indexOf(QStringLiteral("10 01 B4")));
    // Before the EDID read: the refresh's status read; after its last chunk: the tick's own.
    QCOMPARE(frames.mid(0, fetch), QStringList{"11 2A E1"});
    int lastChunk = -1;
    for (int i = 0; i < frames.size(); ++i)
        if (frames[i].startsWith(QLatin1String("11 10 B0 ")))
            lastChunk = i;
    QVERIFY(lastChunk > fetch);
    QCOMPARE(frames.mid(lastChunk + 1),
             (QStringList{"11 2A E1", "11 0E E0 06", "11 0F E0 06", "11 1F E0 15", "11 1F E0 1E",
                          "11 1F E0 1F"}));
    QVERIFY(!WindowTestAccess::edidRefreshPending(fresh.window()));

    fresh.clearFrames();
    fresh.tick();
    QCOMPARE(fresh.framesHex().count(QStringLiteral("10 01 B4")), 0);
}

void TestStatus::edidReadOnceAfterTheBusyTicks()
{
    ui->fixedEDID->click();
    h->box.setBusyStatusReads(4); // the box rebuilds its EDID for a while
    QList<int> fetchesPerTick;
    for (int i = 0; i < 5; ++i) {
        h->clearFrames();
        h->tick();
        fetchesPerTick << edidFetches();
    }
    // Two busy status reads per tick: the refresh's and the reflection's.
    QCOMPARE(fetchesPerTick, (QList<int>{0, 0, 1, 0, 0}));
    QVERIFY(!WindowTestAccess::edidRefreshPending(h->window()));
}

void TestStatus::failedRefreshStatusReadTriesAgain()
{
    WindowTestAccess::setEdidRefreshPending(h->window(), true);
    h->box.setSilentFor(CODE_STATUS);
    h->tick();
    QCOMPARE(edidFetches(), 0);
    QVERIFY(WindowTestAccess::edidRefreshPending(h->window()));

    h->clearFrames();
    h->tick();
    QCOMPARE(edidFetches(), 1);
    QVERIFY(!WindowTestAccess::edidRefreshPending(h->window()));
}

namespace {
// Opens the "modal box" of a failed queue query, inside which the status timer fires.
class TickingWarnings final : public DeviceWarnings
{
public:
    MainWindow *window = nullptr;
    SimulatedBox *box = nullptr;
    int framesSentByTick = -1;
    void deviceWarning(const QString &) override
    {
        const int before = int(box->receivedFrames().size());
        WindowTestAccess::tick(*window);
        framesSentByTick = int(box->receivedFrames().size()) - before;
    }
};
} // namespace

void TestStatus::tickInsideATransactionDoesNothing()
{
    VirtualClock clock;
    SimulatedBox box(clock);
    TickingWarnings warnings;
    DeviceLink link(box, clock, warnings);
    ScriptedDialogs dialogs;
    AppServices services{&link, &dialogs, &clock, 1.0f};
    MainWindow window(services);
    warnings.window = &window;
    warnings.box = &box;

    box.failNext(SimulatedBox::Operation::CheckRxQueue, UsbStatus::DeviceIoFailed);
    WindowTestAccess::form(window)->disableLed->click();

    QCOMPARE(warnings.framesSentByTick, 0);
    QVERIFY(!link.transactionBusy());
}

void TestStatus::timerStartsOnceAndStopsQuietly()
{
    MainWindow &w = h->window();
    QVERIFY(WindowTestAccess::statusTimerRunning(w));
    const int id = WindowTestAccess::statusTimerId(w);
    WindowTestAccess::startStatusTimer(w, 10);
    QCOMPARE(WindowTestAccess::statusTimerId(w), id);
    WindowTestAccess::stopStatusTimer(w);
    WindowTestAccess::stopStatusTimer(w);
    QVERIFY(!WindowTestAccess::statusTimerRunning(w));

    WindowHarness absent;
    absent.box.setDevices({});
    absent.create();
    QVERIFY(!WindowTestAccess::statusTimerRunning(absent.window()));
}

void TestStatus::windowFollowsALivelyBox()
{
    h->box.setLively(true);
    const QString format = ui->label_video_format->text();
    const int input = ui->cmbInputSel->currentIndex();
    bool inputMoved = false, formatMoved = false;
    for (int i = 0; i < 20 && !(inputMoved && formatMoved); ++i) {
        h->clock.advance(MainWindow::STATUS_PERIOD_MS);
        h->tick();
        inputMoved |= ui->cmbInputSel->currentIndex() != input;
        formatMoved |= ui->label_video_format->text() != format;
    }
    QVERIFY(inputMoved);
    QVERIFY(formatMoved);
}

QTEST_MAIN(TestStatus)
#include "tst_status.moc"
