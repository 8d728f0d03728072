#include "WindowHarness.h"
#include "WindowTestAccess.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QTextEdit>
#include <QtTest>

// The settings controls against the simulated box: the frames they send, what they keep in the
// settings image, and the factory reset.
class TestSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;
    Ui::ZelvarinForm *ui = nullptr;

    RegisterImage &mirror() { return h->link.registerMirror; }
    template <typename T> T *widget(const QString &name)
    {
        T *w = h->window().findChild<T *>(name);
        if (!w)
            qFatal("no widget %s", qPrintable(name));
        return w;
    }
    QStringList registerWrites() const
    {
        QStringList out;
        for (const QString &f : h->framesHex())
            if (f.startsWith(QLatin1String("10 04 E0")))
                out << f;
        return out;
    }

private Q_SLOTS:
    void init();
    void cleanup();

    void buttonSendsItsFrameAndStoresItsValue_data();
    void buttonSendsItsFrameAndStoresItsValue();
    void checkBoxWritesBothStates_data();
    void checkBoxWritesBothStates();
    void injectionSettingsEndWithTheirRegister();
    void clickingACheckedButtonWritesAgain();
    void edidModeFlagsTheRefresh();
    void edidModeWithNothingCheckedOnlyFlags();
    void listsWriteTheirIndexOnlyWhenConnected_data();
    void listsWriteTheirIndexOnlyWhenConnected();
    void failedWriteKeepsTheChoice();

    void resetWritesTheChosenParts_data();
    void resetWritesTheChosenParts();
    void resetRefusesAnythingButTheWord_data();
    void resetRefusesAnythingButTheWord();
    void secondResetNeedsTheWordAgain();
};

void TestSettings::init()
{
    h = std::make_unique<WindowHarness>();
    h->create();
    ui = WindowTestAccess::form(h->window());
    h->window().statusBar()->clearMessage();
    h->clearFrames();
}

void TestSettings::cleanup()
{
    ui = nullptr;
    h.reset();
}

void TestSettings::buttonSendsItsFrameAndStoresItsValue_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("value");
    const struct
    {
        const char *on, *off;
        int reg, pos, onValue, offValue;
    } pairs[] = {
        {"autoSwEn", "autoSwDis", 0x01, 6, 1, 0},
        {"audioHdmi", "audioJack", 0x02, 1, 1, 3},
        {"hdcp14", "hdcp22", 0x03, 3, 2, 3},
        {"enable420", "disable420", 0x04, 4, 1, 0},
        {"pPrioForce", "bPrioNorm", 0x0D, 18, 1, 0},
        {"bHdrRepurpEn", "bHdrRepurpDis", 0x10, 21, 1, 0},
        {"bSamHdr", "bFullHdr", 0x13, 24, 1, 0},
        {"enableLed", "disableLed", 0x16, 26, 1, 0},
        {"enableBLed", "disableBLed", 0x17, 27, 1, 0},
        {"enableAVR", "disableAVR", 0x1D, 31, 1, 0},
        {"automixEDID", "fixedEDID", 0x05, 2, 1, 2},
    };
    auto frame = [](int reg, int value) {
        return QStringLiteral("10 04 E0 %1 %2")
            .arg(reg, 2, 16, QLatin1Char('0'))
            .arg(value, 2, 16, QLatin1Char('0'))
            .toUpper();
    };
    for (const auto &p : pairs) {
        QTest::newRow(p.on) << p.on << frame(p.reg, p.onValue) << p.pos << p.onValue;
        QTest::newRow(p.off) << p.off << frame(p.reg, p.offValue) << p.pos << p.offValue;
    }
    QTest::newRow("customEDID") << "customEDID" << frame(0x05, 3) << 2 << 3;
}

void TestSettings::buttonSendsItsFrameAndStoresItsValue()
{
    QFETCH(QString, button);
    QFETCH(QString, frame);
    QFETCH(int, position);
    QFETCH(int, value);
    mirror()[position] = 0xEE;

    widget<QAbstractButton>(button)->click();

    QCOMPARE(h->framesHex(), QStringList{frame});
    QCOMPARE(int(mirror()[position]), value);
    QCOMPARE(h->box.statusBlock()[position], quint8(value));
}

