// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Prints what waiting for the box costs, against the simulated box and against the libusb backend
// talking to an emulated box on a umockdev bus (the same emulation as tests/usb):
//  - CPU time of the process over one transaction whose reply never comes (the four-second
//    wait), as percent of a core, and the share of it spent on the waiting thread itself (the
//    rest is umockdev's worker thread, which plays the kernel and the box);
//  - wall and CPU time of a transaction the box answers at once.
// The emulated node polls as a usbfs node does (UsbfsPoll), so libusb sleeps where it would sleep
// on the real kernel, and the figures show what the backend's own wait costs.
// The libusb part needs LD_PRELOAD=libumockdev-preload.so.0 (the bench target sets it).
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "link/usb/LibUsbBackend.h"
#include "sim/SimulatedBox.h"
#include "tests/usb/EmulatedBox.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <umockdev.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

class QuietWarnings : public DeviceWarnings
{
public:
    void deviceWarning(const QString &) override { }
};

double cpuSeconds(clockid_t which)
{
    timespec ts {};
    clock_gettime(which, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

const quint8 kStatusRead[] = { FRAME_READ, STATUS_LEN, CODE_STATUS };

// One transaction the box does not answer: process and calling-thread CPU as percent of a core
// over the wall time it took.
void silentTransaction(const char *what, DeviceLink &link)
{
    const double process0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double thread0 = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    QElapsedTimer wall;
    wall.start();
    Reply reply {};
    const bool answered = link.transact(reply, kStatusRead, STATUS_LEN, sizeof kStatusRead);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double process = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0;
    const double thread = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0;
    std::printf("%s, silent box, one transaction: %.0f ms wall, process CPU %.1f ms = %.2f%% of a "
                "core (waiting thread %.2f%%), result %s\n",
        what, seconds * 1e3, process * 1e3, 100 * process / seconds, 100 * thread / seconds,
        answered ? "ok" : "failed");
}

// Transactions the box answers at once: median and slowest wall time, mean CPU.
void answeredTransactions(const char *what, DeviceLink &link, int count)
{
    std::vector<double> wallUs;
    const double cpu0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer wall;
        wall.start();
        Reply reply {};
        failed += !link.transact(reply, kStatusRead, STATUS_LEN, sizeof kStatusRead);
        wallUs.push_back(double(wall.nsecsElapsed()) / 1e3);
    }
    const double cpuUs = (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0) / count * 1e6;
    std::sort(wallUs.begin(), wallUs.end());
    std::printf("%s, answered status read, %d transactions: median %.0f us wall, slowest %.0f us, "
                "%.0f us process CPU each, %d failed\n",
        what, count, wallUs[wallUs.size() / 2], wallUs.back(), cpuUs, failed);
}

void simulated()
{
    SystemClock clock;
    QuietWarnings warnings;
    SimulatedBox box(clock);
    DeviceLink link(box, clock, warnings);
    quint32 index = 0;
    if (!link.findDevice(DeviceLink::DEVICE_SERIAL, index) || !link.open(index)) {
        std::fprintf(stderr, "simulated box not found\n");
        return;
    }
    box.setSilent(true);
    silentTransaction("simulated backend", link);
    link.close();
}

int emulated(const QStringList &options, const char *what)
{
    UMockdevTestbed *testbed = umockdev_testbed_new();
    int result = 0;
    {
        EmulatedBox device(testbed, EmulatedBox::Descriptor {});
        UsbSettings settings;
        QString error;
        if (!settings.applyOptions(options, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            result = 1;
        } else {
            LibUsbBackend usb(settings);
            SystemClock clock;
            QuietWarnings warnings;
            DeviceLink link(usb, clock, warnings);
            quint32 index = 0;
            if (!link.findDevice(DeviceLink::DEVICE_SERIAL, index) || !link.open(index)) {
                std::fprintf(stderr, "emulated box not found\n");
                result = 1;
            } else {
                answeredTransactions(what, link, 300);
                device.setMode(EmulatedBox::Mode::Silent);
                silentTransaction(what, link);
                link.close();
            }
        }
    }
    g_object_unref(testbed);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    simulated();
    if (!qEnvironmentVariable("LD_PRELOAD").contains(QLatin1String("libumockdev-preload"))) {
        std::printf("libusb backend: not measured (run with "
                    "LD_PRELOAD=libumockdev-preload.so.0 for the emulated USB box)\n");
        return 0;
    }
    // A one-millisecond slice is how the check used to wait: the figure to compare with.
    return emulated({}, "libusb backend, emulated box, queue-wait 50 ms")
        | emulated(
            { QStringLiteral("queue-wait=1") }, "libusb backend, emulated box, queue-wait 1 ms");
}
