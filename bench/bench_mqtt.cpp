// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The MQTT bridge against a Mosquitto broker on loopback, with a box client on the simulated box
// behind it (the tests' fixtures):
//  - a command published on the broker to the frame on the box: median and worst of 1,000;
//  - the heap while the broker is down for a simulated hour: a poll every three seconds (1,200,
//    each seeing a change) with connection attempts as fast as the loop allows, then the broker
//    back and everything published again.
#include "protocol/SettingsTable.h"
#include "tests/mqtt/MosquittoBroker.h"
#include "tests/mqtt/MqttProbe.h"
#include "tests/mqtt/SimBridgedBox.h"
#include "zelvarind/mqtt/MqttBridge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {

constexpr int COMMANDS = 1000;
constexpr int POLLS_PER_HOUR = 3600 / 3;

long long heapInUse()
{
    return static_cast<long long>(mallinfo2().uordblks);
}

long long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Runs the event loop until `done` holds or `ms` pass.
bool runUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || timer.elapsed() > ms)
            loop.quit();
    });
    tick.start(1);
    if (!done())
        loop.exec();
    return done();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // `bench_mqtt HOURS` simulates a longer outage.
    const int hours = std::max(1, QCoreApplication::arguments().value(1).toInt());
    const int polls = POLLS_PER_HOUR * hours;
    if (const QString missing = MosquittoBroker::missingTools(); !missing.isEmpty()) {
        std::fprintf(stderr, "bench_mqtt: %s\n", qPrintable(missing));
        return 1;
    }
    QTemporaryDir dir;
    MosquittoBroker broker(dir.path());
    QString error;
    if (!broker.addUser(QStringLiteral("bridge"), QStringLiteral("pw-bridge"), &error)
        || !broker.addUser(QStringLiteral("probe"), QStringLiteral("pw-probe"), &error)
        || !broker.start(&error)) {
        std::fprintf(stderr, "bench_mqtt: %s\n", qPrintable(error));
        return 1;
    }
    QFile secret(dir.filePath(QStringLiteral("secret")));
    secret.open(QIODevice::WriteOnly);
    secret.write("pw-bridge\n");
    secret.close();
    secret.setPermissions(QFile::ReadOwner | QFile::WriteOwner);

    MqttConfig config;
    config.enabled = true;
    config.host = QStringLiteral("127.0.0.1");
    config.port = broker.port();
    config.clientId = QStringLiteral("bench-bridge");
    config.user = QStringLiteral("bridge");
    config.passwordFile = secret.fileName();
    SimBridgedBox box;
    box.sim().setRecording(false);
    box.poll();
    MqttBridge bridge(config);
    bridge.setLogger([](const QString &) {});
    bridge.setRetryDelays(1, 1);
    if (!bridge.start(&error)) {
        std::fprintf(stderr, "bench_mqtt: %s\n", qPrintable(error));
        return 1;
    }
    bridge.addBox(&box);
    MqttProbe probe(broker.port(), QStringLiteral("probe"), QStringLiteral("pw-probe"));
    if (!runUntil([&] { return bridge.isConnected(); }, 10000) || !probe.connect(&error)) {
        std::fprintf(stderr, "bench_mqtt: no connection: %s\n", qPrintable(error));
        return 1;
    }

    // Command to frame: the clock stops when the box starts to take the write.
    QElapsedTimer clock;
    clock.start();
    qint64 landed = -1;
    box.sim().setWriteHook([&] { landed = clock.nsecsElapsed(); });
    const QString topic = QStringLiteral("zelvarin/2023/setting/input/set");
    std::vector<double> ms;
    for (int i = 0; i < COMMANDS; ++i) {
        landed = -1;
        const qint64 sent = clock.nsecsElapsed();
        probe.publish(topic, i % 2 ? "port-a" : "port-b");
        if (!runUntil([&] { return landed >= 0; }, 5000)) {
            std::fprintf(stderr, "bench_mqtt: command %d never reached the box\n", i);
            return 1;
        }
        ms.push_back(double(landed - sent) / 1e6);
    }
    box.sim().setWriteHook({});
    std::sort(ms.begin(), ms.end());
    std::printf("command on the broker to frame on the box, %d on loopback: median %.3f ms, "
                "99th %.3f ms, worst %.3f ms\n",
        COMMANDS, ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());

    // An hour without the broker.
    int attempts = 0;
    QObject::connect(&bridge.client(), &MqttClient::connectionLost, [&] { ++attempts; });
    broker.stop();
    runUntil([&] { return !bridge.isConnected() && attempts > 0; }, 10000);
    auto &status = box.sim().statusBlock();
    const int input = Settings::setting(Settings::Id::Input).position;
    long long heapStart = 0, rssStart = 0;
    for (int tick = 0; tick < polls; ++tick) {
        if (tick == polls / 10) { // after the first few minutes' allocations settle
            heapStart = heapInUse();
            rssStart = residentKb();
        }
        status[input] = quint8(1 + tick % 4);
        box.poll();
        runUntil([] { return false; }, 2);
    }
    const long long heapEnd = heapInUse();
    const long long rssEnd = residentKb();
    const int measured = polls - polls / 10;
    std::printf("broker down for %d simulated hour(s): %d polls with a change, %d connection "
                "attempts\n",
        hours, polls, attempts);
    std::printf("  heap in use over the last %d polls: %+lld bytes (%.2f bytes per poll); "
                "resident %lld kB -> %lld kB\n",
        measured, heapEnd - heapStart, double(heapEnd - heapStart) / measured, rssStart, rssEnd);

    if (!broker.start(&error)) {
        std::fprintf(stderr, "bench_mqtt: %s\n", qPrintable(error));
        return 1;
    }
    const QByteArray last
        = Settings::valueName(Settings::setting(Settings::Id::Input), status[input]).toUtf8();
    MqttProbe after(broker.port(), QStringLiteral("probe"), QStringLiteral("pw-probe"));
    const bool back
        = runUntil([&] { return bridge.isConnected(); }, 10000) && after.connect(&error);
    after.subscribe(QStringLiteral("zelvarin/2023/setting/input"));
    std::printf("broker back: %s\n",
        back && after.waitFor(QStringLiteral("zelvarin/2023/setting/input"), last)
            ? "reconnected, the last state published"
            : "NOT republished");
    return 0;
}
