// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/DeviceLink.h"
#include "session/LinkSetup.h"

#include <QByteArray>

#include <memory>
#include <optional>

// zelvarinctl's way to a box through the service: when zelvarind's name is on the bus (and the
// command line does not ask for the box itself, ServiceClient::wanted), the command's frames go
// through the service, unchanged and in the same order, so the output is the same either way.
namespace ServiceRoute {

// Finds the box and puts `link` on a relay to it. nullopt when the service is not running (open
// the box directly), or runs real boxes and --simulate was asked for; otherwise an exit code, the
// failure already reported.
std::optional<int> connect(const LinkSetup::Options &link, const QByteArray &serial,
    DeviceLink &deviceLink, std::unique_ptr<DeviceLink::Relay> &relay);

} // namespace ServiceRoute
