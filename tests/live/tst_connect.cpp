#include "WindowHarness.h"
#include "WindowTestAccess.h"

#include <QComboBox>
#include <QLabel>
#include <QTextEdit>
#include <QtTest>

// The connect sequence and the signal description as the window shows them.
class TestConnect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpConversation();
    void listsShowItemZeroUntilTheFirstTick();
    void versionLabel_data();
    void versionLabel();
    void storedInfoFramesAndDefaultCecCommand();
    void boxMissingOrUnopenable_data();
    void boxMissingOrUnopenable();
    void signalDescriptionFollowsTheBox();
};

void TestConnect::startUpConversation()
{
    WindowHarness h;
    h.create();
    const QStringList frames = h.framesHex();

    // Reflection (the only check box the box disagrees with writes its value back), the version
    // and stored InfoFrames, the signal description, then the box's EDID.
    const QStringList head = {"11 2A E1",    "11 0E E0 06", "10 04 E0 18 01", "11 08 E0 07",
                              "11 21 E0 23", "11 0F E0 24", "11 0F E0 06",    "11 1F E0 15",
                              "11 1F E0 1E", "11 1F E0 1F", "10 01 B4"};
    QCOMPARE(frames.mid(0, head.size()), head);
    QStringList rest = frames.mid(head.size());
    while (!rest.isEmpty() && rest.first() == QLatin1String("11 2A E1"))
        rest.removeFirst(); // the EDID read waits while the box is busy
    QStringList chunks;
    for (int offset = 0; offset < 256; offset += 16)
        chunks << QStringLiteral("11 10 B0 %1").arg(offset, 2, 16, QLatin1Char('0')).toUpper();
    QCOMPARE(rest, chunks);

    QVERIFY(WindowTestAccess::boxConnected(h.window()));
    QVERIFY(WindowTestAccess::statusTimerRunning(h.window()));
    QVERIFY(h.dialogs.shown.isEmpty());
}

void TestConnect::listsShowItemZeroUntilTheFirstTick()
{
    WindowHarness h;
    h.box.statusBlock()[0] = 4;  // MATRIX SWAP
    h.box.statusBlock()[32] = 3; // Max Audio, Max Video
    h.create();
    Ui::ZelvarinForm *ui = WindowTestAccess::form(h.window());
    QCOMPARE(ui->cmbInputSel->count(), 4);
    QCOMPARE(ui->cmBEdid->count(), 8);
    QCOMPARE(ui->cmbLa->count(), 2);
    QCOMPARE(ui->cmbEdidAlgo->count(), 4);
    QCOMPARE(ui->cmbInputSel->currentIndex(), 0);
    QCOMPARE(ui->cmbEdidAlgo->currentIndex(), 0);

    h.tick();
    QCOMPARE(ui->cmbInputSel->currentText(), QStringLiteral("MATRIX SWAP"));
    QCOMPARE(ui->cmbEdidAlgo->currentText(), QStringLiteral("Max Audio, Max Video"));
}

void TestConnect::versionLabel_data()
{
    QTest::addColumn<QList<int>>("version");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("label");
    QTest::newRow("2.1.0.17") << QList<int>{2, 1, 0, 17} << true << "ver: 2.1.0.17";
    QTest::newRow("unsigned bytes") << QList<int>{255, 0, 128, 9} << true << "ver: 255.0.128.9";
    QTest::newRow("block 7 unanswered") << QList<int>{2, 1, 0, 17} << false << "ver: ";
}

void TestConnect::versionLabel()
{
    QFETCH(QList<int>, version);
    QFETCH(bool, answered);
    QFETCH(QString, label);
    WindowHarness h;
    h.box.setFirmwareVersion(quint8(version[0]), quint8(version[1]), quint8(version[2]),
                             quint8(version[3]));
    if (!answered)
        h.box.setSilentFor(CODE_REGISTERS, 2); // blocks 6 (reflection) and 7
    h.create();
    Ui::ZelvarinForm *ui = WindowTestAccess::form(h.window());
    QCOMPARE(ui->labelFw1->text(), label);
    QCOMPARE(ui->labelTitle->text(), QStringLiteral("ZELVARIN GUI"));
    // The sequence goes on after a failed read.
    QVERIFY(WindowTestAccess::boxConnected(h.window()));
}

