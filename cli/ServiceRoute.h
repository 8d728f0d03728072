// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/DeviceLink.h"

#include <QByteArray>

#include <memory>

class ServiceClient;

// zelvarinctl's way to a box through the service: when zelvarind's name is on the bus (and the
// command line does not ask for the box itself, ServiceClient::wanted), the command's frames go
// through the service, unchanged and in the same order, so the output is the same either way.
namespace ServiceRoute {

// Puts `link` on a relay to the box `service` found; an exit code, the failure reported (in the
// words of a direct search) when the service has no such box.
int attach(const ServiceClient &service, const QByteArray &serial, DeviceLink &link,
    std::unique_ptr<DeviceLink::Relay> &relay);

} // namespace ServiceRoute
