// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// EDID > Edit... against the simulated box: an edit in the tree changes the copy, its decoded
// text and checksums at once, the EDID text box (and View > Decoded) only on OK, and undo takes
// it back; refusals say why and change nothing.
#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTestAccess.h"
#include "ui/DecodedView.h"
#include "ui/EdidEditTree.h"
#include "ui/EdidEditWindow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QUndoStack>
#include <QtTest>

class TestEdidEditWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;
    Ui::ZelvarinForm *ui = nullptr;
    EdidImage original {};

    EdidEditWindow *open()
    {
        h->window().findChild<QAction *>(QStringLiteral("actionEdidEdit"))->trigger();
        return h->window().findChild<EdidEditWindow *>();
    }
    EdidImage textBox()
    {
        EdidImage image {};
        WindowTestAccess::parseEdidText(h->window(), image);
        return image;
    }
    static QTreeWidgetItem *field(EdidEditWindow *w, const char *path)
    {
        QTreeWidgetItem *item = EdidEditTree::find(w->tree(), QLatin1String(path));
        if (!item)
            qWarning("no field %s", path);
        return item;
    }

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<WindowHarness>();
        h->create();
        ui = WindowTestAccess::form(h->window());
        original = h->box.tvEdid(0);
        WindowTestAccess::showEdidImage(h->window(), original);
    }
    void cleanup() { h.reset(); }

    void editInTheTreeThenOk();
    void cancelLeavesTheTextBox();
    void checkBoxesAndContextMenu();
    void refusalsSayWhy();
    void nothingToEdit();
};

void TestEdidEditWindow::editInTheTreeThenOk()
{
    auto *action = h->window().findChild<QAction *>(QStringLiteral("actionEdidEdit"));
    QVERIFY(action);
    QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    h->window().findChild<QAction *>(QStringLiteral("actionDecoded"))->trigger();
    auto *decoded = h->window().findChild<DecodedView *>();
    EdidEditWindow *w = open();
    QVERIFY(w);
    QVERIFY(w->isWindow() && w->isVisible());
    QCOMPARE(w->parent(), &h->window());
    QVERIFY(w->decodedText().contains(QLatin1String("Display name: OnePlus TV")));

    QTreeWidgetItem *name = field(w, "Block 0/Display name");
    QVERIFY(name && EdidEditTree::isEditable(name));
    name->setText(EdidEditTree::ValueColumn, QStringLiteral("Den"));
    QVERIFY2(w->decodedText().contains(QLatin1String("Display name: Den")),
        qPrintable(w->decodedText()));
    QVERIFY(w->checksumText().startsWith(QLatin1String("block 0 checksum")));
    QVERIFY(!w->checksumText().contains(QLatin1String("bad")));
    QCOMPARE(w->undoStack()->count(), 1);
    QCOMPARE(w->undoStack()->undoText(), QStringLiteral("--name Den"));
    // Until OK the text box and the decoded view keep the table they had.
    QCOMPARE(textBox(), original);
    QVERIFY(decoded->pageText(DecodedView::EdidPage)
                .contains(QLatin1String("Display name: OnePlus TV")));

    w->undoStack()->undo();
    QVERIFY(w->decodedText().contains(QLatin1String("Display name: OnePlus TV")));
    QCOMPARE(w->table(), QByteArray(reinterpret_cast<const char *>(original.data()), EDID_SIZE));
    w->undoStack()->redo();
    QVERIFY(w->decodedText().contains(QLatin1String("Display name: Den")));
    QCoreApplication::processEvents(); // the tree is filled anew after the edit
    QCOMPARE(
        field(w, "Block 0/Display name")->text(EdidEditTree::ValueColumn), QStringLiteral("Den"));

    w->accept();
    const EdidImage edited = textBox();
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(edited.data()), EDID_SIZE), w->table());
    QVERIFY(decoded->pageText(DecodedView::EdidPage).contains(QLatin1String("Display name: Den")));
    QVERIFY(
        decoded->pageText(DecodedView::EdidPage).contains(QLatin1String("Block 0 checksum: good")));
    QCOMPARE(h->statusMessage(), QStringLiteral("EDID edited"));
}

void TestEdidEditWindow::cancelLeavesTheTextBox()
{
    EdidEditWindow *w = open();
    QVERIFY(w->applyWords(QStringLiteral("--remove-hdr"), QString()));
    QVERIFY(!w->decodedText().contains(QLatin1String("HDR static metadata")));
    w->reject();
    QCOMPARE(textBox(), original);
    // Closed, it is gone; the menu opens a fresh copy.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!h->window().findChild<EdidEditWindow *>());
    EdidEditWindow *again = open();
    QVERIFY(again->decodedText().contains(QLatin1String("HDR static metadata")));
    QCOMPARE(again->undoStack()->count(), 0);
}

