// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window shell: how the form is wired to the window's slots, the slot table as the meta-object
// sees it, the ways the window ends, About, the keyboard focus chain and the per-tab pictures.

#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTestAccess.h"
#include "ui/MainWindow.h"
#include "ui/Screenshots.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QMetaMethod>
#include <QProcess>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace {

// QObject::receivers() is protected; naming it through a derived class and calling it through a
// member pointer reads it from any object without a cast to a type the object isn't.
struct ReceiverCount : QObject
{
    static int of(const QObject *object, const char *signal)
    {
        int (QObject::*receivers)(const char *) const = &ReceiverCount::receivers;
        return (object->*receivers)(signal);
    }
};

struct Wire
{
    const char *sender;
    const char *signal; // as SIGNAL() spells it, with its code digit
    const char *slot; // as SLOT() spells it
};

// clang-format off
#define W(sender, sig, slot) {sender, SIGNAL(sig), SLOT(slot)}
// clang-format on
const Wire kWiring[] = {
    W("actionExit", triggered(), FileExit()),
    W("actionAbout", triggered(), FileAbout()),
    W("autoSwEn", clicked(), SetAutoSwitch()),
    W("audioHdmi", clicked(), SetAudioSource()),
    W("hdcp14", clicked(), SetHDCP_Version()),
    W("autoSwDis", clicked(), SetAutoSwitch()),
    W("audioJack", clicked(), SetAudioSource()),
    W("hdcp22", clicked(), SetHDCP_Version()),
    W("bPrioNorm", clicked(), setSwPriority()),
    W("pPrioForce", clicked(), setSwPriority()),
    W("ButReadEDID", released(), ReadEDID()),
    W("ButWriteEDID", pressed(), WriteEDID()),
    W("ButLoadEDID", released(), LoadEDIDfromFile()),
    W("ButSaveEDID", released(), SaveEDIDtoFile()),
    W("pbReadTvEdidA", released(), CalculateChkSum()),
    W("ButWriteCEC", released(), WriteCEC()),
    W("enable420", clicked(), SetOut_420()),
    W("disable420", clicked(), SetOut_420()),
    W("automixEDID", clicked(), SetEDID_Mode()),
    W("fixedEDID", clicked(), SetEDID_Mode()),
    W("customEDID", clicked(), SetEDID_Mode()),
    W("ButSaveCEC_1", released(), SaveCEC_1()),
    W("ButSaveCEC_2", released(), SaveCEC_2()),
    W("ButWriteIF", released(), WriteIF()),
    W("cb2cForce", stateChanged(int), force2c()),
    W("cb51", stateChanged(int), force51()),
    W("cbHdr", stateChanged(int), forceHdr()),
    W("cbFull", stateChanged(int), forceFullAudio()),
    W("cmBEdid", currentIndexChanged(int), changeCustomEdid()),
    W("ButWriteAVI", released(), sendAVI()),
    W("enableLed", clicked(), setLogoLed()),
    W("disableLed", clicked(), setLogoLed()),
    W("cbBt2020", stateChanged(int), setBt2020()),
    W("pbReset", clicked(), factoryReset()),
    W("enableBLed", clicked(), setBlueLed()),
    W("disableBLed", clicked(), setBlueLed()),
    W("cbYUV", stateChanged(int), setYUV()),
    W("cbCec", stateChanged(int), setCEC()),
    W("cmbLa", currentIndexChanged(int), setCecLa()),
    W("enableAVR", clicked(), setAVR()),
    W("disableAVR", clicked(), setAVR()),
    W("pbReadTvEdidA", pressed(), readTvEdidA()),
    W("pbReadTvEdidB", pressed(), readTvEdidB()),
    W("cb3D", stateChanged(int), set3D()),
    W("cmbEdidAlgo", currentIndexChanged(int), setEdidAlgo()),
    W("bHdrRepurpEn", clicked(), CecLpRepurp()),
    W("bHdrRepurpDis", clicked(), CecLpRepurp()),
    W("cmbInputSel", currentIndexChanged(int), SetActivePort()),
    W("cbAviPersistent", clicked(), setAviPers()),
    W("cbHdrForceMode", stateChanged(int), hdrForceActivate()),
    W("bSamHdr", clicked(), hdrSamsung()),
    W("bFullHdr", clicked(), hdrSamsung()),
};
#undef W

