// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window for users the form alone leaves out: keyboard and screen-reader users, dark colour
// schemes, short screens; and the help texts it carries.

#include "edid/EdidText.h"
#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTestAccess.h"
#include "ui/Dialogs.h"
#include "ui/HelpMenu.h"
#include "ui/MainWindow.h"
#include "ui/ScreenFit.h"
#include "ui/TextColours.h"

#include <QAccessible>
#include <QAction>
#include <QButtonGroup>
#include <QDialog>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

QPalette scheme(
    const QColor &window, const QColor &text, const QColor &base, const QColor &baseText)
{
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::Text, baseText);
    return p;
}

const QPalette kLight = scheme(QColor(0xef, 0xef, 0xef), Qt::black, Qt::white, Qt::black);
const QPalette kDark = scheme(QColor(0x35, 0x35, 0x35), QColor(0xee, 0xee, 0xee),
    QColor(0x2a, 0x2a, 0x2a), QColor(0xee, 0xee, 0xee));
// A dark scheme whose own text colour is too dim on its text background.
const QPalette kDimDark = scheme(QColor(0x20, 0x20, 0x20), QColor(0x90, 0x90, 0x90),
    QColor(0x40, 0x40, 0x40), QColor(0x60, 0x60, 0x60));

// The controls a keyboard user lands on: they take focus by Tab and hand it to no other widget.
QList<QWidget *> focusStops(QWidget *root)
{
    QList<QWidget *> out;
    const QList<QWidget *> all = root->findChildren<QWidget *>();
    for (QWidget *w : all) {
        // Combo box lists are pop-up windows of their own.
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->window() == root->window())
            out << w;
    }
    return out;
}

// Tab stops at the checked button of an exclusive group, and the arrow keys choose within it.
bool groupReached(QWidget *control, const QSet<QWidget *> &reached)
{
    auto *button = qobject_cast<QAbstractButton *>(control);
    if (!button || !button->group() || !button->group()->exclusive())
        return false;
    const QList<QAbstractButton *> members = button->group()->buttons();
    return std::any_of(members.begin(), members.end(),
        [&reached](QAbstractButton *b) { return reached.contains(b); });
}

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

} // namespace

class TestWindowAccess : public QObject
{
    Q_OBJECT

private slots:
    void init() { QApplication::setQuitOnLastWindowClosed(false); }

    void everyControlHasItsOwnName();
    void tabReachesEveryControl_data();
    void tabReachesEveryControl();
    void capturedInfoFrameIsReadOnly();
    void menusAndShortcuts_data();
    void menusAndShortcuts();
    void menuEntriesShareOneFont();
    void helpTexts();
    void scdocToText_data();
    void scdocToText();
    void textWrapsToItsWindow();
    void textColours_data();
    void textColours();
    void loadedTextReadableUnderDarkScheme();
    void shortScreenScrolls();
    void tallScreenKeepsTheForm();
};

