// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How long `zelvarinctl --simulate status` takes against a bare QCoreApplication program, timed
// alternately in the same run so both see the same machine load. The protocol's fixed pauses
// (none for status, which reads no EDID) are taken off before the ratio.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int RUNS = 15;
constexpr double FIXED_PAUSES_MS = 0.0;

double timeOnce(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    p.waitForFinished(60000);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
    return ms;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: bench_cli ZELVARINCTL BARE_CORE\n");
        return 2;
    }
    std::vector<double> cli, bare;
    for (int i = 0; i < RUNS; ++i) {
        bare.push_back(timeOnce(args.at(2), {}));
        cli.push_back(
            timeOnce(args.at(1), { QStringLiteral("--simulate"), QStringLiteral("status") }));
    }
    const double c = median(cli) - FIXED_PAUSES_MS;
    const double b = median(bare);
    std::printf("zelvarinctl --simulate status: median %.1f ms of %d (fixed pauses %.0f ms)\n",
        median(cli), RUNS, FIXED_PAUSES_MS);
    std::printf("bare QCoreApplication:         median %.1f ms of %d\n", b, RUNS);
    std::printf("ratio: %.2f (aim: 1.2 or less)\n", c / b);
    return 0;
}