const char *const kChildModeVariable = "ZELVARIN_SHELL_CHILD";

// Child mode: a window on the simulated box whose File > Exit is chosen from inside the event loop.
// What the parent checks is printed: the window's destruction with the device state at that
// moment, the exit handlers, and whether the event loop ever returned.
int runExitChild()
{
    std::atexit([] {
        std::printf("exit handlers ran\n");
        std::fflush(stdout);
    });
    QApplication::setQuitOnLastWindowClosed(false);
    auto *harness = new WindowHarness; // left alive: the process ends inside the event loop
    MainWindow &window = harness->create();
    QObject::connect(&window, &QObject::destroyed, [harness] {
        std::printf("window destroyed, device open: %d\n", harness->link.isOpen() ? 1 : 0);
    });
    std::printf("device open before exit: %d\n", harness->link.isOpen() ? 1 : 0);
    QTimer::singleShot(
        0, [&window] { window.findChild<QAction *>(QStringLiteral("actionExit"))->trigger(); });
    const int code = QCoreApplication::exec();
    std::printf("event loop returned %d\n", code);
    return 3;
}

} // namespace

class TestWindowShell : public QObject
{
    Q_OBJECT

private slots:
    void init() { QApplication::setQuitOnLastWindowClosed(false); }

    void formWiring();
    void slotTable();
    void setEPStateByNameAndIndex();
    void closePath_data();
    void closePath();
    void endingOutsideTheLoop();
    void exitEndsTheProcess();
    void about();
    void tabChain();
    void tabPictures();
    void textsFitTheirPlaces();
    void enlargingKeepsPlaces();
};

// Each listed connection exists exactly once (disconnecting it drops one receiver), and once all
// are gone no sender of the list reaches the window through any signal: nothing is missing,
// doubled, bound to the wrong signal or wired to a second slot.
void TestWindowShell::formWiring()
{
    WindowHarness h;
    h.box.setDevices({});
    MainWindow &w = h.create();

    QSet<QObject *> senders;
    for (const Wire &wire : kWiring) {
        QObject *sender = w.findChild<QObject *>(QLatin1String(wire.sender));
        QVERIFY2(sender, wire.sender);
        senders.insert(sender);
        const int before = ReceiverCount::of(sender, wire.signal);
        QVERIFY2(QObject::disconnect(sender, wire.signal, &w, wire.slot),
            qPrintable(
                QStringLiteral("%1 %2 -> %3").arg(wire.sender, wire.signal + 1, wire.slot + 1)));
        QCOMPARE(before - ReceiverCount::of(sender, wire.signal), 1);
    }
    QCOMPARE(int(std::size(kWiring)), 52);
    for (QObject *sender : std::as_const(senders))
        QVERIFY2(
            !QObject::disconnect(sender, nullptr, &w, nullptr), qPrintable(sender->objectName()));

    // Beyond the form's wiring only the Help menu's new entries are connected: each once more than
    // About now has (the menu's own bookkeeping), and not to the window. Nothing else reaches it.
    const int aboutReceivers = ReceiverCount::of(
        w.findChild<QAction *>(QStringLiteral("actionAbout")), SIGNAL(triggered(bool)));
    for (const char *entry : { "actionHelp", "actionThirdPartyNotices" }) {
        auto *action = w.findChild<QAction *>(QLatin1String(entry));
        QVERIFY2(action, entry);
        QCOMPARE(ReceiverCount::of(action, SIGNAL(triggered(bool))), aboutReceivers + 1);
        QVERIFY2(!QObject::disconnect(action, nullptr, &w, nullptr), entry);
    }
    // The window's own menu additions reach it, each through one connection.
    for (const char *entry : { "actionConnect", "actionSaveSettings", "actionLoadSettings",
             "actionDecoded", "actionEdidEdit" }) {
        auto *action = w.findChild<QAction *>(QLatin1String(entry));
        QVERIFY2(action, entry);
        QVERIFY2(QObject::disconnect(action, nullptr, &w, nullptr), entry);
        QVERIFY2(!QObject::disconnect(action, nullptr, &w, nullptr), entry);
    }
    const QList<QObject *> others = w.findChildren<QObject *>();
    for (QObject *other : others)
        QVERIFY2(!QObject::disconnect(other, nullptr, &w, nullptr),
            qPrintable(QStringLiteral("%1 (%2)").arg(
                other->objectName(), QLatin1String(other->metaObject()->className()))));
}

