// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "session/LinkSetup.h"

#include "link/DeviceLink.h"
#if defined(ZELVARIN_HAVE_LIBUSB)
#include "link/usb/LibUsbBackend.h"
#elif defined(ZELVARIN_HAVE_VENDOR_LIBRARY)
#include "link/usb/VendorLibrary.h"
#endif
#include "link/NoUsb.h"
#include "sim/SimulatedBox.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

bool LinkSetup::hasUsbSettings()
{
#if defined(ZELVARIN_HAVE_LIBUSB)
    return true;
#else
    return false;
#endif
}

void LinkSetup::addUsbOptions(QCommandLineParser &parser)
{
    if (!hasUsbSettings())
        return;
    parser.addOption(QCommandLineOption(QStringLiteral("usb-id"),
        QStringLiteral("Also look for the box at USB vendor:product VID:PID (hexadecimal; "
                       "repeatable; 10c4:ea61 is always looked at)."),
        QStringLiteral("VID:PID")));
    parser.addOption(QCommandLineOption(QStringLiteral("usb-option"),
        QStringLiteral("Change one detail of how the program talks to the box over USB: a "
                       "request value or a switch, NAME=VALUE (repeatable; the names are in "
                       "zelvarin(1))."),
        QStringLiteral("NAME=VALUE")));
}

bool LinkSetup::readUsbOptions(const QCommandLineParser &parser, Options &options, QString *error)
{
    if (hasUsbSettings()) {
        options.usbIds = parser.values(QStringLiteral("usb-id"));
        options.usbOptions = parser.values(QStringLiteral("usb-option"));
    }
    return checkUsbValues(options, error);
}

// "--trace FILE" and "--trace=FILE" name a file; a bare --trace (last, or before another option)
// means standard error.
QStringList LinkSetup::normalisedArguments(const QStringList &args)
{
    QStringList out;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a != QLatin1String("--trace") || i == 0) {
            out << a;
            continue;
        }
        const bool fileFollows
            = i + 1 < args.size() && !args.at(i + 1).startsWith(QLatin1Char('-'));
        out << (fileFollows ? QStringLiteral("--trace=") + args.at(++i)
                            : QStringLiteral("--trace=-"));
    }
    return out;
}

QString LinkSetup::backendName(const Options &options)
{
    if (options.simulate)
        return QStringLiteral("simulated box");
#if defined(ZELVARIN_HAVE_LIBUSB)
    return QStringLiteral("libusb-1.0");
#elif defined(ZELVARIN_HAVE_VENDOR_LIBRARY)
    return QStringLiteral("vendor library");
#else
    return QStringLiteral("none");
#endif
}

QByteArray LinkSetup::traceHeader(const Options &options)
{
    QStringList ids { QStringLiteral("10c4:ea61") };
    for (const QString &id : options.usbIds)
        ids << id.toLower();
    ids.removeDuplicates();
    return QStringLiteral("# %1 %2, %3, backend %4, USB ids %5\n")
        .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion(),
            QDateTime::currentDateTime().toString(Qt::ISODate), backendName(options),
            ids.join(QLatin1Char(' ')))
        .toUtf8();
}

#if defined(ZELVARIN_HAVE_LIBUSB)
namespace {

bool parseUsbSettings(const LinkSetup::Options &options, UsbSettings &settings, QString *error)
{
    QString why;
    const bool ok
        = settings.addIds(options.usbIds, &why) && settings.applyOptions(options.usbOptions, &why);
    if (!ok && error)
        *error = why;
    return ok;
}

} // namespace
#endif

bool LinkSetup::checkUsbValues(const Options &options, QString *error)
{
#if defined(ZELVARIN_HAVE_LIBUSB)
    UsbSettings usbSettings;
    return parseUsbSettings(options, usbSettings, error);
#else
    if (options.usbIds.isEmpty() && options.usbOptions.isEmpty())
        return true;
    if (error)
        *error = QStringLiteral("--usb-id and --usb-option need the libusb backend, which this "
                                "build does not have");
    return false;
#endif
}

std::unique_ptr<UsbXpress> LinkSetup::createBackend(
    const Options &options, Clock &clock, QString *error)
{
#if defined(ZELVARIN_HAVE_LIBUSB)
    UsbSettings usbSettings;
    if (!parseUsbSettings(options, usbSettings, error))
        return nullptr;
#else
    if (!checkUsbValues(options, error))
        return nullptr;
#endif
    if (options.simulate) {
        auto box = std::make_unique<SimulatedBox>(clock);
        box->setLively(options.lively);
        for (const SettingsPreset::Entry &e : options.simulatedSettings)
            box->statusBlock()[Settings::setting(e.id).position] = e.value;
        return box;
    }
#if defined(ZELVARIN_HAVE_LIBUSB)
    auto usb = std::make_unique<LibUsbBackend>(usbSettings);
    m_libusb = usb.get();
    return usb;
#elif defined(ZELVARIN_HAVE_VENDOR_LIBRARY)
    return std::make_unique<VendorLibrary>();
#else
    return std::make_unique<NoUsb>();
#endif
}

bool LinkSetup::startTrace(const Options &options, DeviceLink &link, QString *error)
{
    if (!options.trace)
        return true;
    const QString &target = options.traceTarget;
    const bool ok = target == QLatin1String("-")
        ? m_traceFile.open(stderr, QIODevice::WriteOnly | QIODevice::Text)
        : (m_traceFile.setFileName(target),
            m_traceFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
    if (!ok) {
        if (error)
            *error = QStringLiteral("Cannot write the trace to %1: %2")
                         .arg(target, m_traceFile.errorString());
        return false;
    }
    // One line first that says what made the trace, so a report explains itself. It is also the
    // test that the target takes writes at all: some open and then refuse every byte.
    const QByteArray header = traceHeader(options);
    if (m_traceFile.write(header) != header.size() || !m_traceFile.flush()) {
        if (error)
            *error = QStringLiteral("Cannot write the trace to %1: %2")
                         .arg(target, m_traceFile.errorString());
        m_traceFile.close();
        return false;
    }
    link.setTrace(&m_traceFile);
#if defined(ZELVARIN_HAVE_LIBUSB)
    if (m_libusb)
        m_libusb->setTrace(&m_traceFile);
#else
    Q_UNUSED(m_libusb);
#endif
    return true;
}
