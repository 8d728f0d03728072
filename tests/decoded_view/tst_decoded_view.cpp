// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidText.h"
#include "tests/support/CliRun.h"
#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTestAccess.h"
#include "ui/DecodedView.h"
#include "ui/Screenshots.h"

#include <QAction>
#include <QImage>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

namespace {

// Block 30 as the box holds it: type, length, then the data bytes.
QByteArray captureBlock(quint8 type, const QByteArray &data)
{
    QByteArray block(62, '\0');
    block[0] = char(type);
    block[1] = char(data.size());
    block.replace(2, data.size(), data);
    return block;
}

} // namespace

// View > Decoded... against the simulated box: the window it opens, each page following its
// source, the words for bytes that do not parse, and the tooltips of the packet text boxes.
class TestDecodedView : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;
    Ui::ZelvarinForm *ui = nullptr;

    DecodedView *open()
    {
        h->window().findChild<QAction *>(QStringLiteral("actionDecoded"))->trigger();
        return h->window().findChild<DecodedView *>();
    }

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<WindowHarness>();
        h->create();
        ui = WindowTestAccess::form(h->window());
    }
    void cleanup() { h.reset(); }

    void opensFromTheMenuAsItsOwnWindow();
    void pagesFollowTheTextBoxes_data();
    void pagesFollowTheTextBoxes();
    void edidPageFollowsALoadedTable();
    void capturePageFollowsTheStatusTick();
    void toolTipsFollowTheText_data();
    void toolTipsFollowTheText();
    void shippedTextsReadAsZelvarinctlReadsThem_data();
    void shippedTextsReadAsZelvarinctlReadsThem();
    void screenshotOfTheView();
};

void TestDecodedView::opensFromTheMenuAsItsOwnWindow()
{
    MainWindow &w = h->window();
    auto *action = w.findChild<QAction *>(QStringLiteral("actionDecoded"));
    QVERIFY(action);
    QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    QVERIFY(!w.findChild<DecodedView *>()); // made on first use only

    DecodedView *view = open();
    QVERIFY(view);
    QVERIFY(view->isWindow());
    QVERIFY(view->isVisible());
    QVERIFY(!view->isModal());
    QCOMPARE(view->parent(), &w);
    QCOMPARE(view->tabs()->count(), int(DecodedView::PAGE_COUNT));

    // Closing hides it; the menu shows the same window again.
    view->close();
    QVERIFY(!view->isVisible());
    QCOMPARE(open(), view);
    QVERIFY(view->isVisible());
    QCOMPARE(w.findChildren<DecodedView *>().size(), 1);
}

void TestDecodedView::pagesFollowTheTextBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    const int hdr = DecodedView::HdrPage, avi = DecodedView::AviPage, cec = DecodedView::CecPage;
    QTest::newRow("HDR, PQ") << "IFtext" << hdr << "02 00"
                             << "EOTF: SMPTE ST 2084 (PQ)";
    QTest::newRow("HDR, HLG") << "IFtext" << hdr << "03:00"
                              << "EOTF: HLG";
    QTest::newRow("HDR, garbage") << "IFtext" << hdr << "02 zz"
                                  << "Not an InfoFrame: ";
    QTest::newRow("AVI") << "AVItext" << avi << "40 00 00 00 00 00 00 00 00 00 00 00 00"
                         << "AVI InfoFrame, payload of 13 bytes";
    QTest::newRow("AVI, garbage") << "AVItext" << avi << "4g"
                                  << "Not an InfoFrame: ";
    QTest::newRow("CEC") << "CECtext" << cec << "40:04"
                         << "Playback 1 to TV: Image View On";
    QTest::newRow("CEC, garbage") << "CECtext" << cec << "40:0x"
                                  << "Not a CEC message: ";
    QTest::newRow("CEC, emptied") << "CECtext" << cec << ""
                                  << "Nothing to decode";
}

// Typing into a box changes its page at once, whatever the page showed before.
void TestDecodedView::pagesFollowTheTextBoxes()
{
    QFETCH(QString, box);
    QFETCH(int, page);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    DecodedView *view = open();
    auto *edit = h->window().findChild<QTextEdit *>(box);
    edit->setPlainText(QStringLiteral("01"));
    const QString before = view->pageText(DecodedView::Page(page));
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->toPlainText(), typed);

    const QString text = view->pageText(DecodedView::Page(page));
    QVERIFY2(text.contains(expected), qPrintable(text));
    QVERIFY(text != before);
}

void TestDecodedView::edidPageFollowsALoadedTable()
{
    DecodedView *view = open();
    WindowTestAccess::showEdidImage(h->window(), h->box.tvEdid(0));
    const QString table = view->pageText(DecodedView::EdidPage);
    QVERIFY2(table.contains(QLatin1String("Block 0 checksum: good")), qPrintable(table));

    ui->EDIDtext->setPlainText(QStringLiteral("12 34 56 78 9A BC DE F0"));
    QCOMPARE(view->pageText(DecodedView::EdidPage),
        QStringLiteral(
            "Not an EDID table: it does not start with the header 00 FF FF FF FF FF FF 00."));
    ui->EDIDtext->setPlainText(QStringLiteral("00 FF FF FF FF FF FF 0O"));
    QVERIFY(view->pageText(DecodedView::EdidPage)
                .startsWith(QLatin1String("Not an EDID table: the hex bytes stop making sense at "
                                          "character 23 ('O').")));
}