void TestWindowShell::slotTable()
{
    const QStringList expected = { "on_ProgressChange(int,int)", "SaveEDIDtoFile()",
        "LoadEDIDfromFile()", "FileExit()", "FileAbout()", "ReadEDID()", "WriteEDID()",
        "WriteCEC()", "WriteIF()", "CalculateChkSum()", "SetActivePort()", "SetAutoSwitch()",
        "SetAudioSource()", "SetHDCP_Version()", "SetOut_420()", "SetEDID_Mode()", "SetEPState()",
        "SaveCEC_1()", "SaveCEC_2()", "force2c()", "force51()", "forceHdr()", "forceFullAudio()",
        "setSwPriority()", "changeCustomEdid()", "sendAVI()", "CecLpRepurp()", "hdrForceActivate()",
        "hdrSamsung()", "setLogoLed()", "setBt2020()", "setBlueLed()", "factoryReset()", "setYUV()",
        "setCEC()", "setCecLa()", "setAVR()", "readTvEdidA()", "readTvEdidB()", "set3D()",
        "setEdidAlgo()", "setAviPers()" };

    const QMetaObject &mo = MainWindow::staticMetaObject;
    QCOMPARE(mo.className(), "MainWindow");
    QCOMPARE(mo.superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(mo.methodCount() - mo.methodOffset(), int(expected.size()));
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaMethod m = mo.method(mo.methodOffset() + i);
        QCOMPARE(QString::fromLatin1(m.methodSignature()), expected[i]);
        QCOMPARE(m.methodType(), QMetaMethod::Slot);
        QCOMPARE(m.access(), i == 0 ? QMetaMethod::Public : QMetaMethod::Private);
        QCOMPARE(m.returnType(), i == 25 ? int(QMetaType::Bool) : int(QMetaType::Void));
    }

    WindowHarness h;
    h.box.setDevices({});
    MainWindow &w = h.create();
    QCOMPARE(w.qt_metacast("MainWindow"), static_cast<void *>(&w));
    QCOMPARE(w.qt_metacast("QMainWindow"), static_cast<void *>(static_cast<QMainWindow *>(&w)));
}

// SetEPState has no control; the meta-object is its only way in, by name or by index, and it sends
// the whole settings image as it stands.
void TestWindowShell::setEPStateByNameAndIndex()
{
    WindowHarness h;
    MainWindow &w = h.create();
    QVERIFY(WindowTestAccess::boxConnected(w));

    QString expected = QStringLiteral("10 28 E2");
    for (int i = 0; i < STATUS_BLOCK_LEN; ++i) {
        h.link.registerMirror[i] = quint8(0x40 + i);
        expected += QStringLiteral(" %1").arg(0x40 + i, 2, 16, QLatin1Char('0')).toUpper();
    }

    h.clearFrames();
    QVERIFY(QMetaObject::invokeMethod(&w, "SetEPState"));
    QCOMPARE(h.framesHex(), QStringList { expected });

    h.clearFrames();
    const QMetaObject *mo = w.metaObject();
    QVERIFY(mo->method(mo->methodOffset() + 16).invoke(&w));
    QCOMPARE(h.framesHex(), QStringList { expected });
}

void TestWindowShell::closePath_data()
{
    QTest::addColumn<bool>("boxPresent");
    QTest::newRow("box never found") << false;
    QTest::newRow("box open, timer running") << true;
}