void TestSettings::checkBoxWritesBothStates_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("position");
    QTest::newRow("cb2cForce") << "cb2cForce" << 8 << 13;
    QTest::newRow("cb51") << "cb51" << 9 << 14;
    QTest::newRow("cb3D") << "cb3D" << 10 << 15;
    QTest::newRow("cbHdr") << "cbHdr" << 11 << 16;
    QTest::newRow("cbFull") << "cbFull" << 12 << 17;
    QTest::newRow("cbBt2020") << "cbBt2020" << 24 << 28;
    QTest::newRow("cbYUV") << "cbYUV" << 26 << 29;
    QTest::newRow("cbCec") << "cbCec" << 27 << 5;
}

void TestSettings::checkBoxWritesBothStates()
{
    QFETCH(QString, box);
    QFETCH(int, reg);
    QFETCH(int, position);
    auto *cb = widget<QCheckBox>(box);
    const QString prefix = QStringLiteral("10 04 E0 %1 ").arg(reg, 2, 16, QLatin1Char('0')).toUpper();

    // Set from the program, as the status reflection does: the slot runs all the same.
    for (bool on : {true, false}) {
        {
            const QSignalBlocker quiet(cb);
            cb->setChecked(!on);
        }
        mirror()[position] = 0xEE;
        h->clearFrames();
        cb->setChecked(on);
        QCOMPARE(h->framesHex(), QStringList{prefix + (on ? "01" : "00")});
        QCOMPARE(int(mirror()[position]), on ? 1 : 0);
    }
}

// Forcing HDR and replacing the AVI InfoFrame load their frame first; whatever that load does,
// the setting's own register write comes last.
void TestSettings::injectionSettingsEndWithTheirRegister()
{
    h->box.setSilentFor(CODE_INFOFRAME, 5);
    h->box.setSilentFor(CODE_AVI, 5);
    for (bool on : {true, false}) {
        h->clearFrames();
        ui->cbHdrForceMode->setChecked(on);
        QCOMPARE(h->framesHex().last(), QString(on ? "10 04 E0 11 01" : "10 04 E0 11 00"));
        QCOMPARE(int(mirror()[22]), on ? 1 : 0);
        if (!on)
            QCOMPARE(h->framesHex().size(), 1);

        h->clearFrames();
        ui->cbAviPersistent->click();
        QCOMPARE(ui->cbAviPersistent->isChecked(), on);
        QCOMPARE(h->framesHex().last(), QString(on ? "10 04 E0 21 01" : "10 04 E0 21 00"));
        QCOMPARE(int(mirror()[33]), on ? 1 : 0);
        if (!on)
            QCOMPARE(h->framesHex().size(), 1);
    }
}

void TestSettings::clickingACheckedButtonWritesAgain()
{
    ui->autoSwEn->click();
    ui->autoSwEn->click();
    QCOMPARE(h->framesHex(), (QStringList{"10 04 E0 01 01", "10 04 E0 01 01"}));
}

void TestSettings::edidModeFlagsTheRefresh()
{
    WindowTestAccess::setEdidRefreshPending(h->window(), false);
    ui->customEDID->click();
    QVERIFY(ui->EDIDtext->isEnabled());
    QCOMPARE(h->statusMessage(), QStringLiteral("EDID Writing Busy"));
    QVERIFY(WindowTestAccess::edidRefreshPending(h->window()));

    ui->fixedEDID->click();
    QVERIFY(!ui->EDIDtext->isEnabled());
}

void TestSettings::edidModeWithNothingCheckedOnlyFlags()
{
    ui->buttonGroup_6->setExclusive(false);
    for (QAbstractButton *b : ui->buttonGroup_6->buttons())
        b->setChecked(false);
    WindowTestAccess::setEdidRefreshPending(h->window(), false);
    const bool editable = ui->EDIDtext->isEnabled();

    QVERIFY(QMetaObject::invokeMethod(&h->window(), "SetEDID_Mode"));

    QVERIFY(h->framesHex().isEmpty());
    QCOMPARE(ui->EDIDtext->isEnabled(), editable);
    QCOMPARE(h->statusMessage(), QStringLiteral("EDID Writing Busy"));
    QVERIFY(WindowTestAccess::edidRefreshPending(h->window()));
}

void TestSettings::listsWriteTheirIndexOnlyWhenConnected_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("frame");
    QTest::newRow("input") << "cmbInputSel" << 2 << "10 04 E0 00 03";
    QTest::newRow("input, no item") << "cmbInputSel" << -1 << "10 04 E0 00 00";
    QTest::newRow("custom EDID") << "cmBEdid" << 7 << "10 04 E0 0E 07";
    QTest::newRow("custom EDID, no item") << "cmBEdid" << -1 << "10 04 E0 0E FF";
    QTest::newRow("CEC type") << "cmbLa" << 1 << "10 04 E0 1C 01";
    QTest::newRow("CEC type, no item") << "cmbLa" << -1 << "10 04 E0 1C FF";
    QTest::newRow("automix") << "cmbEdidAlgo" << 3 << "10 04 E0 20 03";
    QTest::newRow("automix, no item") << "cmbEdidAlgo" << -1 << "10 04 E0 20 FF";
}

