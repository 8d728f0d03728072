// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zelvarind with its MQTT bridge, as a program, against a Mosquitto broker on loopback (run under
// dbus-run-session, which gives it a bus of its own; the bench target does that):
//  - a command published on the broker to its frame on the simulated box (the service's trace,
//    watched with inotify) and to the new state back on the broker: median and worst of 1,000;
//  - the service's memory while the broker is down for a simulated hour: 1,200 status polls
//    at 100 ms instead of 3 s, each after a settings change by a D-Bus client, the bridge trying
//    to reconnect meanwhile; then the broker back and the last state published.
#include "tests/mqtt/MosquittoBroker.h"
#include "tests/mqtt/MqttProbe.h"
#include "zelvarind/client/DbusTypes.h"
#include "zelvarind/client/ServiceNames.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int COMMANDS = 1000;
constexpr int POLLS_PER_HOUR = 3600 / 3;
const QString SET_INPUT = QStringLiteral("zelvarin/2023/setting/input/set");
const QString INPUT = QStringLiteral("zelvarin/2023/setting/input");

int fail(const QString &why)
{
    std::fprintf(stderr, "bench_mqtt_service: %s\n", qPrintable(why));
    return 1;
}

// The /proc/PID/status line `field`, in kB.
long long statusKb(qint64 pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Runs the event loop until `done` holds or `ms` pass, looking every millisecond and whenever
// `wake` is emitted.
template <typename Sender, typename Signal>
bool runUntil(const std::function<bool()> &done, int ms, const Sender *sender, Signal wake)
{
    QEventLoop loop;
    QTimer tick;
    QElapsedTimer timer;
    timer.start();
    const auto check = [&] {
        if (done() || timer.elapsed() > ms)
            loop.quit();
    };
    QObject::connect(&tick, &QTimer::timeout, &loop, check);
    if (sender)
        QObject::connect(sender, wake, &loop, check);
    tick.start(1);
    if (!done())
        loop.exec();
    return done();
}

bool runUntil(const std::function<bool()> &done, int ms)
{
    return runUntil(done, ms, static_cast<const QTimer *>(nullptr), &QTimer::timeout);
}

void print(const char *what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%s, %zu through zelvarind on loopback: median %.3f ms, 99th %.3f ms, worst "
                "%.3f ms\n",
        what, ms.size(), ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
}

class Service
{
public:
    explicit Service(const QString &program)
        : m_program(program)
    {
    }
    ~Service()
    {
        m_process.terminate();
        m_process.waitForFinished(30000);
    }
    bool start(const QStringList &args)
    {
        m_process.start(m_program, QStringList { QStringLiteral("--simulate") } + args);
        QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
        return m_process.waitForStarted() && bus
            && runUntil(
                [&] {
                    return bus->isServiceRegistered(ServiceNames::busName()).value()
                        || m_process.state() == QProcess::NotRunning;
                },
                30000)
            && m_process.state() == QProcess::Running;
    }
    qint64 pid() const { return m_process.processId(); }
    QByteArray log() { return m_log += m_process.readAllStandardError(); }

private:
    QString m_program;
    QProcess m_process;
    QByteArray m_log;
};

bool setInput(const QString &value)
{
    QDBusMessage m = QDBusMessage::createMethodCall(ServiceNames::busName(),
        ServiceNames::boxPath(QStringLiteral("2023")), QStringLiteral("io.github.zelvarin.Box1"),
        QStringLiteral("SetSettings"));
    m << QVariant::fromValue(StringMap { { QStringLiteral("input"), value } });
    return QDBusConnection::sessionBus().call(m).type() == QDBusMessage::ReplyMessage;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString zelvarind = QCoreApplication::arguments().value(1);
    if (zelvarind.isEmpty())
        return fail(QStringLiteral("usage: bench_mqtt_service ZELVARIND (under dbus-run-session)"));
    if (const QString missing = MosquittoBroker::missingTools(); !missing.isEmpty())
        return fail(missing);
    DbusTypes::registerTypes();
    QTemporaryDir dir;
    MosquittoBroker broker(dir.path());
    QString error;
    if (!broker.addUser(QStringLiteral("zelvarind"), QStringLiteral("pw-service"), &error)
        || !broker.addUser(QStringLiteral("probe"), QStringLiteral("pw-probe"), &error)
        || !broker.start(&error))
        return fail(error);
    QFile secret(dir.filePath(QStringLiteral("secret")));
    QFile conf(dir.filePath(QStringLiteral("zelvarind.conf")));
    if (!secret.open(QIODevice::WriteOnly) || !conf.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write the configuration"));
    secret.write("pw-service\n");
    secret.close();
    secret.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    conf.write("[mqtt]\nbroker = mqtt://127.0.0.1:" + QByteArray::number(broker.port())
        + "\nclient_id = bench-service\nuser = zelvarind\npassword_file = secret\n");
    conf.close();
    // One client commands, another watches: a client that both acknowledges what it receives
    // and publishes would have its commands held back by its own Nagle's algorithm until the
    // broker acknowledges its acknowledgement (up to 40 ms), which is not the service's time.
    MqttProbe commander(broker.port(), QStringLiteral("probe"), QStringLiteral("pw-probe"));
    MqttProbe probe(broker.port(), QStringLiteral("probe"), QStringLiteral("pw-probe"));
    if (!commander.connect(&error) || !probe.connect(&error))
        return fail(error);
    probe.subscribe(QStringLiteral("zelvarin/2023/#"));

    // Command to frame, and to the state back: no status poll but the one after each write.
    {
        const QString trace = dir.filePath(QStringLiteral("trace.txt"));
        Service service(zelvarind);
        if (!service.start(
                { QStringLiteral("--trace=") + trace, QStringLiteral("--poll-interval=600000"),
                    QStringLiteral("--config"), conf.fileName() })
            || !runUntil([&] { return probe.last(INPUT).has_value(); }, 30000))
            return fail(QStringLiteral("the service did not come up: ") + service.log());
        QFile traceFile(trace);
        QFileSystemWatcher watcher({ trace });
        if (!traceFile.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return fail(QStringLiteral("no trace"));
        QElapsedTimer clock;
        clock.start();
        std::vector<double> toFrame, toState;
        for (int i = 0; i < COMMANDS; ++i) {
            const QByteArray value = i % 2 ? "port-a" : "port-b";
            const QByteArray frame = i % 2 ? "> 10 04 E0 00 01" : "> 10 04 E0 00 02";
            traceFile.seek(traceFile.size());
            QByteArray seen;
            const qint64 sent = clock.nsecsElapsed();
            commander.publish(SET_INPUT, value);
            if (!runUntil([&] { return (seen += traceFile.readAll()).contains(frame); }, 5000,
                    &watcher, &QFileSystemWatcher::fileChanged))
                return fail(QStringLiteral("command %1 never reached the box").arg(i));
            toFrame.push_back(double(clock.nsecsElapsed() - sent) / 1e6);
            if (!runUntil([&] { return probe.last(INPUT) == value; }, 5000))
                return fail(QStringLiteral("command %1 never came back as state").arg(i));
            toState.push_back(double(clock.nsecsElapsed() - sent) / 1e6);
        }
        print("command on the broker to frame on the box", toFrame);
        print("command on the broker to its state back on the broker (the service polls 100 ms "
              "after a write)",
            toState);
    }

    // An hour without the broker, in 1,200 polls at 100 ms.
    // `bench_mqtt_service ZELVARIND POLLS` for a shorter or longer outage.
    const QStringList args = QCoreApplication::arguments();
    const int polls = args.size() > 2 ? std::max(10, args.at(2).toInt()) : POLLS_PER_HOUR;
    Service service(zelvarind);
    if (!service.start(
            { QStringLiteral("--poll-interval=100"), QStringLiteral("--config"), conf.fileName() })
        || !runUntil([&] { return service.log().contains("mqtt: connected"); }, 30000))
        return fail(QStringLiteral("the service did not come up: ") + service.log());
    broker.stop();
    long long rssStart = 0, anonStart = 0;
    QElapsedTimer clock;
    clock.start();
    for (int tick = 0; tick < polls; ++tick) {
        if (tick == polls / 10) { // after the first few minutes' allocations settle
            rssStart = statusKb(service.pid(), "VmRSS:");
            anonStart = statusKb(service.pid(), "RssAnon:");
        }
        const QString value = tick % 2 ? QStringLiteral("port-a") : QStringLiteral("port-b");
        if (!setInput(value))
            return fail(QStringLiteral("SetSettings failed"));
        runUntil([&] { return clock.elapsed() >= 100LL * (tick + 1); }, 200);
    }
    const long long rssEnd = statusKb(service.pid(), "VmRSS:");
    const long long anonEnd = statusKb(service.pid(), "RssAnon:");
    const QString last = (polls - 1) % 2 ? QStringLiteral("port-a") : QStringLiteral("port-b");
    const auto attempts = service.log().count("trying again");
    std::printf("zelvarind with the broker down for a simulated hour: %d polls at 100 ms, each "
                "after a change, %lld connection attempts\n",
        polls, static_cast<long long>(attempts));
    std::printf("  over the last %d polls: resident %lld kB -> %lld kB (%+lld kB), anonymous "
                "%lld kB -> %lld kB (%+lld kB)\n",
        polls - polls / 10, rssStart, rssEnd, rssEnd - rssStart, anonStart, anonEnd,
        anonEnd - anonStart);

    // The bridge's next attempt may be up to a minute away.
    if (!broker.start(&error))
        return fail(error);
    MqttProbe after(broker.port(), QStringLiteral("probe"), QStringLiteral("pw-probe"));
    const bool back = after.connect(&error);
    after.subscribe(INPUT);
    std::printf("broker back: %s\n",
        back && runUntil([&] { return after.last(INPUT) == last.toUtf8(); }, 90000)
            ? "reconnected, the last state published"
            : "NOT republished");
    return 0;
}
