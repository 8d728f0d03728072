// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What zelvarinctl costs as a process, each figure against its yardstick timed alternately in the
// same run, so that both see the same machine load:
//  - `zelvarinctl --simulate status` against a bare QCoreApplication program (bare_core); the
//    protocol's fixed pauses (none for status, which reads no EDID) are taken off first;
//  - `zelvarinctl edid decode FILE` against bare_core (aim: 1.15 or less);
//  - one `zelvarinctl --json edid decode` over every table of the corpus against edid-decode
//    run once per table (aim: 0.2 or less), when edid-decode is installed.
// Wall time is what a script waits for; CPU time (the child's user and system time) is printed
// beside it, as it is less disturbed by other work on a shared machine.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int RUNS = 21;
constexpr double FIXED_PAUSES_MS = 0.0;

struct Cost
{
    double wallMs = 0;
    double cpuMs = 0;
};

// Runs `program args...` with its output thrown away and returns what it took.
Cost runOnce(const QString &program, const QStringList &args)
{
    std::vector<QByteArray> words { program.toLocal8Bit() };
    for (const QString &a : args)
        words.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    Cost cost;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage {};
        wait4(pid, &status, 0, &usage);
        cost.wallMs = double(timer.nsecsElapsed()) / 1e6;
        cost.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::fprintf(stderr, "%s failed\n", argv[0]);
    } else {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
    }
    posix_spawn_file_actions_destroy(&actions);
    return cost;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// `ours` and `yardstick` alternately, `runs` times each; the medians of both.
struct Pair
{
    Cost ours, yardstick;
};
template <typename Ours, typename Yardstick>
Pair alternate(int runs, Ours ours, Yardstick yardstick)
{
    std::vector<double> ow, oc, yw, yc;
    for (int i = 0; i < runs; ++i) {
        const Cost y = yardstick();
        const Cost o = ours();
        yw.push_back(y.wallMs);
        yc.push_back(y.cpuMs);
        ow.push_back(o.wallMs);
        oc.push_back(o.cpuMs);
    }
    return { { median(ow), median(oc) }, { median(yw), median(yc) } };
}

void print(const char *what, const char *yardstick, const Pair &p, double pauses, const char *aim)
{
    std::printf("%s: median %.2f ms wall, %.2f ms CPU\n", what, p.ours.wallMs, p.ours.cpuMs);
    std::printf(
        "%s: median %.2f ms wall, %.2f ms CPU\n", yardstick, p.yardstick.wallMs, p.yardstick.cpuMs);
    std::printf("  ratio: %.2f wall, %.2f CPU (aim: %s)\n",
        (p.ours.wallMs - pauses) / p.yardstick.wallMs, p.ours.cpuMs / p.yardstick.cpuMs, aim);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: bench_cli ZELVARINCTL BARE_CORE [TEST_DATA]\n");
        return 2;
    }
    const QString cli = args.at(1);
    const QString bare = args.at(2);
    const QString data = args.value(3, QStringLiteral(BENCH_CLI_DATA));

    const auto bareRun = [&bare] { return runOnce(bare, {}); };
    const Pair status = alternate(
        RUNS,
        [&cli] {
            return runOnce(cli, { QStringLiteral("--simulate"), QStringLiteral("status") });
        },
        bareRun);
    print("zelvarinctl --simulate status", "bare QCoreApplication", status, FIXED_PAUSES_MS,
        "1.2 or less");

    const QString table = data + QStringLiteral("/edid/tv-hdr-600mhz.bin");
    const Pair decode = alternate(
        RUNS,
        [&cli, &table] {
            return runOnce(cli, { QStringLiteral("edid"), QStringLiteral("decode"), table });
        },
        bareRun);
    print("zelvarinctl edid decode FILE", "bare QCoreApplication", decode, 0, "1.15 or less");

    const QString edidDecode = QStandardPaths::findExecutable(QStringLiteral("edid-decode"));
    QStringList corpus;
    const QDir dir(data + QStringLiteral("/edid-corpus"));
    for (const QString &name : dir.entryList({ QStringLiteral("*.bin") }, QDir::Files))
        corpus << dir.filePath(name);
    if (edidDecode.isEmpty() || corpus.isEmpty()) {
        std::printf("corpus figure: needs edid-decode and %s\n", qPrintable(dir.path()));
        return 0;
    }
    QStringList all { QStringLiteral("--json"), QStringLiteral("edid"), QStringLiteral("decode") };
    all += corpus;
    const Pair many = alternate(
        5, [&cli, &all] { return runOnce(cli, all); },
        [&edidDecode, &corpus] {
            Cost sum;
            for (const QString &t : corpus) {
                const Cost c = runOnce(edidDecode, { t });
                sum.wallMs += c.wallMs;
                sum.cpuMs += c.cpuMs;
            }
            return sum;
        });
    const QByteArray what = QStringLiteral("one zelvarinctl --json edid decode of %1 tables")
                                .arg(corpus.size())
                                .toLocal8Bit();
    print(what.constData(), "edid-decode once per table", many, 0, "0.2 or less");
    return 0;
}