void TestSettings::listsWriteTheirIndexOnlyWhenConnected()
{
    QFETCH(QString, list);
    QFETCH(int, index);
    QFETCH(QString, frame);
    auto *combo = widget<QComboBox>(list);
    const RegisterImage before = mirror();

    combo->setCurrentIndex(index);
    QCOMPARE(h->framesHex(), QStringList{frame});
    QCOMPARE(mirror(), before); // the lists keep nothing in the image

    // Filling the lists at start-up moved every index from none to 0 and wrote nothing.
    WindowHarness fresh;
    fresh.create();
    QVERIFY(WindowTestAccess::boxConnected(fresh.window()));
    QCOMPARE(fresh.window().findChild<QComboBox *>(list)->currentIndex(), 0);
    for (const QString &f : fresh.framesHex()) {
        for (const char *reg : {"10 04 E0 00 ", "10 04 E0 0E ", "10 04 E0 1C ", "10 04 E0 20 "})
            QVERIFY2(!f.startsWith(QLatin1String(reg)), qPrintable(f));
    }
}

void TestSettings::failedWriteKeepsTheChoice()
{
    h->box.setWrongCodeNext();
    ui->disableLed->click();
    QCOMPARE(h->statusMessage(), QStringLiteral("Error Writing values"));
    QVERIFY(ui->disableLed->isChecked());
    QCOMPARE(int(mirror()[26]), 0);
}

void TestSettings::resetWritesTheChosenParts_data()
{
    QTest::addColumn<bool>("settings");
    QTest::addColumn<bool>("edid");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QString>("message");
    QTest::newRow("both") << true << true << QStringList{"10 04 E0 19 03"} << QString();
    QTest::newRow("settings") << true << false << QStringList{"10 04 E0 19 02"} << QString();
    QTest::newRow("EDID") << false << true << QStringList{"10 04 E0 19 01"} << QString();
    QTest::newRow("neither") << false << false << QStringList{}
                             << "Choose the reset from the checkboxes";
}

void TestSettings::resetWritesTheChosenParts()
{
    QFETCH(bool, settings);
    QFETCH(bool, edid);
    QFETCH(QStringList, frames);
    QFETCH(QString, message);
    ui->leReset->setText(QStringLiteral("RESET"));
    ui->cbClearSettings->setChecked(settings);
    ui->cbClearEdid->setChecked(edid);

    ui->pbReset->click();

    QCOMPARE(h->framesHex(), frames);
    QCOMPARE(h->statusMessage(), message);
    QVERIFY(ui->leReset->text().isEmpty());
    QVERIFY(!ui->cbClearSettings->isChecked());
    QVERIFY(!ui->cbClearEdid->isChecked());
}

void TestSettings::resetRefusesAnythingButTheWord_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("lower case") << "reset";
    QTest::newRow("blank before") << " RESET";
    QTest::newRow("blank after") << "RESET ";
    QTest::newRow("empty") << "";
}

void TestSettings::resetRefusesAnythingButTheWord()
{
    QFETCH(QString, typed);
    ui->leReset->setText(typed);
    ui->cbClearSettings->setChecked(true);
    ui->cbClearEdid->setChecked(true);

    ui->pbReset->click();

    QVERIFY(h->framesHex().isEmpty());
    QCOMPARE(h->statusMessage(), QStringLiteral("Type RESET into the text box and click OK"));
    QCOMPARE(ui->leReset->text(), typed);
    QVERIFY(ui->cbClearSettings->isChecked());
    QVERIFY(ui->cbClearEdid->isChecked());
}

void TestSettings::secondResetNeedsTheWordAgain()
{
    ui->leReset->setText(QStringLiteral("RESET"));
    ui->cbClearSettings->setChecked(true);
    ui->pbReset->click();
    ui->cbClearSettings->setChecked(true);
    ui->pbReset->click();
    QCOMPARE(registerWrites(), QStringList{"10 04 E0 19 02"});
    QCOMPARE(h->statusMessage(), QStringLiteral("Type RESET into the text box and click OK"));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
