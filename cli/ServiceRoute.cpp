// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/ServiceRoute.h"

#include "cli/CliOutput.h"
#include "session/ExitCodes.h"
#include "zelvarind/client/ServiceClient.h"
#include "zelvarind/client/ServiceNames.h"
#include "zelvarind/client/ServiceRelay.h"

int ServiceRoute::attach(const ServiceClient &service, const QByteArray &serial, DeviceLink &link,
    std::unique_ptr<DeviceLink::Relay> &relay)
{
    const ServiceClient::Box &box = service.box();
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
    relay = service.relay();
    link.setRelay(relay.get());
    link.traceNote(service.describe());
    return ExitCode::Ok;
}