void TestWindowAccess::everyControlHasItsOwnName()
{
    WindowHarness h;
    MainWindow &w = h.create();

    QStringList problems;
    QHash<QString, QString> owner;
    const QList<QWidget *> stops = focusStops(w.centralWidget());
    QVERIFY(stops.size() > 40);
    for (QWidget *control : stops) {
        const QString name = accessibleName(control).trimmed();
        if (name.isEmpty())
            problems << QStringLiteral("%1 (%2 in %3) has no name")
                            .arg(control->objectName(),
                                QLatin1String(control->metaObject()->className()),
                                control->parentWidget()->objectName());
        else if (owner.contains(name))
            problems << QStringLiteral("%1 and %2 are both \"%3\"")
                            .arg(owner.value(name), control->objectName(), name);
        owner.insert(name, control->objectName());
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

// Tab alone, forwards, reaches every control of the header and of each tab page, and leaves every
// text box without typing into it.
void TestWindowAccess::tabReachesEveryControl_data()
{
    QTest::addColumn<bool>("shortScreen");
    QTest::newRow("the window fits the screen") << false;
    QTest::newRow("the form scrolls on a short screen") << true;
}

void TestWindowAccess::tabReachesEveryControl()
{
    QFETCH(bool, shortScreen);
    WindowHarness h;
    MainWindow &w = h.create();
    Ui::ZelvarinForm *ui = WindowTestAccess::form(w);
    ui->EDIDtext->setEnabled(true); // as in custom EDID mode
    if (shortScreen)
        QVERIFY(ScreenFit::fitInto(w, QRect(0, 0, 1366, 640)));
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QList<QTextEdit *> textBoxes = w.centralWidget()->findChildren<QTextEdit *>();
    QCOMPARE(textBoxes.size(), 5);

    const QList<QWidget *> stops = focusStops(w.centralWidget());
    QStringList problems;
    for (int page = 0; page < ui->tabWidget->count(); ++page) {
        ui->tabWidget->setCurrentIndex(page);
        QHash<QTextEdit *, QString> texts;
        for (QTextEdit *box : textBoxes)
            texts.insert(box, box->toPlainText());
        ui->tabWidget->tabBar()->setFocus(Qt::TabFocusReason);
        QSet<QWidget *> reached;
        for (int press = 0; press < 100; ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget();
        }
        for (QWidget *control : stops) {
            if (control->isVisibleTo(&w) && control->isEnabled() && !reached.contains(control)
                && !groupReached(control, reached))
                problems << QStringLiteral("%1 on page %2").arg(control->objectName()).arg(page);
        }
        for (QTextEdit *box : textBoxes) {
            if (box->toPlainText() != texts.value(box))
                problems << QStringLiteral("%1 typed into").arg(box->objectName());
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));

    // The controls the form's own order leaves out come after its last stop, not in its midst.
    QStringList appended;
    for (QWidget *c = ui->enableAVR->nextInFocusChain(); c != ui->autoSwEn;
         c = c->nextInFocusChain()) {
        if (stops.contains(c))
            appended << c->objectName();
    }
    QCOMPARE(appended,
        (QStringList { "cmbInputSel", "cbAviPersistent", "txtHdrIf", "bHdrRepurpEn",
            "bHdrRepurpDis", "cmbEdidAlgo", "cbClearEdid" }));
}

// The captured HDR InfoFrame is the box's: typing does not change it, it can still be selected
// and copied by keyboard, and it looks like the text boxes beside it.
void TestWindowAccess::capturedInfoFrameIsReadOnly()
{
    WindowHarness h;
    MainWindow &w = h.create();
    Ui::ZelvarinForm *ui = WindowTestAccess::form(w);
    ui->tabWidget->setCurrentWidget(ui->tab_2);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QString captured = ui->txtHdrIf->toPlainText();
    QVERIFY(!captured.isEmpty());

    ui->txtHdrIf->setFocus();
    QTest::keyClicks(ui->txtHdrIf, QStringLiteral("ab"));
    QTest::keyClick(ui->txtHdrIf, Qt::Key_Backspace);
    QTest::keyClick(ui->txtHdrIf, Qt::Key_Delete);
    QCOMPARE(ui->txtHdrIf->toPlainText(), captured);
    QTest::keyClick(ui->txtHdrIf, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(ui->txtHdrIf->textCursor().selectedText(), captured);

    // The same background as the custom InfoFrame's box, which takes typing.
    ui->IFtext->clear();
    ui->txtHdrIf->clear();
    const QImage typed = ui->IFtext->viewport()->grab().toImage();
    const QImage shown = ui->txtHdrIf->viewport()->grab().toImage();
    QCOMPARE(shown.pixelColor(shown.rect().center()), typed.pixelColor(typed.rect().center()));
}

void TestWindowAccess::menusAndShortcuts_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    // From the CEC tab: the EDID buttons' shortcuts bring their tab forward.
    QTest::newRow("Ctrl+O loads") << QKeySequence(Qt::CTRL | Qt::Key_O) << "open" << QString();
    QTest::newRow("Ctrl+S saves") << QKeySequence(Qt::CTRL | Qt::Key_S) << "save" << QString();
    QTest::newRow("F1 helps") << QKeySequence(Qt::Key_F1) << "text"
                              << "ZELVARIN Utility Help";
}

void TestWindowAccess::menusAndShortcuts()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, kind);
    QFETCH(QString, title);
    WindowHarness h;
    MainWindow &w = h.create();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *tabs = w.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    tabs->setCurrentIndex(1);
    h.dialogs.clear();

    QTest::keySequence(&w, keys);

    QCOMPARE(h.dialogs.shown.size(), 1);
    QCOMPARE(h.dialogs.shown.first().kind, kind);
    if (!title.isEmpty())
        QCOMPARE(h.dialogs.shown.first().title, title);
    if (kind != QLatin1String("text"))
        QCOMPARE(tabs->currentIndex(), 0);

    // Menus: mnemonics that draw as the form's texts, Help's entries around About, Exit on Ctrl+Q.
    const QList<QAction *> bar = w.menuBar()->actions();
    QCOMPARE(bar.size(), 4);
    QCOMPARE(bar[0]->text(), QStringLiteral("&File"));
    QCOMPARE(bar[1]->text(), QStringLiteral("&View"));
    QCOMPARE(bar[2]->text(), QStringLiteral("&EDID"));
    QCOMPARE(bar[3]->text(), QStringLiteral("&Help"));
    QStringList help;
    for (QAction *a : bar[3]->menu()->actions())
        help << a->objectName();
    QCOMPARE(help, (QStringList { "actionHelp", "actionAbout", "actionThirdPartyNotices" }));
    QCOMPARE(w.findChild<QAction *>(QStringLiteral("actionExit"))->shortcut(),
        QKeySequence(Qt::CTRL | Qt::Key_Q));
}