void TestEdidEditWindow::checkBoxesAndContextMenu()
{
    EdidEditWindow *w = open();
    QTreeWidgetItem *ycbcr = field(w, "Block 1/YCbCr 4:4:4");
    QVERIFY(ycbcr && EdidEditTree::isCheckable(ycbcr));
    ycbcr->setCheckState(EdidEditTree::ValueColumn, Qt::Unchecked);
    QVERIFY(w->decodedText().contains(QLatin1String("YCbCr 4:4:4 no")));

    // The EOTF boxes name the whole set: ticking HLG keeps SDR and PQ.
    QCoreApplication::processEvents();
    field(w, "Block 1/HDR static metadata/EOTF hlg")
        ->setCheckState(EdidEditTree::ValueColumn, Qt::Checked);
    QVERIFY2(w->decodedText().contains(
                 QLatin1String("HDR static metadata: SDR, SMPTE ST 2084 (PQ), HLG")),
        qPrintable(w->decodedText()));

    // A VIC's context menu removes it; the 4:2:0 map follows.
    QCoreApplication::processEvents();
    QTreeWidgetItem *vic = field(w, "Block 1/Video/VIC 97");
    QVERIFY(vic);
    const QVector<EdidEditTree::Action> actions = EdidEditTree::actionsFor(vic);
    QVERIFY(!actions.isEmpty());
    QCOMPARE(actions.first().label, QStringLiteral("Remove VIC 97"));
    QVERIFY(w->applyWords(actions.first().words.option, actions.first().words.value));
    QVERIFY(!w->decodedText().contains(QLatin1String("VIC 97:")));
    QVERIFY(!w->decodedText().contains(QLatin1String(" 97 (3840x2160p 60 Hz")));
    QCoreApplication::processEvents();
    QVERIFY(!EdidEditTree::find(w->tree(), QStringLiteral("Block 1/Video/VIC 97")));
    QCOMPARE(w->undoStack()->count(), 3);
    while (w->undoStack()->canUndo())
        w->undoStack()->undo();
    QCOMPARE(w->table(), QByteArray(reinterpret_cast<const char *>(original.data()), EDID_SIZE));
}

void TestEdidEditWindow::refusalsSayWhy()
{
    EdidEditWindow *w = open();
    const QByteArray before = w->table();
    auto *words = w->findChild<QLineEdit *>(QStringLiteral("edidEditWords"));
    words->setFocus();
    QTest::keyClicks(words, QStringLiteral("--add-vic 97"));
    QTest::keyClick(words, Qt::Key_Return);
    QVERIFY2(w->message().contains(QLatin1String("already listed")), qPrintable(w->message()));
    QCOMPARE(words->text(), QStringLiteral("--add-vic 97")); // kept, to be corrected
    QCOMPARE(w->table(), before);
    QCOMPARE(w->undoStack()->count(), 0);

    // A typed value that does not fit: the field shows the table's value again.
    QTreeWidgetItem *year = field(w, "Block 0/Year");
    const QString was = year->text(EdidEditTree::ValueColumn);
    year->setText(EdidEditTree::ValueColumn, QStringLiteral("1889"));
    QVERIFY(w->message().contains(QLatin1String("1990 to 2245")));
    QCoreApplication::processEvents();
    QCOMPARE(field(w, "Block 0/Year")->text(EdidEditTree::ValueColumn), was);
    QCOMPARE(w->table(), before);

    // The next edit that is made clears the message.
    words->clear();
    QTest::keyClicks(words, QStringLiteral("--physical-address=2.0.0.0"));
    QTest::keyClick(words, Qt::Key_Return);
    QVERIFY(w->message().isEmpty());
    QVERIFY(words->text().isEmpty());
    QVERIFY(w->decodedText().contains(QLatin1String("physical address 2.0.0.0")));
}

void TestEdidEditWindow::nothingToEdit()
{
    ui->EDIDtext->setPlainText(QStringLiteral("12345"));
    QVERIFY(!open());
    ui->EDIDtext->setPlainText(QStringLiteral("01 02 03"));
    QVERIFY(!open());
    QCOMPARE(h->dialogs.texts(QStringLiteral("warning")),
        (QStringList { QStringLiteral("Hex Format Error"),
            QStringLiteral("The EDID text box holds no EDID table to edit: load one or read one "
                           "from the box first.") }));
}

QTEST_MAIN(TestEdidEditWindow)
#include "tst_edid_edit_window.moc"
