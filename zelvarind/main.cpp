// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zelvarind: the resident service that owns the boxes and serves them on D-Bus to every front end
// at once, and on an MQTT broker when its configuration file says so. QtCore and QtDBus only
// (and libmosquitto, through zelvarind/mqtt).
#include "link/DeviceLink.h"
#include "session/ExitCodes.h"
#include "session/LinkSetup.h"
#include "zelvarind/ConfigFile.h"
#include "zelvarind/Daemon.h"
#ifdef ZELVARIN_HAVE_MQTT
#include "zelvarind/MqttService.h"
#endif

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int usageError(const QString &text)
{
    std::fprintf(stderr, "zelvarind: %s\n", qPrintable(text));
    return ExitCode::Usage;
}

int cannotRun(const QString &text)
{
    std::fprintf(stderr, "zelvarind: %s\n", qPrintable(text));
    return ExitCode::BoxFailed;
}

// SIGTERM (systemd stopping the unit) and SIGINT end the event loop, so the boxes are closed and
// the name is given back.
int g_signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto ignored = ::write(g_signalPipe[1], &byte, 1);
}

int positiveValue(const QCommandLineParser &parser, const QCommandLineOption &option, int fallback,
    int minimum, bool *ok)
{
    *ok = true;
    if (!parser.isSet(option))
        return fallback;
    const int value = parser.value(option).toInt(ok);
    *ok = *ok && value >= minimum;
    return value;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvarind"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELVARIN_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Owns the ZELVARIN boxes and serves them on D-Bus to every front end."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulateOption(QStringLiteral("simulate"),
        QStringLiteral("Serve the built-in simulated box, which keeps its state while the service "
                       "runs."));
    const QCommandLineOption livelyOption(QStringLiteral("lively"),
        QStringLiteral("With --simulate: the box changes by itself now and then."));
    const QCommandLineOption systemOption(QStringLiteral("system"),
        QStringLiteral("Serve on the system bus instead of the session bus."));
    const QCommandLineOption serialOption(QStringLiteral("serial"),
        QStringLiteral("Look after the box with this serial string (repeatable; default 2023)."),
        QStringLiteral("SERIAL"));
    const QCommandLineOption traceOption(QStringLiteral("trace"),
        QStringLiteral("Log every request and reply to FILE (standard error with a bare --trace)."),
        QStringLiteral("FILE"));
    const QCommandLineOption pollOption(QStringLiteral("poll-interval"),
        QStringLiteral("Read each box's status every MS milliseconds (default 3000)."),
        QStringLiteral("MS"));
    const QCommandLineOption holdOption(QStringLiteral("hold-timeout"),
        QStringLiteral("Let go of a box held by a client that sent nothing for MS milliseconds "
                       "(default 10000)."),
        QStringLiteral("MS"));
    const QCommandLineOption configOption(QStringLiteral("config"),
        QStringLiteral("Read the configuration from FILE (default: "
                       "$XDG_CONFIG_HOME/zelvarin/zelvarind.conf, with --system "
                       "/etc/zelvarin/zelvarind.conf)."),
        QStringLiteral("FILE"));
    QCommandLineOption testControlOption(QStringLiteral("test-control"),
        QStringLiteral("For tests: io.github.zelvarin.Testing1 unplugs the simulated box."));
    testControlOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({ simulateOption, livelyOption, systemOption, serialOption, traceOption,
        pollOption, holdOption, configOption, testControlOption });
    LinkSetup::addUsbOptions(parser);
    if (!parser.parse(LinkSetup::normalisedArguments(QCoreApplication::arguments())))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return ExitCode::Ok;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("zelvarind %s\n", ZELVARIN_VERSION);
        return ExitCode::Ok;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument \"%1\"")
                              .arg(parser.positionalArguments().constFirst()));

    Daemon::Options options;
    options.link.simulate = parser.isSet(simulateOption);
    options.link.lively = parser.isSet(livelyOption);
    options.link.trace = parser.isSet(traceOption);
    options.link.traceTarget = parser.value(traceOption);
    // Checked with --simulate too: a mistake in them is one whichever box the service serves.
    if (QString error; !LinkSetup::readUsbOptions(parser, options.link, &error))
        return usageError(error);
    for (const QString &serial : parser.values(serialOption)) {
        if (serial.isEmpty() || serial.size() > 255)
            return usageError(QStringLiteral("--serial needs a serial string"));
        if (!options.serials.contains(serial.toLatin1()))
            options.serials << serial.toLatin1();
    }
    if (options.serials.isEmpty())
        options.serials << QByteArray(DeviceLink::DEVICE_SERIAL);
    if (options.link.simulate && options.serials.size() > 1)
        return usageError(QStringLiteral("--simulate serves one box"));
    bool ok = true;
    options.pollMs = positiveValue(parser, pollOption, options.pollMs, 100, &ok);
    if (!ok)
        return usageError(QStringLiteral("--poll-interval takes milliseconds, at least 100"));
    options.holdIdleMs = positiveValue(parser, holdOption, options.holdIdleMs, 100, &ok);
    if (!ok)
        return usageError(QStringLiteral("--hold-timeout takes milliseconds, at least 100"));
    options.systemBus = parser.isSet(systemOption);
    options.testControl = parser.isSet(testControlOption);
    if (parser.isSet(configOption) && parser.value(configOption).isEmpty())
        return usageError(QStringLiteral("--config needs a file"));

    // The configuration is read, and refused, before anything else happens.
    ConfigFile config;
    QString error;
    if (!config.open(parser.isSet(configOption) ? parser.value(configOption)
                                                : ConfigFile::defaultPath(options.systemBus),
            parser.isSet(configOption), { QStringLiteral("mqtt") }, &error))
        return cannotRun(error);
#ifdef ZELVARIN_HAVE_MQTT
    MqttConfig mqttConfig;
    if (config.hasSection(QStringLiteral("mqtt"))
        && !MqttConfig::read(config.settings(), mqttConfig, &error))
        return cannotRun(config.path() + QStringLiteral(": ") + error);
#else
    if (config.hasSection(QStringLiteral("mqtt")))
        return cannotRun(config.path()
            + QStringLiteral(": [mqtt]: this zelvarind was built without the MQTT bridge "
                             "(libmosquitto)"));
#endif

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(
            notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
    }

    Daemon daemon(options);
    if (!daemon.start())
        return ExitCode::BoxFailed;
#ifdef ZELVARIN_HAVE_MQTT
    // After the daemon, so that it goes first, and only once this is the one service on the bus:
    // a second one would otherwise take the first one's place on the broker (same client id).
    std::unique_ptr<MqttService> mqtt;
    if (mqttConfig.enabled) {
        mqtt = std::make_unique<MqttService>(mqttConfig);
        if (!mqtt->start(daemon.models(), &error))
            return cannotRun(config.path() + QStringLiteral(": ") + error);
    }
#endif
    return app.exec();
}