void TestConnect::storedInfoFramesAndDefaultCecCommand()
{
    WindowHarness h;
    h.box.block(35).fill(0x0A);
    h.box.block(36).fill(char(0xC8));
    h.create();
    Ui::ZelvarinForm *ui = WindowTestAccess::form(h.window());
    const QString ifText = ui->IFtext->toPlainText();
    QCOMPARE(ifText.size(), 92);
    QCOMPARE(ifText, QStringList(QList<QString>(31, QStringLiteral("0a"))).join(':'));
    QCOMPARE(ui->AVItext->toPlainText(),
             QStringList(QList<QString>(13, QStringLiteral("c8"))).join(':'));
    QCOMPARE(ui->CECtext->toPlainText(), QStringLiteral("50:04"));
    QVERIFY(ui->CECtext->isEnabled());

    // Unanswered reads leave their cleared buffers, which show as zeros.
    WindowHarness silent;
    silent.box.setSilentFor(CODE_REGISTERS, 4); // blocks 6, 7, 35 and 36
    silent.create();
    QCOMPARE(WindowTestAccess::form(silent.window())->AVItext->toPlainText(),
             QStringList(QList<QString>(13, QStringLiteral("00"))).join(':'));
}

void TestConnect::boxMissingOrUnopenable_data()
{
    QTest::addColumn<bool>("found");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("no box") << false << QStringList{"device: ZELVARIN USB not connected!"};
    QTest::newRow("open fails") << true
                                << QStringList{"device: Usb device open error!",
                                               "warning: ZELVARIN Utility / Hardware not found"};
}

void TestConnect::boxMissingOrUnopenable()
{
    QFETCH(bool, found);
    QFETCH(QStringList, shown);
    WindowHarness h;
    if (found)
        h.box.failNext(SimulatedBox::Operation::Open, UsbStatus::DeviceNotFound);
    else
        h.box.setDevices({});
    h.create();

    QStringList boxes;
    for (const ScriptedDialogs::Shown &s : h.dialogs.shown) {
        boxes << (s.kind == QLatin1String("warning") ? s.kind + ": " + s.title + " / " + s.text
                                                     : s.kind + ": " + s.text);
        if (s.kind == QLatin1String("warning"))
            QVERIFY(s.hasParent);
    }
    QCOMPARE(boxes, shown);
    QVERIFY(h.framesHex().isEmpty());
    Ui::ZelvarinForm *ui = WindowTestAccess::form(h.window());
    QCOMPARE(ui->cmbInputSel->count(), 0);
    QCOMPARE(ui->labelFw1->text(), QStringLiteral("ver: "));
    QVERIFY(!WindowTestAccess::statusTimerRunning(h.window()));
    QVERIFY(!WindowTestAccess::boxConnected(h.window()));
}

void TestConnect::signalDescriptionFollowsTheBox()
{
    WindowHarness h;
    h.create();
    Ui::ZelvarinForm *ui = WindowTestAccess::form(h.window());
    QCOMPARE(ui->label_video_format->text(),
             QStringLiteral("Input : 3840x2160p60 HDMI, [600MHz], Output: TX A, TX B"));
    QCOMPARE(ui->lblCsc->text(), QStringLiteral("Color Space: YCbCr 4:4:4, Extended: ITU-R BT.2020 RGB"));
    QCOMPARE(ui->lblVideoSource->text(), QStringLiteral("Source Info: STREAMCO Media Player 4K"));
    QCOMPARE(ui->lblHdrInput->text(), QStringLiteral("HDR input:  SMPTE ST 2084"));
    QCOMPARE(ui->txtHdrIf->toPlainText().count(':'), 25); // the 26 bytes of HDR10 metadata
    QVERIFY(ui->txtHdrIf->toPlainText().startsWith(QLatin1String("02:00:")));

    // The source goes SDR 1080p; one unanswered block read keeps every text for that tick.
    h.box.block(6)[0] = char(16);
    h.box.block(6)[2] = char(0);
    h.box.block(30).fill('\0');
    h.box.setSilentFor(CODE_REGISTERS, 3); // block 6 of the reflection, then 6 and 21 here
    h.tick();
    QCOMPARE(ui->lblHdrInput->text(), QStringLiteral("HDR input:  SMPTE ST 2084"));
    QVERIFY(!ui->txtHdrIf->toPlainText().isEmpty());

    h.tick();
    QCOMPARE(ui->label_video_format->text(),
             QStringLiteral("Input : 1920x1080p60 HDMI, Output: TX A, TX B"));
    QCOMPARE(ui->lblHdrInput->text(), QStringLiteral("HDR input:  Not Active"));
    QVERIFY(ui->txtHdrIf->toPlainText().isEmpty());

    // Names from the source are shown as text, never as markup.
    h.box.block(21).replace(2, 8, QByteArray("<b>x</b>"));
    h.tick();
    QCOMPARE(ui->lblVideoSource->text(), QStringLiteral("Source Info: <b>x</b> Media Player 4K"));
    QCOMPARE(ui->lblVideoSource->textFormat(), Qt::PlainText);
}

QTEST_MAIN(TestConnect)
#include "tst_connect.moc"
