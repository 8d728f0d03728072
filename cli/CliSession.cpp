// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliSession.h"

#include "cli/CliOutput.h"
#include "cli/Commands.h"
#include "cli/ServiceModule.h"
#include "link/NoUsb.h"
#include "session/ExitCodes.h"
#include "zelvarind/client/ServiceChoice.h"

CliSession::CliSession(const Globals &globals)
    : m_globals(globals)
{
}

CliSession::~CliSession()
{
    if (m_link)
        m_link->close();
}

int CliSession::start()
{
    return start(false);
}

int CliSession::start(bool relayed)
{
    if (m_link)
        return ExitCode::Ok;
    if (!m_globals.simulatedPreset.isEmpty()) {
        SettingsPreset preset;
        if (const int bad = Commands::readPreset(m_globals.simulatedPreset, preset))
            return bad;
        m_globals.link.simulatedSettings = preset.entries;
    }
    QString error;
    // A box the service serves needs no device layer here: no USB library is started for it.
    if (relayed)
        m_usb = std::make_unique<NoUsb>();
    else
        m_usb = m_setup.createBackend(m_globals.link, m_clock, &error);
    if (!m_usb)
        return CliOutput::fail(ExitCode::Usage, error);
    DeviceWarnings &warnings = *this;
    m_link = std::make_unique<DeviceLink>(*m_usb, m_clock, warnings);
    if (!m_setup.startTrace(m_globals.link, *m_link, &error)) {
        m_link.reset();
        return CliOutput::fail(ExitCode::Usage, error);
    }
    m_box = std::make_unique<BoxClient>(*m_link, m_clock);
    return ExitCode::Ok;
}

int CliSession::connectAndReadSettings(RegisterImage &image)
{
    if (const int failed = connect())
        return failed;
    BoxClient::Status status;
    if (const BoxResult r = m_box->readStatus(status); !r.ok())
        return boxFailure(QStringLiteral("reading the status"), r);
    image = status.settings();
    return ExitCode::Ok;
}

int CliSession::connect()
{
    // The service first: where it serves the box, the command needs nothing of the USB bus. Its
    // client (and QtDBus) is loaded only when a bus may be there at all.
    QString unusedService; // why the service could not be asked, for the trace
    if (!m_link && ServiceChoice::wanted(m_globals.link, m_globals.direct)
        && (ServiceChoice::sessionBusLikely() || ServiceChoice::systemBusLikely())) {
        ServiceRoute::Answer answer;
        const ServiceRoute::Request request { QString::fromLatin1(m_globals.serial),
            m_globals.link.simulate };
        if (ServiceModule::attach(request, answer, unusedService)
            && answer.result != ServiceRoute::Answer::Result::NoService)
            return connectThroughService(answer);
    }
    if (const int started = start(); started != ExitCode::Ok)
        return started;
    if (!unusedService.isEmpty())
        m_link->traceNote(unusedService);
    const QByteArray serial
        = m_globals.serial.isEmpty() ? QByteArray(DeviceLink::DEVICE_SERIAL) : m_globals.serial;
    quint32 index = 0;
    // The link's "not connected" box says less than the line below.
    m_quietWarnings = true;
    const bool found = m_link->findDevice(serial, index);
    m_quietWarnings = false;
    if (!found)
        return notFound();
    m_quietWarnings = true;
    const bool opened = m_link->open(index);
    m_quietWarnings = false;
    if (!opened) {
        return CliOutput::fail(ExitCode::BoxFailed,
            QStringLiteral("cannot open the box (device %1): %2").arg(index).arg(m_lastWarning));
    }
    return ExitCode::Ok;
}

int CliSession::connectThroughService(const ServiceRoute::Answer &answer)
{
    using Result = ServiceRoute::Answer::Result;
    // Ours before anything can fail.
    std::unique_ptr<DeviceLink::Relay> relay(answer.relay);
    if (const int started = start(true); started != ExitCode::Ok)
        return started;
    switch (answer.result) {
    case Result::Attached:
        m_relay = std::move(relay);
        m_link->setRelay(m_relay.get());
        m_link->traceNote(answer.traceNote);
        return ExitCode::Ok;
    case Result::NotFound:
        return notFound();
    case Result::NoService: // never here: connect() opens the box itself then
    case Result::Failed:
        break;
    }
    return CliOutput::fail(
        answer.exitCode, QStringLiteral("the service zelvarind failed: %1").arg(answer.errorText));
}

int CliSession::notFound() const
{
    // The same words whether the box was looked for directly or by the service.
    return CliOutput::fail(ExitCode::BoxFailed,
        m_globals.serial.isEmpty() ? QStringLiteral("no box found on the USB bus")
                                   : QStringLiteral("no box with serial number %1 found")
                                         .arg(QString::fromLatin1(m_globals.serial)));
}

int CliSession::boxFailure(const QString &what, const BoxResult &result)
{
    return CliOutput::fail(ExitCode::BoxFailed, what + QStringLiteral(": ") + result.describe());
}

void CliSession::deviceWarning(const QString &text)
{
    m_lastWarning = text;
    if (!m_quietWarnings)
        CliOutput::warn(text);
}
