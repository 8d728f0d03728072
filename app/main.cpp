// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppServices.h"
#include "Clock.h"
#include "DeviceLink.h"
#include "Dialogs.h"
#include "DisplayScale.h"
#if defined(ZELVARIN_HAVE_LIBUSB)
#include "LibUsbBackend.h"
#elif defined(ZELVARIN_HAVE_VENDOR_LIBRARY)
#include "VendorLibrary.h"
#endif
#include "MainWindow.h"
#include "NoUsb.h"
#include "ScreenFit.h"
#include "Screenshots.h"
#include "SimulatedBox.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QScreen>
#include <QTextEdit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// The exit codes, the same for every program of the utility (and in the man pages).
enum ExitCode {
    ExitOk = 0,
    ExitBox = 1, // the box could not be reached or refused a request
    ExitUsage = 2, // a wrong command line
    ExitBadData = 3, // a file or value the program was given cannot be used
};

int usageError(const QString &message)
{
    const QString sentence
        = message.endsWith(QLatin1Char('.')) ? message : message + QLatin1Char('.');
    std::fprintf(stderr, "zelvarin: %s See zelvarin --help.\n", qPrintable(sentence));
    return ExitUsage;
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
        || hasArgument(argc, argv, "--help") || hasArgument(argc, argv, "-h")
        || hasArgument(argc, argv, "--version") || hasArgument(argc, argv, "-v");
    if (noDisplay && headlessUse && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#endif
}

// QCommandLineParser has no optional values: a bare --trace means "to standard error".
QStringList normalisedArguments(const QStringList &args)
{
    QStringList out;
    for (const QString &a : args)
        out << (a == QLatin1String("--trace") ? QStringLiteral("--trace=-") : a);
    return out;
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
    // parse() rather than process(): process() ends a wrong command line with 1, which here
    // means trouble with the box.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(normalisedArguments(arguments)))
        return usageError(parser.errorText());
    // The window takes no file or other plain argument; one given is a mistake, perhaps a
    // misspelt option.
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("Unexpected argument '%1'; the program takes options only.")
                .arg(parser.positionalArguments().constFirst()));
#if defined(ZELVARIN_HAVE_LIBUSB)
    UsbSettings usbSettings;
    QString usbError;
    if (!usbSettings.addIds(parser.values(usbIdOption), &usbError)
        || !usbSettings.applyOptions(parser.values(usbOptionOption), &usbError))
        return usageError(usbError);
#endif

    chooseOffscreenWithoutDisplay(argc, argv);
    QApplication app(argc, argv);
    // Desktops match the window to its desktop entry, and so to its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zelvarin.Utility"));
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(ExitOk);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    SystemClock clock;
    WidgetDialogs dialogs;
    std::unique_ptr<UsbXpress> usb;
    if (parser.isSet(simulateOption)) {
        auto box = std::make_unique<SimulatedBox>(clock);
        // A person trying the program should see the window follow a box that changes by
        // itself; a screenshot wants the box as it starts.
        box->setLively(!parser.isSet(screenshotOption));
        usb = std::move(box);
    } else {
#if defined(ZELVARIN_HAVE_LIBUSB)
        usb = std::make_unique<LibUsbBackend>(usbSettings);
#elif defined(ZELVARIN_HAVE_VENDOR_LIBRARY)
        usb = std::make_unique<VendorLibrary>();
#else
        usb = std::make_unique<NoUsb>();
#endif
    }

    DeviceLink link(*usb, clock, dialogs);
    QFile traceFile;
    if (parser.isSet(traceOption)) {
        const QString target = parser.value(traceOption);
        const bool ok = target == QLatin1String("-")
            ? traceFile.open(stderr, QIODevice::WriteOnly | QIODevice::Text)
            : (traceFile.setFileName(target),
                traceFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
        if (!ok) {
            std::fprintf(stderr, "Cannot write the trace to %s: %s\n", qPrintable(target),
                qPrintable(traceFile.errorString()));
            return ExitBadData;
        }
        link.setTrace(&traceFile);
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
    // The pictures show the form as it is; on the screen the form scrolls if the screen is short.
    if (!parser.isSet(screenshotOption))
        ScreenFit::fitInto(*window, window->screen()->availableGeometry());
    window->show();

    if (parser.isSet(exitAfterShowOption)) {
        QCoreApplication::processEvents();
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
        return 0;
    }
    if (parser.isSet(screenshotOption))
        return saveScreenshots(*window, parser.value(screenshotOption)) ? ExitOk : ExitBadData;

    return app.exec();
}
