// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the service costs, measured side by side (run under dbus-run-session, which gives it a bus
// of its own; the bench target does that):
//  - `zelvarinctl status` through the service against `zelvarinctl --direct --simulate status`
//    and, where umockdev is there, against `zelvarinctl --direct status` through the libusb
//    backend on the emulated USB box of tests/usb (what a user with a box has without the
//    service), alternated, as processes;
//  - the time a `set` adds: one settings write through the service's relay against the same
//    write on a simulated box of the bench's own, in process, alternated;
//  - the idle service with one simulated box polled every 3 s: CPU as percent of a core;
//  - a long simulated polling run of the service's box model: heap per tick.
#include "box/BoxClient.h"
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "sim/SimulatedBox.h"
#include "zelvarind/BoxModel.h"
#include "zelvarind/client/ServiceNames.h"
#include "zelvarind/client/ServiceRelay.h"

#ifdef ZELVARIN_BENCH_EMULATED_USB
#include "tests/usb/EmulatedBox.h"

#include <umockdev.h>
#endif

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>
#include <vector>

namespace {

struct Quiet final : DeviceWarnings
{
    void deviceWarning(const QString &) override { }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QString range(const std::vector<double> &v, const char *format)
{
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return QString::asprintf(format, *lo) + QStringLiteral("..") + QString::asprintf(format, *hi);
}

double timeProcess(const QString &program, const QStringList &args,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    p.waitForFinished(60000);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        std::fprintf(stderr, "%s %s failed\n", qPrintable(program), qPrintable(args.join(' ')));
    return ms;
}

// utime + stime of a process, in seconds.
double processCpu(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // Fields 14 and 15 of the line; 12 and 13 after the name.
    return (fields.value(11).toDouble() + fields.value(12).toDouble())
        / double(sysconf(_SC_CLK_TCK));
}

void wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(ms - t.elapsed()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(
            stderr, "usage: bench_service ZELVARIND ZELVARINCTL (under dbus-run-session)\n");
        return 2;
    }
    const QString daemon = args.at(1);
    const QString ctl = args.at(2);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "bench_service: no session bus (run it under dbus-run-session)\n");
        return 1;
    }
    QProcess service;
    service.setProcessChannelMode(QProcess::ForwardedChannels);
    service.start(daemon, { QStringLiteral("--simulate") });
    QElapsedTimer started;
    started.start();
    while (!bus.interface()->isServiceRegistered(ServiceNames::busName()).value()
        && started.elapsed() < 30000)
        QThread::msleep(10);

    // status as a process, through the service and direct: on the simulated box, and through
    // the libusb backend on an emulated USB box (a child with umockdev's preload, talking to the
    // box that this process emulates; the other children run without it).
    constexpr int RUNS = 31;
    QProcessEnvironment plain = QProcessEnvironment::systemEnvironment();
    plain.remove(QStringLiteral("LD_PRELOAD"));
    std::vector<double> served, direct, usb, preloaded;
#ifdef ZELVARIN_BENCH_EMULATED_USB
    UMockdevTestbed *testbed = umockdev_testbed_new();
    auto device = std::make_unique<EmulatedBox>(testbed, EmulatedBox::Descriptor {});
    QProcessEnvironment emulated = QProcessEnvironment::systemEnvironment();
    emulated.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral("libumockdev-preload.so.0"));
    plain.remove(QStringLiteral("UMOCKDEV_DIR"));
#endif
    for (int i = 0; i < RUNS; ++i) {
        direct.push_back(timeProcess(ctl,
            { QStringLiteral("--direct"), QStringLiteral("--simulate"), QStringLiteral("status") },
            plain));
#ifdef ZELVARIN_BENCH_EMULATED_USB
        usb.push_back(
            timeProcess(ctl, { QStringLiteral("--direct"), QStringLiteral("status") }, emulated));
        // What the preload alone costs a process, to read the figure above by.
        preloaded.push_back(timeProcess(ctl,
            { QStringLiteral("--direct"), QStringLiteral("--simulate"), QStringLiteral("status") },
            emulated));
#endif
        served.push_back(timeProcess(ctl, { QStringLiteral("status") }, plain));
    }
#ifdef ZELVARIN_BENCH_EMULATED_USB
    device.reset();
    g_object_unref(testbed);