// Closing stops the timer, closes the device, releases the form and ends the event loop with 0;
// the window object itself stays.
void TestWindowShell::closePath()
{
    QFETCH(bool, boxPresent);
    WindowHarness h;
    if (!boxPresent)
        h.box.setDevices({});
    MainWindow &w = h.create();
    QCOMPARE(h.link.isOpen(), boxPresent);
    QCOMPARE(WindowTestAccess::statusTimerRunning(w), boxPresent);
    h.box.clearCallLog();

    QTimer::singleShot(0, &w, [&w] { w.close(); });
    // A close that forgets to end the loop would otherwise hang the test.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(30000);
    QCOMPARE(QCoreApplication::exec(), 0);

    QVERIFY(!h.link.isOpen());
    // Through the service the box's handle is the service's, which keeps it open for its other
    // clients when the window closes; the window's own part is checked above and in the other row.
    if (boxPresent && WindowHarness::throughService())
        QSKIP("through the service, the service keeps the box open after the window closes");
    QVERIFY(!h.box.isOpen());
    QVERIFY(!WindowTestAccess::statusTimerRunning(w));
    QVERIFY(!WindowTestAccess::form(w));
    QVERIFY(w.findChild<QTabWidget *>(QStringLiteral("tabWidget")));
    if (!boxPresent) // nothing to close: the library is not called at all
        QVERIFY2(h.box.callLog().isEmpty(), qPrintable(h.box.callLog().join(", ")));
}

// Closing or destroying a window while no event loop runs must not leave Qt's quit request
// pending: the next local loop (a modal box, a wait in a test) would end before it began.
void TestWindowShell::endingOutsideTheLoop()
{
    {
        WindowHarness h;
        h.create().close();
    }
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&loop] { loop.exit(7); });
    QCOMPARE(loop.exec(), 7);
}

void TestWindowShell::exitEndsTheProcess()
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kChildModeVariable), QStringLiteral("exit"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());

    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QVERIFY2(out.contains("device open before exit: 1"), qPrintable(out));
    QVERIFY2(out.contains("window destroyed, device open: 0"), qPrintable(out));
    QVERIFY2(out.contains("exit handlers ran"), qPrintable(out));
    QVERIFY2(!out.contains("event loop returned"), qPrintable(out));
}

void TestWindowShell::about()
{
    WindowHarness h;
    h.box.setDevices({});
    MainWindow &w = h.create();
    h.dialogs.clear();

    w.findChild<QAction *>(QStringLiteral("actionAbout"))->trigger();

    QCOMPARE(h.dialogs.shown.size(), 1);
    const ScriptedDialogs::Shown &box = h.dialogs.shown.first();
    QCOMPARE(box.kind, QStringLiteral("about"));
    QCOMPARE(box.title, QStringLiteral("About ZELVARIN Utility"));
    QVERIFY(box.hasParent);
    const QString head = QStringLiteral("<h2>ZELVARIN Utility Version %1</h2>150% DPI Display "
                                        "Version<p>")
                             .arg(QStringLiteral(ZELVARIN_VERSION));
    QVERIFY2(box.text.startsWith(head), qPrintable(box.text));
    QVERIFY(box.text.size() > head.size() + 10);
}

// The keyboard focus chain visits the listed controls in this order; controls outside the list
// (and the inner parts of compound widgets) may sit anywhere between them.
void TestWindowShell::tabChain()
{
    const QStringList order = { "autoSwEn", "audioHdmi", "audioJack", "hdcp22", "tabWidget",
        "autoSwDis", "bPrioNorm", "pPrioForce", "hdcp14", "cmBEdid", "EDIDtext", "cb2cForce",
        "cbFull", "cb51", "automixEDID", "fixedEDID", "customEDID", "cbHdr", "cbBt2020", "cbYUV",
        "ButReadEDID", "pbReadTvEdidA", "pbReadTvEdidB", "ButLoadEDID", "ButSaveEDID",
        "ButWriteEDID", "cb3D", "CECtext", "ButSaveCEC_1", "ButSaveCEC_2", "ButWriteCEC", "cbCec",
        "cmbLa", "IFtext", "ButWriteIF", "AVItext", "ButWriteAVI", "cbHdrForceMode", "bSamHdr",
        "bFullHdr", "cbClearSettings", "enableLed", "disableLed", "enableBLed", "disableBLed",
        "leReset", "pbReset", "enable420", "disable420", "disableAVR", "enableAVR" };

    WindowHarness h;
    h.box.setDevices({});
    MainWindow &w = h.create();
    QWidget *start = w.findChild<QWidget *>(order.first());
    QVERIFY(start);

    QStringList visited;
    QWidget *widget = start;
    do {
        if (order.contains(widget->objectName()) && !visited.contains(widget->objectName()))
            visited << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget && widget != start);
    QCOMPARE(visited, order);
}

