// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Prints the cost of talking to the box:
//  - CPU time of the six transactions of one status tick against the simulated box, and the
//    heap the process gains per tick (a long --simulate session must not grow);
//  - CPU time of one transaction whose reply never comes (the four-second wait);
//  - wall time from process start to the window shown, with --simulate (when the program's path
//    is given as the first argument), less the pauses the protocol itself takes on the way,
//    against the program's form shown with nothing behind it (form_window, the floor for this
//    window; aim: 1.10 or less) and against a bare Qt Widgets window (bare_window). Both are
//    looked for next to this program unless given as the second and third arguments.
#include "bench/StatusTick.h"
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "protocol/EdidTransfer.h"
#include "sim/SimulatedBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

class QuietWarnings : public DeviceWarnings
{
public:
    void deviceWarning(const QString &) override { }
};

double cpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Bytes of heap in use, or -1 where the C library cannot tell.
long long heapInUse()
{
#ifdef __GLIBC__
    return static_cast<long long>(mallinfo2().uordblks);
#else
    return -1;
#endif
}

// Without a display the programs run offscreen, on a screen of a desktop's size: the default
// offscreen screen is 800x600, shorter than the window, which then gets the scroll area a short
// screen needs and the form alone does not.
QString offscreenPlatform()
{
    static QTemporaryFile config(QDir::tempPath() + QStringLiteral("/bench_link-XXXXXX.json"));
    if (!config.isOpen() && config.open()) {
        config.write(R"({ "screens": [ { "name": "desktop", "x": 0, "y": 0, "width": 1920,
            "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] })");
        config.flush();
    }
    return QStringLiteral("offscreen:configfile=") + config.fileName();
}

QProcess *startProgram(const QString &path, const QStringList &args)
{
    auto *program = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), offscreenPlatform());
    program->setProcessEnvironment(env);
    program->start(path, args);
    return program;
}

// Milliseconds from starting the program to its "shown" line (the window is on screen), or a
// negative number when it never came. The utility says on that line how long its pauses took
// ("shown, slept 141.20 ms"): that goes to `slept`.
double timeToShown(const QString &path, const QStringList &args, double *slept = nullptr)
{
    QElapsedTimer t;
    t.start();
    std::unique_ptr<QProcess> program(startProgram(path, args));
    QByteArray out;
    while (!out.contains("shown")) {
        if (!program->waitForReadyRead(30000)) {
            std::fprintf(stderr, "start-up run of %s failed: %s\n", qPrintable(path),
                program->readAllStandardError().constData());
            return -1;
        }
        out += program->readAllStandardOutput();
    }
    const double ms = double(t.nsecsElapsed()) / 1e6;
    program->waitForFinished(30000);
    out += program->readAllStandardOutput();
    if (slept) {
        const int at = out.indexOf("slept ");
        *slept = at < 0 ? 0 : out.mid(at + 6).split(' ').value(0).toDouble();
    }
    return ms;
}