#endif
    std::printf("zelvarinctl status, through the service: median %.1f ms (%s) of %d\n",
        median(served), qPrintable(range(served, "%.1f")), RUNS);
    std::printf("zelvarinctl status, direct (--simulate): median %.1f ms (%s) of %d\n",
        median(direct), qPrintable(range(direct, "%.1f")), RUNS);
    std::printf("ratio service/direct on the simulated box: %.2f (aim: 1.0 or less)\n",
        median(served) / median(direct));
    if (usb.empty()) {
        std::printf("zelvarinctl status, direct through libusb: not measured (no umockdev)\n");
    } else {
        std::printf("zelvarinctl status, direct through libusb on the emulated USB box: median "
                    "%.1f ms (%s) of %d\n",
            median(usb), qPrintable(range(usb, "%.1f")), RUNS);
        std::printf("ratio service/direct through libusb: %.2f (aim: 1.0 or less)\n",
            median(served) / median(usb));
        std::printf("  (the emulation's share: direct --simulate under umockdev's preload takes "
                    "%.1f ms (%s), %.1f ms more than without)\n",
            median(preloaded), qPrintable(range(preloaded, "%.1f")),
            median(preloaded) - median(direct));
    }

    // A settings write, in process: relayed against local.
    {
        SystemClock clock;
        Quiet quiet;
        SimulatedBox sim(clock);
        DeviceLink local(sim, clock, quiet);
        quint32 index = 0;
        local.findDevice(DeviceLink::DEVICE_SERIAL, index);
        local.open(index);
        BoxClient localBox(local, clock);
        ServiceRelay relay(
            bus, ServiceNames::busName(), ServiceNames::boxPath(QStringLiteral("2023")));
        DeviceLink remote(sim, clock, quiet);
        remote.setRelay(&relay);
        BoxClient remoteBox(remote, clock);
        constexpr int WRITES = 400;
        std::vector<double> added;
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < WRITES; ++i)
                localBox.writeSetting(Settings::Id::BlueLeds, quint8(i & 1));
            const double localUs = double(t.nsecsElapsed()) / WRITES / 1e3;
            t.restart();
            for (int i = 0; i < WRITES; ++i)
                remoteBox.writeSetting(Settings::Id::BlueLeds, quint8(i & 1));
            const double remoteUs = double(t.nsecsElapsed()) / WRITES / 1e3;
            added.push_back(remoteUs - localUs);
        }
        std::printf("one setting written: the service adds %.0f us (%s over %d rounds of %d; "
                    "aim: 1000 us or less)\n",
            median(added), qPrintable(range(added, "%.0f")), 5, WRITES);
    }

    // The idle service, one box polled every 3 s (the default).
    {
        wait(1000);
        const double cpu0 = processCpu(service.processId());
        QElapsedTimer t;
        t.start();
        wait(30000);
        const double cpu1 = processCpu(service.processId());
        const double seconds = double(t.elapsed()) / 1000;
        std::printf("idle service, one simulated box polled every 3 s: %.3f %% of a core over "
                    "%.0f s (aim: 0.05 %% or less)\n",
            (cpu1 - cpu0) / seconds * 100, seconds);
    }
    service.terminate();
    service.waitForFinished(30000);

    // The service's box model polling a simulated box every 10 ms (a long session compressed):
    // the heap it gains per tick.
    {
        BoxWorker::Config config;
        config.link.simulate = true;
        config.pollMs = 10;
        BoxModel model(config);
        wait(2000);
        // Sampled every 5 s: a heap that grows climbs from sample to sample; one that does not
        // only wobbles by what happens to be in flight (a queued state, a timer event).
        std::vector<long long> heap { static_cast<long long>(mallinfo2().uordblks) };
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 6; ++i) {
            wait(5000);
            heap.push_back(static_cast<long long>(mallinfo2().uordblks));
        }
        const double ticks = double(t.elapsed()) / config.pollMs;
        QStringList samples;
        for (const long long h : heap)
            samples << QString::number(h - heap.front());
        std::printf("box model polling every %d ms: heap growth %.2f bytes per tick over about "
                    "%.0f ticks (samples every 5 s, bytes: %s)\n",
            config.pollMs, double(heap.back() - heap.front()) / ticks, ticks,
            qPrintable(samples.join(QLatin1Char(' '))));
    }
    return 0;
}