// One picture per tab, each showing its own tab, and the tab the user had stays selected.
void TestWindowShell::tabPictures()
{
    WindowHarness h;
    MainWindow &w = h.create();
    w.show();
    auto *tabs = w.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QCOMPARE(tabs->currentIndex(), 0);
    tabs->setCurrentIndex(2);

    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("shot"));
    QVERIFY(saveTabPictures(w, prefix));
    QCOMPARE(tabs->currentIndex(), 2);

    QList<QImage> images;
    for (const char *name : { "edid", "cec", "hdr-if", "config" }) {
        const QImage image(prefix + QLatin1Char('-') + QLatin1String(name) + ".png");
        QVERIFY2(!image.isNull(), name);
        QCOMPARE(image.size(), w.size() * w.devicePixelRatio());
        for (const QImage &other : std::as_const(images))
            QVERIFY2(image != other, name);
        images << image;
    }

    QVERIFY(!saveTabPictures(w, dir.filePath(QStringLiteral("missing/shot"))));
    QCOMPARE(tabs->currentIndex(), 2);
}

// The form places its widgets by hand at small font sizes; a text wider or taller than the place
// given to it is cut off on screen. Runs on the fonts of the machine at hand, after the connect
// sequence, so the texts are those a user sees first.
void TestWindowShell::textsFitTheirPlaces()
{
    WindowHarness h;
    MainWindow &w = h.create();
    w.show();
    QStringList tooSmall;
    int checked = 0;
    const auto widgets = w.centralWidget()->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        const bool hasText
            = qobject_cast<QLabel *>(widget) || qobject_cast<QAbstractButton *>(widget);
        const QString parent = widget->parentWidget()->objectName();
        const bool placedByHand = parent == QLatin1String("centralwidget")
            || parent == QLatin1String("frame_2") || parent.startsWith(QLatin1String("tab"));
        if (!hasText || !placedByHand) // layouts size their widgets to the text
            continue;
        ++checked;
        const QSize need = widget->sizeHint();
        if (need.width() > widget->width() || need.height() > widget->height())
            tooSmall << QStringLiteral("%1 needs %2x%3, has %4x%5")
                            .arg(widget->objectName())
                            .arg(need.width())
                            .arg(need.height())
                            .arg(widget->width())
                            .arg(widget->height());
    }
    QVERIFY2(tooSmall.isEmpty(), qPrintable(tooSmall.join(QLatin1String("; "))));
    QVERIFY2(checked >= 80, qPrintable(QString::number(checked))); // all of them, not a few
}

// The central widget has no layout: a larger window leaves every widget where it was.
void TestWindowShell::enlargingKeepsPlaces()
{
    WindowHarness h;
    h.box.setDevices({});
    MainWindow &w = h.create();
    w.show();
    QCOMPARE(w.size(), QSize(378, 794));
    auto *tabs = w.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    const QRect before = tabs->geometry();
    QCOMPARE(before.size(), QSize(366, 506));

    w.resize(1200, 1200);
    QCOMPARE(w.size(), QSize(1000, 1000));
    QCoreApplication::processEvents();
    QCOMPARE(tabs->geometry(), before);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariable(kChildModeVariable) == QLatin1String("exit"))
        return runExitChild();
    TestWindowShell test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_shell.moc"