// The sleeps the program asks for on its way to the window, read from its trace: each EDID fetch
// is followed by a settle pause and a pause after every status read until the box is no longer
// busy. The simulated box answers at once, so these are the whole of the protocol's share; the
// system wakes the program a little later than asked, which the program measures itself.
int protocolPausesMs(const QString &path)
{
    constexpr int FETCH_SETTLE_MS = int(EdidTransfer::FETCH_SETTLE_MS);
    constexpr int BUSY_POLL_MS = int(EdidTransfer::BUSY_POLL_MS);
    std::unique_ptr<QProcess> program(startProgram(path,
        { QStringLiteral("--simulate"), QStringLiteral("--exit-after-show"),
            QStringLiteral("--trace") }));
    program->waitForFinished(30000);
    const QList<QByteArray> lines = program->readAllStandardError().split('\n');
    int pauses = 0;
    bool afterFetch = false;
    for (const QByteArray &line : lines) {
        const int at = line.indexOf(" > ");
        if (at < 0)
            continue;
        const QByteArray frame = line.mid(at + 3).trimmed();
        if (frame == "10 01 B4" || frame == "10 01 B5" || frame == "10 01 B6") {
            pauses += FETCH_SETTLE_MS;
            afterFetch = true;
        } else if (afterFetch && frame == "11 2A E1") {
            pauses += BUSY_POLL_MS;
        } else {
            afterFetch = false;
        }
    }
    return pauses;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int startUp(const QString &program, const QString &bare, const QString &form)
{
    const int runs = 15;
    std::vector<double> ours, slept, oursLessPauses, theirs, withText, formAlone;
    // Interleaved, so that a busy moment of the machine falls on all sides alike.
    for (int i = 0; i < runs; ++i) {
        double pauses = 0;
        const double a = timeToShown(program,
            { QStringLiteral("--simulate"), QStringLiteral("--exit-after-show") }, &pauses);
        const double b = timeToShown(bare, {});
        const double c = timeToShown(bare, { QStringLiteral("--text") });
        const double d = timeToShown(form, {});
        if (a < 0 || b < 0 || c < 0 || d < 0)
            return 1;
        ours.push_back(a);
        slept.push_back(pauses);
        oursLessPauses.push_back(a - pauses);
        theirs.push_back(b);
        withText.push_back(c);
        formAlone.push_back(d);
    }
    const double zelvarin = median(ours);
    const double lessPauses = median(oursLessPauses);
    const double window = median(theirs);
    const double textWindow = median(withText);
    const double formWindow = median(formAlone);
    const int asked = protocolPausesMs(program);
    std::printf("start-up to window shown, median of %d: %.0f ms (--simulate); the protocol's "
                "pauses on the way: %d ms asked for, %.1f ms taken\n",
        runs, zelvarin, asked, median(slept));
    std::printf("the form alone: %.1f ms; (start-up - pauses) / that: %.2f (aim: 1.10 or less); "
                "with the pauses as asked for: %.2f\n",
        formWindow, lessPauses / formWindow, (zelvarin - asked) / formWindow);
    // The bare window draws no text, so it never loads the font database, which is most of the
    // cost of any window that shows a word: the same ratio against a bare window with one label.
    std::printf("bare Qt window: %.1f ms, with a text label: %.1f ms; the form alone / those: "
                "%.2f, %.2f\n",
        window, textWindow, formWindow / window, formWindow / textWindow);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SystemClock clock;
    QuietWarnings warnings;
    SimulatedBox box(clock);
    // As --simulate runs it.
    box.setLively(true);
    DeviceLink link(box, clock, warnings);
    quint32 index = 0;
    if (!link.findDevice(DeviceLink::DEVICE_SERIAL, index) || !link.open(index)) {
        std::fprintf(stderr, "simulated box not found\n");
        return 1;
    }

    // A few ticks first, so that buffers sized once are not counted as growth.
    for (int i = 0; i < 50; ++i)
        StatusTick::onLink(link);

    const int ticks = 2000;
    const long long heap0 = heapInUse();
    double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < ticks; ++i) {
        if (!StatusTick::onLink(link)) {
            std::fprintf(stderr, "status tick failed\n");
            return 1;
        }
    }
    const double tickCpuUs = (cpuSeconds() - cpu0) / ticks * 1e6;
    const double tickWallUs = double(wall.nsecsElapsed()) / ticks / 1e3;
    const long long heap1 = heapInUse();
    std::printf("status tick (6 transactions, simulated box): %.1f us CPU, %.1f us wall\n",
        tickCpuUs, tickWallUs);
    if (heap0 >= 0 && heap1 >= 0)
        std::printf("heap growth per status tick over %d ticks: %.1f bytes\n", ticks,
            double(heap1 - heap0) / ticks);
    else
        std::printf("heap growth per status tick: n/a\n");

    // A silent box: the share of a core one transaction's reply wait takes, with the queue
    // check's wait as it is and, timed in the same run, with the 1 ms sleep it used to take.
    box.setSilent(true);
    const auto silentCpuPercent = [&link](double *wallMs) {
        const double cpu0 = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        Reply reply {};
        const quint8 status[] = { FRAME_READ, STATUS_LEN, CODE_STATUS };
        link.transact(reply, status, STATUS_LEN, sizeof status);
        *wallMs = double(wall.elapsed());
        return (cpuSeconds() - cpu0) * 1e3 / *wallMs * 100;
    };
    double nowWall = 0, oldWall = 0;
    const double now = silentCpuPercent(&nowWall);
    box.setQueueWaitMs(1);
    const double old = silentCpuPercent(&oldWall);
    box.setQueueWaitMs(SimulatedBox::QUEUE_WAIT_MS);
    std::printf("silent simulated box, one reply wait of %.0f ms: %.2f %% of a core (aim: 0.5 or "
                "less); with a 1 ms queue check: %.2f %%\n",
        nowWall, now, old);
    box.setSilent(false);
    link.close();

    if (argc > 1) {
        const QString here = QCoreApplication::applicationDirPath();
        const QString bare
            = argc > 2 ? QString::fromLocal8Bit(argv[2]) : here + QStringLiteral("/bare_window");
        const QString form
            = argc > 3 ? QString::fromLocal8Bit(argv[3]) : here + QStringLiteral("/form_window");
        return startUp(QString::fromLocal8Bit(argv[1]), bare, form);
    }
    return 0;
}
