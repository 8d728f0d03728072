#include "AppServices.h"
#include "Clock.h"
#include "DeviceLink.h"
#include "Dialogs.h"
#include "DisplayScale.h"
#include "ExitCodes.h"
#include "LinkSetup.h"
#include "MainWindow.h"
#include "Screenshots.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTextEdit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

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
        || hasArgument(argc, argv, "--help") || hasArgument(argc, argv, "-h")
        || hasArgument(argc, argv, "--version") || hasArgument(argc, argv, "-v");
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
    chooseOffscreenWithoutDisplay(argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ZELVARIN Utility"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELVARIN_VERSION));

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
        QStringLiteral("Render the window once per tab to PREFIX-<tab>.png and exit."),
        QStringLiteral("PREFIX"));
    parser.addOption(simulateOption);
    parser.addOption(traceOption);
    parser.addOption(screenshotOption);
    // For the start-up benchmark: say "shown" once the window is up, then leave.
    QCommandLineOption exitAfterShowOption(
        QStringLiteral("exit-after-show"), QStringLiteral("Exit once the window is shown."));
    exitAfterShowOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(exitAfterShowOption);
#ifdef ZELVARIN_HAVE_LIBUSB
    const QCommandLineOption usbIdOption(QStringLiteral("usb-id"),
        QStringLiteral("Also look for the box at USB vendor:product VID:PID (hexadecimal; "
                       "repeatable; 10c4:ea61 is always looked at)."),
        QStringLiteral("VID:PID"));
    const QCommandLineOption usbOptionOption(QStringLiteral("usb-option"),
        QStringLiteral("Change a USB control request value, NAME=VALUE (repeatable; see "
                       "docs/hardware.md)."),
        QStringLiteral("NAME=VALUE"));
    parser.addOption(usbIdOption);
    parser.addOption(usbOptionOption);
#endif
    parser.process(LinkSetup::normalisedArguments(QCoreApplication::arguments()));

    SystemClock clock;
    WidgetDialogs dialogs;
    LinkSetup::Options linkOptions;
    linkOptions.simulate = parser.isSet(simulateOption);
    // A person trying the program should see the window follow a box that changes by itself; a
    // screenshot wants the box as it starts.
    linkOptions.lively = !parser.isSet(screenshotOption);
    linkOptions.trace = parser.isSet(traceOption);
    linkOptions.traceTarget = parser.value(traceOption);
#ifdef ZELVARIN_HAVE_LIBUSB
    linkOptions.usbIds = parser.values(usbIdOption);
    linkOptions.usbOptions = parser.values(usbOptionOption);
#endif
    LinkSetup linkSetup;
    QString linkError;
    std::unique_ptr<UsbXpress> usb = linkSetup.createBackend(linkOptions, clock, &linkError);
    if (!usb) {
        std::fprintf(stderr, "%s\n", qPrintable(linkError));
        return ExitCode::Usage;
    }

    DeviceLink link(*usb, clock, dialogs);
    if (!linkSetup.startTrace(linkOptions, link, &linkError)) {
        std::fprintf(stderr, "%s\n", qPrintable(linkError));
        return ExitCode::Usage;
    }

    AppServices services;
    services.link = &link;
    services.dialogs = &dialogs;
    services.clock = &clock;

    // The window is never deleted: its close handling stops the timer and closes the device, and
    // File > Exit ends the process from inside the event loop.
    auto *window = new MainWindow(services);
    services.displayScale = measureDisplayScale();
    // The EDID table is shown at 11 pixels. Set as the widget's font rather than through an
    // application style sheet, which would re-polish every widget of the form and route all of
    // them through the style-sheet style: the look is the same, the start-up about 15% cheaper.
    if (auto *edidText = window->findChild<QTextEdit *>(QStringLiteral("EDIDtext"))) {
        QFont font = edidText->font();
        font.setPixelSize(11);
        edidText->setFont(font);
    }
    window->show();

    if (parser.isSet(exitAfterShowOption)) {
        QCoreApplication::processEvents();
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
        return 0;
    }
    if (parser.isSet(screenshotOption))
        return saveScreenshots(*window, parser.value(screenshotOption)) ? 0 : 1;

    return app.exec();
}
