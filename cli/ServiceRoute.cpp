// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/ServiceRoute.h"

#include "cli/CliOutput.h"
#include "session/ExitCodes.h"
#include "zelvarind/client/ServiceClient.h"
#include "zelvarind/client/ServiceNames.h"
#include "zelvarind/client/ServiceRelay.h"

bool ServiceRoute::wanted(const LinkSetup::Options &link, bool direct)
{
    // A simulated box that starts from a preset is one of this process's own.
    return !direct && link.usbIds.isEmpty() && link.usbOptions.isEmpty()
        && link.simulatedSettings.isEmpty();
}

std::optional<int> ServiceRoute::connect(const LinkSetup::Options &link, const QByteArray &serial,
    DeviceLink &deviceLink, std::unique_ptr<DeviceLink::Relay> &relay)
{
    const std::optional<ServiceClient> service = ServiceClient::find(QString::fromLatin1(serial));
    if (!service)
        return std::nullopt;
    // A simulated box was asked for: a service with real boxes is no place to look for one.
    if (link.simulate && !service->simulated())
        return std::nullopt;
    const ServiceClient::Box &box = service->box();
    if (box.path.isEmpty()) {
        // The same words as when the box is looked for directly.
        if (box.errorName == ServiceNames::Error::notFound())
            return CliOutput::fail(ExitCode::BoxFailed,
                serial.isEmpty() ? QStringLiteral("no box found on the USB bus")
                                 : QStringLiteral("no box with serial number %1 found")
                                       .arg(QString::fromLatin1(serial)));
        return CliOutput::fail(ServiceNames::Error::exitCode(box.errorName),
            QStringLiteral("the service zelvarind failed: %1").arg(box.errorText));
    }
    relay = std::make_unique<ServiceRelay>(service->bus(), ServiceNames::busName(), box.path);
    deviceLink.setRelay(relay.get());
    return ExitCode::Ok;
}
