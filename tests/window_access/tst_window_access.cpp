// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window for users the form alone leaves out: keyboard and screen-reader users, dark colour
// schemes, short screens; and the help texts it carries.

#include "EdidText.h"
#include "HelpMenu.h"
#include "MainWindow.h"
#include "ScreenFit.h"
#include "TextColours.h"
#include "WindowHarness.h"
#include "WindowTestAccess.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
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
    void menusAndShortcuts_data();
    void menusAndShortcuts();
    void helpTexts();
    void scdocToText_data();
    void scdocToText();
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
}

void TestWindowAccess::scdocToText()
{
    QFETCH(QString, source);
    QFETCH(QString, text);
    QCOMPARE(HelpMenu::plainTextFromScdoc(source), text);
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
    // Blue stays blue, so that text from a file still looks different from text from the box.
    if (marking.hslSaturation() > 0)
        QCOMPARE(colour.hslHue(), marking.hslHue());
}

void TestWindowAccess::loadedTextReadableUnderDarkScheme()
{
    WindowHarness h;
    MainWindow &w = h.create();
    QTextEdit *edid = WindowTestAccess::form(w)->EDIDtext;
    edid->setPalette(kDark);
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

    QTextCursor cursor(edid->document());
    cursor.setPosition(10);
    const QColor colour = cursor.charFormat().foreground().color();
    QVERIFY(TextColours::contrast(colour, kDark.color(QPalette::Base))
        >= TextColours::MINIMUM_CONTRAST);
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