// Every menu draws its entries in one font: the form's entries and those added beside them.
void TestWindowAccess::menuEntriesShareOneFont()
{
    WindowHarness h;
    MainWindow &w = h.create();
    QStringList problems;
    for (QAction *title : w.menuBar()->actions()) {
        QMenu *menu = title->menu();
        QVERIFY(menu);
        QSet<qreal> sizes;
        QStringList entries;
        for (QAction *entry : menu->actions()) {
            if (entry->isSeparator())
                continue;
            const qreal size = entry->font().resolve(menu->font()).pointSizeF();
            sizes << size;
            entries << QStringLiteral("%1 %2pt").arg(entry->objectName()).arg(size);
        }
        if (sizes.size() != 1)
            problems << menu->objectName() + QStringLiteral(": ")
                    + entries.join(QStringLiteral(", "));
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

void TestWindowAccess::helpTexts()
{
    WindowHarness h;
    MainWindow &w = h.create();
    h.dialogs.clear();

    w.findChild<QAction *>(QStringLiteral("actionHelp"))->trigger();
    w.findChild<QAction *>(QStringLiteral("actionThirdPartyNotices"))->trigger();

    QCOMPARE(h.dialogs.texts(QStringLiteral("text")).size(), 2);
    const ScriptedDialogs::Shown manual = h.dialogs.shown.at(0);
    QVERIFY(manual.hasParent);
    for (const char *part :
        { "zelvarin - configure", "OPTIONS", "--simulate", "--trace", "EXIT STATUS" })
        QVERIFY2(manual.text.contains(QLatin1String(part)), part);
    for (const char *markup : { "*--", "; SPDX", "_FILE_", "# OPTIONS" })
        QVERIFY2(!manual.text.contains(QLatin1String(markup)), markup);

    const ScriptedDialogs::Shown notices = h.dialogs.shown.at(1);
    QCOMPARE(notices.title, QStringLiteral("Third-Party Notices"));
    for (const char *part : { "linuxhw", "CC BY 4.0", "sim/edid" })
        QVERIFY2(notices.text.contains(QLatin1String(part)), part);
}

void TestWindowAccess::scdocToText_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("text");
    QTest::newRow("heading") << "# EXIT STATUS"
                             << "EXIT STATUS";
    QTest::newRow("bold and underline") << "*--trace*[=_FILE_] writes _FILE_"
                                        << "--trace[=FILE] writes FILE";
    QTest::newRow("underscores inside words stay") << "a snake_case_name"
                                                   << "a snake_case_name";
    QTest::newRow("comments go, blank runs shrink") << "zelvarin(1)\n\n; SPDX\n; more\n\n# NAME"
                                                    << "zelvarin(1)\n\nNAME";
    QTest::newRow("tabs indent") << "*-h*\n\tPrint"
                                 << "-h\n    Print";
    QTest::newRow("a paragraph is one line") << "Lets the user\nopen the box.\n\nAnother."
                                             << "Lets the user open the box.\n\nAnother.";
    QTest::newRow("an indented paragraph is one line, after its term")
        << "*--trace*\n\tLog every\n\trequest.\n*--simulate*"
        << "--trace\n    Log every request.\n--simulate";
    QTest::newRow("a heading stands alone, a comment splits no paragraph")
        << "# NAME\nzelvarin -\n; SPDX\nconfigure"
        << "NAME\nzelvarin - configure";
}

void TestWindowAccess::scdocToText()
{
    QFETCH(QString, source);
    QFETCH(QString, text);
    QCOMPARE(HelpMenu::plainTextFromScdoc(source), text);
}

// Help > Help in the real dialog: it fits the screen, and at any width its text wraps, paragraph
// by paragraph, with nothing to scroll sideways.
void TestWindowAccess::textWrapsToItsWindow()
{
    WindowHarness h;
    MainWindow &w = h.create();
    h.dialogs.clear();
    w.findChild<QAction *>(QStringLiteral("actionHelp"))->trigger();
    const QString manual = h.dialogs.shown.at(0).text;

    WidgetDialogs dialogs;
    QStringList problems;
    QTimer::singleShot(0, &w, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        auto *view = dialog ? dialog->findChild<QAbstractScrollArea *>() : nullptr;
        if (!view) {
            problems << QStringLiteral("no text view");
            return;
        }
        const QSize screen = w.screen()->availableGeometry().size();
        if (dialog->width() > screen.width() || dialog->height() > screen.height())
            problems << QStringLiteral("wider or taller than the screen");
        for (int width : { dialog->width(), 420 }) {
            dialog->resize(width, dialog->height());
            QCoreApplication::processEvents();
            if (view->horizontalScrollBar()->maximum() > 0)
                problems << QStringLiteral("scrolls sideways at %1 pixels").arg(width);
        }
        auto *text = qobject_cast<QTextEdit *>(view);
        if (text && text->toPlainText().count(QLatin1Char('\n')) != manual.count(QLatin1Char('\n')))
            problems << QStringLiteral("not one block per line");
        dialog->reject();
    });
    dialogs.showText(&w, QStringLiteral("ZELVARIN Utility Help"), manual);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

void TestWindowAccess::textColours_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<QColor>("marking");
    QTest::addColumn<bool>("unchanged");
    QTest::newRow("light, black") << kLight << QColor(Qt::black) << true;
    QTest::newRow("light, blue") << kLight << QColor(0, 0, 255) << true;
    QTest::newRow("dark, black") << kDark << QColor(Qt::black) << false;
    QTest::newRow("dark, blue") << kDark << QColor(0, 0, 255) << false;
    QTest::newRow("dim dark, black") << kDimDark << QColor(Qt::black) << false;
    QTest::newRow("dim dark, blue") << kDimDark << QColor(0, 0, 255) << false;
}

