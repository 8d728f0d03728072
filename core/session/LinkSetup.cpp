// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LinkSetup.h"

#include "DeviceLink.h"
#if defined(ZELVARIN_HAVE_LIBUSB)
#include "LibUsbBackend.h"
#elif defined(ZELVARIN_HAVE_VENDOR_LIBRARY)
#include "VendorLibrary.h"
#endif
#include "NoUsb.h"
#include "SimulatedBox.h"

#include <cstdio>

bool LinkSetup::hasUsbSettings()
{
#if defined(ZELVARIN_HAVE_LIBUSB)
    return true;
#else
    return false;
#endif
}

QStringList LinkSetup::normalisedArguments(const QStringList &args)
{
    QStringList out;
    for (const QString &a : args)
        out << (a == QLatin1String("--trace") ? QStringLiteral("--trace=-") : a);
    return out;
}

std::unique_ptr<UsbXpress> LinkSetup::createBackend(
    const Options &options, Clock &clock, QString *error)
{
    if (options.simulate) {
        auto box = std::make_unique<SimulatedBox>(clock);
        box->setLively(options.lively);
        return box;
    }
#if defined(ZELVARIN_HAVE_LIBUSB)
    UsbSettings usbSettings;
    if (!usbSettings.addIds(options.usbIds, error)
        || !usbSettings.applyOptions(options.usbOptions, error))
        return nullptr;
    return std::make_unique<LibUsbBackend>(usbSettings);
#elif defined(ZELVARIN_HAVE_VENDOR_LIBRARY)
    Q_UNUSED(error);
    return std::make_unique<VendorLibrary>();
#else
    Q_UNUSED(error);
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
    link.setTrace(&m_traceFile);
    return true;
}