// The captured InfoFrame is the box's: the view shows what the last tick read, as soon as it
// opens, and each tick after that.
void TestDecodedView::capturePageFollowsTheStatusTick()
{
    h->tick();
    DecodedView *view = open();
    QVERIFY(view->pageText(DecodedView::CapturedPage)
                .startsWith(QLatin1String("Dynamic Range and Mastering InfoFrame, captured")));
    QVERIFY(view->pageText(DecodedView::CapturedPage).contains(QLatin1String("PQ")));

    QByteArray hlg(26, '\0');
    hlg[0] = 3;
    h->box.block(30) = captureBlock(0x87, hlg);
    h->tick();
    QVERIFY(view->pageText(DecodedView::CapturedPage)
                .contains(QLatin1String("captured, length 26\n  EOTF: HLG")));

    h->box.block(30) = captureBlock(0x00, {});
    h->tick();
    QCOMPARE(view->pageText(DecodedView::CapturedPage),
        QStringLiteral("The source sends no HDR InfoFrame."));
}

void TestDecodedView::toolTipsFollowTheText_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("CEC") << "CECtext"
                         << "4f:82:10:00"
                         << "Playback 1 to Broadcast: Active Source (1.0.0.0)";
    QTest::newRow("CEC, garbage") << "CECtext"
                                  << "4f:8g"
                                  << "Not a CEC message";
    QTest::newRow("HDR") << "IFtext"
                         << "02:00"
                         << "Dynamic Range and Mastering InfoFrame, payload of 2 bytes; "
                            "EOTF: SMPTE ST 2084 (PQ)";
    QTest::newRow("AVI") << "AVItext"
                         << "40"
                         << "AVI InfoFrame, payload of 1 bytes";
    QTest::newRow("AVI, emptied") << "AVItext"
                                  << ""
                                  << "";
}

void TestDecodedView::toolTipsFollowTheText()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    // The tooltips need no decoded window.
    auto *edit = h->window().findChild<QTextEdit *>(box);
    edit->setPlainText(QStringLiteral("zz"));
    QVERIFY(!edit->toolTip().isEmpty());
    edit->clear();
    QTest::keyClicks(edit, typed);
    if (expected.isEmpty())
        QCOMPARE(edit->toolTip(), QString());
    else
        QVERIFY2(edit->toolTip().startsWith(expected), qPrintable(edit->toolTip()));
}

void TestDecodedView::shippedTextsReadAsZelvarinctlReadsThem_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("page"); // -1: the box has a tooltip only
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("meaning");

    const QStringList hdr { "infoframe", "decode", "--type", "hdr" };
    QTest::newRow("CEC command") << "CECtext" << int(DecodedView::CecPage)
                                 << QStringList { "cec", "decode" } << "Image View On";
    QTest::newRow("custom HDR InfoFrame, header and checksum")
        << "IFtext" << int(DecodedView::HdrPage) << hdr << "EOTF: SMPTE ST 2084 (PQ)";
    QTest::newRow("custom AVI InfoFrame, data bytes")
        << "AVItext" << int(DecodedView::AviPage)
        << QStringList { "infoframe", "decode", "--type", "avi" } << "VIC 97: 3840x2160p";
    QTest::newRow("captured HDR InfoFrame, data bytes")
        << "txtHdrIf" << -1 << hdr << "EOTF: SMPTE ST 2084 (PQ)";
}

// What the window shows in its packet text boxes once connected (the box's stored InfoFrames, the
// default CEC command, the capture of the first tick) means in the decoded view and the tooltips
// what zelvarinctl says it means, and none of it is reserved or a warning.
void TestDecodedView::shippedTextsReadAsZelvarinctlReadsThem()
{
    QFETCH(QString, box);
    QFETCH(int, page);
    QFETCH(QStringList, command);
    QFETCH(QString, meaning);
    h->tick();
    DecodedView *view = open();
    auto *edit = h->window().findChild<QTextEdit *>(box);
    const QString text = edit->toPlainText();
    QVERIFY(!text.isEmpty());

    QTemporaryDir dir;
    const CliRun cli = runZelvarinctl(dir.path(), command << text);
    QCOMPARE(cli.exitCode, 0);
    const QStringList lines = QString::fromUtf8(cli.out).trimmed().split(QLatin1Char('\n'));
    const QString all = lines.join(QLatin1Char('\n'));
    QVERIFY2(all.contains(meaning), qPrintable(all));
    for (const char *wrong : { "reserved", "Warning", "bad" })
        QVERIFY2(!all.contains(QLatin1String(wrong)), qPrintable(all));

    if (page >= 0)
        QCOMPARE(view->pageText(DecodedView::Page(page)), all);
    QVERIFY2(edit->toolTip().startsWith(lines.first()), qPrintable(edit->toolTip()));
}

void TestDecodedView::screenshotOfTheView()
{
    h->tick();
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("shot"));
    QVERIFY(saveDecodedPicture(h->window(), prefix));
    const QImage picture(prefix + QStringLiteral("-decoded.png"));
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), h->window().findChild<DecodedView *>()->size());
}

QTEST_MAIN(TestDecodedView)
#include "tst_decoded_view.moc"
