// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "box/SettingsPreset.h"
#include "link/UsbXpress.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>

class Clock;
class DeviceLink;
class QCommandLineParser;
class LibUsbBackend;

// The part of start-up every front end shares: the device layer the command line asks for (the
// simulated box or the platform's USB backend with its --usb-id / --usb-option values) and the
// --trace log of the conversation. The window and zelvarinctl parse their own command lines and
// hand the values over here, so both build the link the same way.
class LinkSetup
{
public:
    struct Options
    {
        bool simulate = false;
        bool lively = false; // the simulated box changes by itself now and then
        bool trace = false;
        QString traceTarget; // "-": standard error
        QStringList usbIds; // VID:PID
        QStringList usbOptions; // NAME=VALUE
        // Settings the simulated box starts with instead of the factory's (a preset's entries).
        QList<SettingsPreset::Entry> simulatedSettings;
    };

    // Whether this build has a backend that takes --usb-id and --usb-option.
    static bool hasUsbSettings();

    // --usb-id and --usb-option for the programs whose command line QCommandLineParser reads (the
    // window and the service), with one wording; nothing in a build without a USB backend.
    // readUsbOptions() puts their values into `options` and checks them as checkUsbValues() does;
    // false, with the reason in `error`.
    static void addUsbOptions(QCommandLineParser &parser);
    static bool readUsbOptions(const QCommandLineParser &parser, Options &options, QString *error);

    // QCommandLineParser has no optional values: a bare --trace means "to standard error".
    static QStringList normalisedArguments(const QStringList &args);

    // The first line of every trace: program, version, date, backend and the USB ids looked at.
    static QByteArray traceHeader(const Options &options);
    static QString backendName(const Options &options);

    // Whether the --usb-id and --usb-option values parse and this build has a backend that takes
    // them; false, with the reason in `error`. They are checked with --simulate too, and by
    // commands that open no box: a mistake in them is one whichever box the run talks to.
    static bool checkUsbValues(const Options &options, QString *error);

    // The device layer; nullptr, with the reason in `error`, when checkUsbValues() fails.
    std::unique_ptr<UsbXpress> createBackend(const Options &options, Clock &clock, QString *error);

    // Opens the trace target, writes its first line and hands it to the link; false, with the
    // reason in `error`, when it cannot be written (a folder, a file that takes no writes such as
    // /proc/version, a full disk). Does nothing without --trace.
    // The libusb backend made here gets the trace too, for its own lines; it must go before this
    // object.
    bool startTrace(const Options &options, DeviceLink &link, QString *error);

private:
    QFile m_traceFile;
    LibUsbBackend *m_libusb = nullptr; // the backend createBackend made, if it is that one
};
