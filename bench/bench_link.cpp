// Prints the cost of talking to the box:
//  - CPU time of the six transactions of one status tick against the simulated box;
//  - CPU time of one transaction whose reply never comes (the four-second wait);
//  - wall time from process start to the window shown, with --simulate (when the program's path
//    is given as the first argument).
#include "Clock.h"
#include "DeviceLink.h"
#include "DeviceWarnings.h"
#include "SimulatedBox.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <ctime>

namespace {

class QuietWarnings : public DeviceWarnings
{
public:
    void deviceWarning(const QString &) override {}
};

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

bool readBlock(DeviceLink &link, quint8 block, quint8 count)
{
    Reply reply{};
    const quint8 request[] = {FRAME_READ, count, CODE_REGISTERS, block};
    return link.transact(reply, request, count, sizeof request) && reply[0] == CODE_REGISTERS;
}

bool statusTick(DeviceLink &link)
{
    Reply reply{};
    const quint8 status[] = {FRAME_READ, STATUS_LEN, CODE_STATUS};
    bool ok = link.transact(reply, status, STATUS_LEN, sizeof status);
    ok &= readBlock(link, 6, 14);
    ok &= readBlock(link, 6, 15);
    ok &= readBlock(link, 21, 31);
    ok &= readBlock(link, 30, 31);
    ok &= readBlock(link, 31, 31);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SystemClock clock;
    QuietWarnings warnings;
    SimulatedBox box(clock);
    DeviceLink link(box, clock, warnings);
    quint32 index = 0;
    if (!link.findDevice(DeviceLink::DEVICE_SERIAL, index) || !link.open(index)) {
        std::fprintf(stderr, "simulated box not found\n");
        return 1;
    }

    const int ticks = 2000;
    double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < ticks; ++i) {
        if (!statusTick(link)) {
            std::fprintf(stderr, "status tick failed\n");
            return 1;
        }
    }
    const double tickCpuUs = (cpuSeconds() - cpu0) / ticks * 1e6;
    const double tickWallUs = double(wall.nsecsElapsed()) / ticks / 1e3;
    std::printf("status tick (6 transactions, simulated box): %.1f us CPU, %.1f us wall\n",
                tickCpuUs, tickWallUs);

    box.setSilent(true);
    cpu0 = cpuSeconds();
    wall.restart();
    Reply reply{};
    const quint8 status[] = {FRAME_READ, STATUS_LEN, CODE_STATUS};
    const bool answered = link.transact(reply, status, STATUS_LEN, sizeof status);
    std::printf("silent box, one transaction: %.1f ms CPU over %.0f ms wall (result %s)\n",
                (cpuSeconds() - cpu0) * 1e3, double(wall.elapsed()), answered ? "ok" : "failed");
    box.setSilent(false);
    link.close();

    if (argc > 1) {
        const int runs = 5;
        double total = 0, best = 1e9;
        for (int i = 0; i < runs; ++i) {
            QProcess program;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
                env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            program.setProcessEnvironment(env);
            QElapsedTimer t;
            t.start();
            program.start(QString::fromLocal8Bit(argv[1]),
                          {QStringLiteral("--simulate"), QStringLiteral("--exit-after-show")});
            // The program says "shown" on its standard output once the window is on screen.
            while (!program.readAllStandardOutput().contains("shown")) {
                if (!program.waitForReadyRead(30000)) {
                    std::fprintf(stderr, "start-up run failed: %s\n",
                                 program.readAllStandardError().constData());
                    return 1;
                }
            }
            const double ms = double(t.nsecsElapsed()) / 1e6;
            program.waitForFinished(30000);
            total += ms;
            best = qMin(best, ms);
        }
        std::printf("start-up to window shown (--simulate): %.0f ms mean, %.0f ms best of %d\n",
                    total / runs, best, runs);
    }
    return 0;
}