void TestWindowAccess::textColours()
{
    QFETCH(QPalette, palette);
    QFETCH(QColor, marking);
    QFETCH(bool, unchanged);
    const QColor colour = TextColours::forText(palette, marking);
    if (unchanged) {
        QCOMPARE(colour, marking);
        return;
    }
    const double ratio = TextColours::contrast(colour, palette.color(QPalette::Base));
    QVERIFY2(ratio >= TextColours::MINIMUM_CONTRAST, qPrintable(QString::number(ratio)));
    // Blue stays blue, so that text from a file still looks different from text from the box,
    // and reads as well as the scheme's own text.
    if (marking.hslSaturation() > 0) {
        QCOMPARE(colour.hslHue(), marking.hslHue());
        QVERIFY(ratio
            >= TextColours::contrast(palette.color(QPalette::Text), palette.color(QPalette::Base)));
    }
}

// Under a dark scheme a table loaded from a file reads as well as one read from the box, and is
// still told apart by its blue.
void TestWindowAccess::loadedTextReadableUnderDarkScheme()
{
    WindowHarness h;
    MainWindow &w = h.create();
    QTextEdit *edid = WindowTestAccess::form(w)->EDIDtext;
    edid->setPalette(kDark);
    const auto colourShown = [edid] {
        QTextCursor cursor(edid->document());
        cursor.setPosition(10);
        return cursor.charFormat().foreground().color();
    };
    QVERIFY(QMetaObject::invokeMethod(&w, "ReadEDID"));
    const QColor fromBox = colourShown();

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("t.txt"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        EdidImage table {};
        std::fill(table.begin() + 1, table.begin() + 7, quint8(0xFF)); // the EDID header
        f.write(EdidText::canonical(table).toLatin1());
    }
    h.dialogs.fileNames << file;
    QVERIFY(QMetaObject::invokeMethod(&w, "LoadEDIDfromFile"));
    const QColor fromFile = colourShown();

    const QColor base = kDark.color(QPalette::Base);
    QVERIFY2(TextColours::contrast(fromFile, base) >= TextColours::contrast(fromBox, base),
        qPrintable(QStringLiteral("%1 on %2 against %3")
                       .arg(fromFile.name(), base.name(), fromBox.name())));
    QCOMPARE(fromFile.hslHue(), QColor(Qt::blue).hslHue());
}

