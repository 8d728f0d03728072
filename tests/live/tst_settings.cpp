// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTestAccess.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QTextEdit>
#include <QtTest>

// The settings controls and the factory reset against the simulated box.
class TestSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;
    Ui::ZelvarinForm *ui = nullptr;

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<WindowHarness>();
        h->create();
        ui = WindowTestAccess::form(h->window());
        h->window().statusBar()->clearMessage();
        h->clearFrames();
    }
    void cleanup() { h.reset(); }

    void controlWritesItsRegister_data();
    void controlWritesItsRegister();
    void injectionSettingsEndWithTheirRegister();
    void edidModeFlagsTheRefresh();
    void factoryReset_data();
    void factoryReset();
};

void TestSettings::controlWritesItsRegister_data()
{
    // action: "click" a button or check box, or a list index to select.
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("position"); // -1: the lists keep nothing in the image
    auto row = [](const char *control, const char *action, int reg, int value, int position) {
        QTest::addRow("%s %s", control, action) << control << action << reg << value << position;
    };
    // clang-format off
    row("autoSwEn", "click", 1, 1, 6);        row("autoSwDis", "click", 1, 0, 6);
    row("audioHdmi", "click", 2, 1, 1);       row("audioJack", "click", 2, 3, 1);
    row("hdcp14", "click", 3, 2, 3);          row("hdcp22", "click", 3, 3, 3);
    row("enable420", "click", 4, 1, 4);       row("disable420", "click", 4, 0, 4);
    row("automixEDID", "click", 5, 1, 2);     row("fixedEDID", "click", 5, 2, 2);
    row("customEDID", "click", 5, 3, 2);      row("pPrioForce", "click", 13, 1, 18);
    row("bPrioNorm", "click", 13, 0, 18);     row("bHdrRepurpEn", "click", 16, 1, 21);
    row("bHdrRepurpDis", "click", 16, 0, 21); row("bSamHdr", "click", 19, 1, 24);
    row("bFullHdr", "click", 19, 0, 24);      row("enableLed", "click", 22, 1, 26);
    row("disableLed", "click", 22, 0, 26);    row("enableBLed", "click", 23, 1, 27);
    row("disableBLed", "click", 23, 0, 27);   row("enableAVR", "click", 29, 1, 31);
    row("disableAVR", "click", 29, 0, 31);
    // Check boxes start as the box reports them (all clear but YCbCr, HDR EDID and CEC).
    row("cb2cForce", "click", 8, 1, 13);      row("cb51", "click", 9, 1, 14);
    row("cb3D", "click", 10, 1, 15);          row("cbHdr", "click", 11, 0, 16);
    row("cbFull", "click", 12, 1, 17);        row("cbBt2020", "click", 24, 1, 28);
    row("cbYUV", "click", 26, 0, 29);         row("cbCec", "click", 27, 0, 5);
    row("cmbInputSel", "2", 0, 3, -1);        row("cmbInputSel", "-1", 0, 0, -1);
    row("cmBEdid", "7", 14, 7, -1);           row("cmBEdid", "-1", 14, 0xFF, -1);
    row("cmbLa", "1", 28, 1, -1);             row("cmbLa", "-1", 28, 0xFF, -1);
    row("cmbEdidAlgo", "3", 32, 3, -1);       row("cmbEdidAlgo", "-1", 32, 0xFF, -1);
    // clang-format on
}

void TestSettings::controlWritesItsRegister()
{
    QFETCH(QString, control);
    QFETCH(QString, action);
    QFETCH(int, reg);
    QFETCH(int, value);
    QFETCH(int, position);
    RegisterImage &mirror = h->link.registerMirror;
    mirror.fill(0xEE);
    const RegisterImage before = mirror;

    if (action == QLatin1String("click"))
        h->window().findChild<QAbstractButton *>(control)->click();
    else
        h->window().findChild<QComboBox *>(control)->setCurrentIndex(action.toInt());

    const QString frame = QString::asprintf("10 04 E0 %02X %02X", reg, value);
    QCOMPARE(h->framesHex(), QStringList { frame });
    RegisterImage expected = before;
    if (position >= 0)
        expected[position] = quint8(value);
    QCOMPARE(mirror, expected);

    // Clicking the checked button again writes again.
    if (action == QLatin1String("click") && !control.startsWith(QLatin1String("cb"))) {
        h->window().findChild<QAbstractButton *>(control)->click();
        QCOMPARE(h->framesHex(), (QStringList { frame, frame }));
    }
}

