// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/DisplayScale.h"
#include "app/StartUpMessages.h"
#include "app/ToolkitOptions.h"
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "session/ExitCodes.h"
#include "session/LinkSetup.h"
#include "ui/AppServices.h"
#include "ui/Dialogs.h"
#include "ui/MainWindow.h"
#include "ui/ScreenFit.h"
#include "ui/Screenshots.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

int usageError(const QString &message)
{
    const QString sentence
        = message.endsWith(QLatin1Char('.')) ? message : message + QLatin1Char('.');
    std::fprintf(stderr, "zelvarin: %s See zelvarin --help.\n", qPrintable(sentence));
    return ExitCode::Usage;
}

bool hasArgument(int argc, char **argv, const char *name)
{
    const size_t len = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, len) == 0 && (argv[i][len] == '\0' || argv[i][len] == '='))
            return true;
    }
    return false;
}

// A screenshot, --help or --version must work with no display at all.
void chooseOffscreenWithoutDisplay(int argc, char **argv)
{
#if defined(Q_OS_LINUX) || defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const bool noDisplay
        = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool headlessUse = hasArgument(argc, argv, "--screenshot")
        || hasArgument(argc, argv, "--help") || hasArgument(argc, argv, "--help-all")
        || hasArgument(argc, argv, "-h") || hasArgument(argc, argv, "--version")
        || hasArgument(argc, argv, "-v");
    if (noDisplay && headlessUse && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#endif
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("ZELVARIN Utility"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELVARIN_VERSION));

    // The command line is checked before the application object exists, so that a mistake in it
    // is reported even where no display can be opened.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures the ZELVARIN 4K HDMI matrix box over USB."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulateOption(
        QStringLiteral("simulate"), QStringLiteral("Run against the built-in simulated box."));
    const QCommandLineOption traceOption(QStringLiteral("trace"),
        QStringLiteral("Log every request and reply to FILE (standard error with a bare --trace)."),
        QStringLiteral("FILE"));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
        QStringLiteral("Render the window once per tab to PREFIX-<tab>.png, and the decoded "
                       "window to PREFIX-decoded.png, and exit."),
        QStringLiteral("PREFIX"));
    parser.addOption(simulateOption);
    parser.addOption(traceOption);
    parser.addOption(screenshotOption);
    // For the start-up benchmark: say "shown" (and how long the protocol's pauses took) once the
    // window is up, then leave.
    QCommandLineOption exitAfterShowOption(
        QStringLiteral("exit-after-show"), QStringLiteral("Exit once the window is shown."));
    exitAfterShowOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(exitAfterShowOption);
    LinkSetup::addUsbOptions(parser);
    // parse() rather than process(): process() ends a wrong command line with 1, which here
    // means trouble with the box. The toolkit's own options are the toolkit's to read.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(LinkSetup::normalisedArguments(ToolkitOptions::removed(arguments))))
        return usageError(parser.errorText());
    // The window takes no file or other plain argument; one given is a mistake, perhaps a
    // misspelt option.
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("Unexpected argument '%1'; the program takes options only.")
                .arg(parser.positionalArguments().constFirst()));
    LinkSetup::Options linkOptions;
    linkOptions.simulate = parser.isSet(simulateOption);
    // A person trying the program should see the window follow a box that changes by itself; a
    // screenshot wants the box as it starts.
    linkOptions.lively = !parser.isSet(screenshotOption);
    linkOptions.trace = parser.isSet(traceOption);
    linkOptions.traceTarget = parser.value(traceOption);
    if (QString error; !LinkSetup::readUsbOptions(parser, linkOptions, &error))
        return usageError(error);

    chooseOffscreenWithoutDisplay(argc, argv);
    StartUpMessages::install(parser.isSet(screenshotOption));
    QApplication app(argc, argv);
    StartUpMessages::toolkitStarted();
    // Desktops match the window to its desktop entry, and so to its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zelvarin.Utility"));
    // With the toolkit's options, which only the application object knows; process() prints
    // them and ends with 0.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(QStringList { arguments.constFirst(), QStringLiteral("--help-all") });
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(ExitCode::Ok);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    SystemClock clock;
    // Runs nobody watches report on standard error instead of waiting on a box.
    WidgetDialogs widgetDialogs;
    HeadlessDialogs headlessDialogs;
    const bool headless = parser.isSet(screenshotOption) || parser.isSet(exitAfterShowOption);
    Dialogs &dialogs = headless ? static_cast<Dialogs &>(headlessDialogs) : widgetDialogs;
    LinkSetup linkSetup;
    QString linkError;
    std::unique_ptr<UsbXpress> usb = linkSetup.createBackend(linkOptions, clock, &linkError);
    if (!usb)
        return usageError(linkError);

    DeviceLink link(*usb, clock, dialogs);
    if (!linkSetup.startTrace(linkOptions, link, &linkError)) {
        // The trace is asked for on the command line: one that cannot be written is a usage error.
        std::fprintf(stderr, "zelvarin: %s\n", qPrintable(linkError));
        return ExitCode::Usage;
    }

    AppServices services;
    services.link = &link;
    services.dialogs = &dialogs;
    services.clock = &clock;
    // Through the service when it runs; the pictures show the window's own box as it starts.
    if (!parser.isSet(screenshotOption))
        services.service = &linkOptions;

    // The window is never deleted: its close handling stops the timer and closes the device, and
    // File > Exit ends the process from inside the event loop.
    auto *window = new MainWindow(services);
    services.displayScale = measureDisplayScale();
    // The pictures show the form as it is; on the screen the form scrolls if the screen is short.
    if (!parser.isSet(screenshotOption))
        ScreenFit::fitInto(*window, window->screen()->availableGeometry());
    window->show();

    if (parser.isSet(exitAfterShowOption)) {
        QCoreApplication::processEvents();
        // With the time the protocol's pauses took on the way, which the benchmark takes off.
        std::fprintf(stdout, "shown, slept %.2f ms\n", clock.sleptMs());
        std::fflush(stdout);
        return 0;
    }
    if (parser.isSet(screenshotOption))
        return saveScreenshots(*window, parser.value(screenshotOption)) ? ExitCode::Ok
                                                                        : ExitCode::BadData;

    return app.exec();
}