// On a 640-pixel screen every control can be scrolled into view and the status bar stays on it.
void TestWindowAccess::shortScreenScrolls()
{
    WindowHarness h;
    MainWindow &w = h.create();
    const QRect screen(0, 0, 1024, 640);
    QWidget *form = w.centralWidget();
    w.layout()->activate();
    const QSize formSize = form->size();

    QVERIFY(ScreenFit::fitInto(w, screen));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    auto *scroll = qobject_cast<QScrollArea *>(w.centralWidget());
    QVERIFY(scroll);
    QCOMPARE(scroll->widget(), form);
    QCOMPARE(form->size(), formSize);
    QVERIFY(w.frameGeometry().height() <= screen.height());
    QVERIFY(w.statusBar()->geometry().bottom() < w.height());

    auto *tabs = w.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QStringList unreachable;
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        for (QWidget *control : focusStops(form)) {
            if (!control->isVisibleTo(&w))
                continue;
            // Scrolled as far as its bottom edge needs (the scroll bar stops at its maximum):
            // the whole control must then be in view, not only its text cursor.
            const QRect inForm(control->mapTo(form, QPoint(0, 0)), control->size());
            scroll->verticalScrollBar()->setValue(
                std::max(0, inForm.bottom() + 1 - scroll->viewport()->height()));
            const QRect inViewport(
                control->mapTo(scroll->viewport(), QPoint(0, 0)), control->size());
            if (!scroll->viewport()->rect().contains(inViewport))
                unreachable << QStringLiteral("%1 at %2,%3 %4x%5 in %6x%7")
                                   .arg(control->objectName())
                                   .arg(inViewport.x())
                                   .arg(inViewport.y())
                                   .arg(inViewport.width())
                                   .arg(inViewport.height())
                                   .arg(scroll->viewport()->width())
                                   .arg(scroll->viewport()->height());
        }
    }
    QVERIFY2(unreachable.isEmpty(), qPrintable(unreachable.join(QLatin1Char(' '))));
}

void TestWindowAccess::tallScreenKeepsTheForm()
{
    WindowHarness h;
    MainWindow &w = h.create();
    QWidget *form = w.centralWidget();
    const QSize size = w.size();

    QVERIFY(!ScreenFit::fitInto(w, QRect(0, 0, 1920, 1080)));

    QCOMPARE(w.centralWidget(), form);
    QCOMPARE(w.size(), size);
}

QTEST_MAIN(TestWindowAccess)
#include "tst_window_access.moc"