// Forcing HDR and replacing the AVI InfoFrame load their frame first; whatever that load does,
// the setting's own write comes last.
void TestSettings::injectionSettingsEndWithTheirRegister()
{
    h->box.setSilentFor(CODE_INFOFRAME);
    h->box.setSilentFor(CODE_AVI);
    ui->cbHdrForceMode->setChecked(true);
    ui->cbAviPersistent->click();
    const QStringList on = h->framesHex();
    QVERIFY(on.contains(QStringLiteral("10 04 E0 11 01")));
    QCOMPARE(on.last(), QStringLiteral("10 04 E0 21 01"));
    QCOMPARE(h->link.registerMirror[22], quint8(1));
    QCOMPARE(h->link.registerMirror[33], quint8(1));

    h->clearFrames();
    ui->cbHdrForceMode->setChecked(false);
    ui->cbAviPersistent->click();
    QCOMPARE(h->framesHex(), (QStringList { "10 04 E0 11 00", "10 04 E0 21 00" }));
}

void TestSettings::edidModeFlagsTheRefresh()
{
    WindowTestAccess::setEdidRefreshPending(h->window(), false);
    ui->customEDID->click();
    QVERIFY(ui->EDIDtext->isEnabled());
    QCOMPARE(h->statusMessage(), QStringLiteral("EDID Writing Busy"));
    QVERIFY(WindowTestAccess::edidRefreshPending(h->window()));

    // With no mode chosen nothing is written, but the refresh is still asked for.
    ui->buttonGroup_6->setExclusive(false);
    ui->customEDID->setChecked(false);
    WindowTestAccess::setEdidRefreshPending(h->window(), false);
    h->clearFrames();
    QVERIFY(QMetaObject::invokeMethod(&h->window(), "SetEDID_Mode"));
    QVERIFY(h->framesHex().isEmpty());
    QVERIFY(ui->EDIDtext->isEnabled());
    QVERIFY(WindowTestAccess::edidRefreshPending(h->window()));
}

void TestSettings::factoryReset_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("settings");
    QTest::addColumn<bool>("edid");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QString>("message");
    const QString refused = QStringLiteral("Type RESET into the text box and click OK");
    QTest::newRow("both") << "RESET" << true << true << QStringList { "10 04 E0 19 03" } << "";
    QTest::newRow("settings") << "RESET" << true << false << QStringList { "10 04 E0 19 02" } << "";
    QTest::newRow("EDID") << "RESET" << false << true << QStringList { "10 04 E0 19 01" } << "";
    QTest::newRow("neither") << "RESET" << false << false << QStringList {}
                             << "Choose the reset from the checkboxes";
    QTest::newRow("lower case") << "reset" << true << true << QStringList {} << refused;
    QTest::newRow("blank before") << " RESET" << true << true << QStringList {} << refused;
    QTest::newRow("blank after") << "RESET " << true << true << QStringList {} << refused;
}

void TestSettings::factoryReset()
{
    QFETCH(QString, typed);
    QFETCH(bool, settings);
    QFETCH(bool, edid);
    QFETCH(QStringList, frames);
    QFETCH(QString, message);
    ui->leReset->setText(typed);
    ui->cbClearSettings->setChecked(settings);
    ui->cbClearEdid->setChecked(edid);

    ui->pbReset->click();
    QCOMPARE(h->framesHex(), frames);
    QCOMPARE(h->statusMessage(), message);

    const bool accepted = typed == QLatin1String("RESET");
    QCOMPARE(ui->leReset->text(), accepted ? QString() : typed);
    QCOMPARE(ui->cbClearSettings->isChecked(), settings && !accepted);
    QCOMPARE(ui->cbClearEdid->isChecked(), edid && !accepted);

    // A second OK needs the word typed again.
    if (accepted) {
        ui->cbClearSettings->setChecked(true);
        ui->pbReset->click();
        QCOMPARE(h->framesHex(), frames);
    }
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
