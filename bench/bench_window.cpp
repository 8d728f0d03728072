// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Prints what a status tick costs through the window: the window connected to the simulated box
// (as --simulate runs it, on the offscreen platform unless another is set), its status timer's
// tick delivered and the events it leaves (layouts, paints) handled, in CPU time per tick. The
// box's clock moves on by the timer's period before each tick, so the box changes its signal
// now and then as it does for a person watching. The
// yardstick, timed in the same run: the same six transactions on the link alone, which is what a
// tick cannot do without.
#include "bench/StatusTick.h"
#include "tests/support/WindowHarness.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// CPU microseconds per call of `work`, the best of several rounds.
template <typename Work> double cpuMicroseconds(int calls, Work work)
{
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        const double start = cpuSeconds();
        for (int i = 0; i < calls; ++i)
            work();
        best = qMin(best, (cpuSeconds() - start) / calls * 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    WindowHarness harness;
    // As --simulate runs it: a box that changes now and then, and nothing recorded.
    harness.box.setRecording(false);
    harness.box.setLively(true);
    MainWindow &window = harness.create();
    window.show();
    QCoreApplication::processEvents();

    if (!harness.link.isOpen()) {
        std::fprintf(stderr, "bench_window: the window did not connect to the simulated box\n");
        return 1;
    }
    constexpr int TICKS = 400;
    for (int i = 0; i < 20; ++i) { // the first ticks fill the form once
        harness.clock.advance(MainWindow::STATUS_PERIOD_MS);
        harness.tick();
        QCoreApplication::processEvents();
    }
    const double windowUs = cpuMicroseconds(TICKS, [&harness] {
        harness.clock.advance(MainWindow::STATUS_PERIOD_MS);
        harness.tick();
        QCoreApplication::processEvents();
    });
    bool ok = true;
    const double linkUs
        = cpuMicroseconds(TICKS, [&harness, &ok] { ok &= StatusTick::onLink(harness.link); });
    if (!ok) {
        std::fprintf(stderr, "bench_window: the link's tick failed\n");
        return 1;
    }
    std::printf("status tick through the window: %.1f us CPU (aim: 20 or less)\n", windowUs);
    std::printf("the same reads on the link alone: %.1f us CPU; window / link: %.2f\n", linkUs,
        windowUs / linkUs);
    return 0;
}
