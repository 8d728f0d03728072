// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window and scripts on one box at the same time, through zelvarind run as a program on a
// private bus: what the window changes a watcher sees, what a script sets the window shows, and
// the window follows the service's box when it goes and comes back, and the service itself when
// it dies.
#include "tests/support/CliRun.h"
#include "tests/support/ServiceRun.h"
#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTestAccess.h"
#include "ui/MainWindow.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

class TestServiceWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ServiceRun> m_service;
    std::unique_ptr<WindowHarness> h;

    MainWindow &w() { return h->window(); }
    Ui::ZelvarinForm *form() { return WindowTestAccess::form(w()); }

    // The service (with `args`), then the window on it.
    void start(const QStringList &args = {})
    {
        m_service = std::make_unique<ServiceRun>(m_dir.path());
        QVERIFY(m_service->start(args));
        h = std::make_unique<WindowHarness>(WindowHarness::Route::RunningService);
        h->create();
        QVERIFY(h->link.isRelayed());
        QVERIFY(WindowTestAccess::boxConnected(w()));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup()
    {
        h.reset();
        m_service.reset();
    }

    void windowAndWatchShareOneBox()
    {
        start();
        // The window's connect sequence reached the service's box: the box's EDID, chunk by chunk.
        QVERIFY(m_service->requests().contains(QStringLiteral("11 10 B0 F0")));

        QProcess watch;
        watch.start(QStringLiteral(ZELVARINCTL),
            { QStringLiteral("--simulate"), QStringLiteral("--json"), QStringLiteral("watch"),
                QStringLiteral("--interval"), QStringLiteral("100") });
        QVERIFY(QTest::qWaitFor([&] { return watch.canReadLine(); }, 30000));
        QVERIFY(watch.readLine().contains("\"input\":\"port-a\""));

        // What the window sets, the watcher sees.
        const qsizetype before = m_service->requests().size();
        form()->cmbInputSel->setCurrentIndex(1);
        QVERIFY(m_service->requests().mid(before).contains(QStringLiteral("10 04 E0 00 02")));
        QByteArray seen;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         seen += watch.readAll();
                         return seen.contains("\"input\":\"port-b\"");
                     },
                     30000),
            seen.constData());

        // What a script sets meanwhile, the window shows at its next tick.
        const CliRun set = runZelvarinctl(
            m_dir.path(), { QStringLiteral("set"), QStringLiteral("input=matrix-thru") });
        QCOMPARE(set.exitCode, 0);
        h->tick();
        QCOMPARE(form()->cmbInputSel->currentText(), QStringLiteral("MATRIX THRU"));
        QVERIFY(h->dialogs.shown.isEmpty());

        watch.terminate();
        QVERIFY(watch.waitForFinished(30000));
        QCOMPARE(watch.exitCode(), 0);
    }

    // The service loses the box: the window says so as it says a box it lost itself (no dialog),
    // and connects again through the service once the box is back.
    void boxLostAndBack()
    {
        start({ QStringLiteral("--poll-interval=200") });
        // The window's own ticks would find the loss too: here only the service's word can.
        WindowTestAccess::stopStatusTimer(w());
        ServiceRun::setPresent(false);
        QTRY_VERIFY_WITH_TIMEOUT(w().windowTitle().contains("[USB disconnected]"), 30000);
        QCOMPARE(h->statusMessage(), QStringLiteral("ZELVARIN USB disconnected!"));
        QVERIFY(!h->link.isOpen());
        QVERIFY(WindowTestAccess::searching(w()));
        QVERIFY(h->dialogs.shown.isEmpty());

        ServiceRun::setPresent(true);
        WindowTestAccess::searchTick(w());
        QVERIFY(h->link.isRelayed());
        QVERIFY(WindowTestAccess::boxConnected(w()));
        QCOMPARE(w().windowTitle(), QStringLiteral("ZELVARIN UTILITY"));
        QVERIFY(h->dialogs.shown.isEmpty());
    }

    // The service's word that the box went may wait in the queue while the window finds the box
    // again: then it is old news, and the window stays.
    void lateWordOfALossIsOldNews()
    {
        WindowHarness hosted(WindowHarness::Route::HostedService);
        MainWindow &window = hosted.create();
        QVERIFY(hosted.link.isRelayed());
        hosted.box.failAlways(SimulatedBox::Operation::Write, UsbStatus::DeviceNotFound);
        hosted.tick(); // three failed writes: the service and the window lose the box
        QVERIFY(!hosted.link.isOpen());
        hosted.box.failAlways(SimulatedBox::Operation::Write, UsbStatus::Success);
        WindowTestAccess::searchTick(window);
        QVERIFY(hosted.link.isRelayed());

        QCoreApplication::processEvents(); // the word of the loss arrives now
        QVERIFY(hosted.link.isOpen());
        QVERIFY(WindowTestAccess::boxConnected(window));
        QVERIFY(!window.windowTitle().contains("[USB disconnected]"));
    }

    // The service dies under the window: said once, and the window opens the box itself.
    void serviceGoneWindowGoesOnAlone()
    {
        start();
        m_service->kill();
        h->tick();
        QVERIFY(!h->link.isOpen());
        const QStringList said = h->dialogs.texts(QStringLiteral("device"));
        QCOMPARE(said.size(), 1);
        QVERIFY2(said.constFirst().startsWith(QLatin1String("the service zelvarind failed")),
            qPrintable(said.constFirst()));

        WindowTestAccess::searchTick(w());
        QVERIFY(h->link.isOpen());
        QVERIFY(!h->link.isRelayed());
        QVERIFY(WindowTestAccess::boxConnected(w()));
        QVERIFY(h->box.isOpen());
    }
};

QTEST_MAIN(TestServiceWindow)
#include "tst_service_window.moc"
