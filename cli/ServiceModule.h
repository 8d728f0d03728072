// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "cli/ServiceRoute.h"

#include <QString>

// Finds and loads the module that holds zelvarinctl's way to the service (ServiceRoute.h), when a
// command is about to reach a box and a bus may be there: the program itself does not link
// QtDBus, so the commands that never reach a box do not pay for loading it.
namespace ServiceModule {

// Loads the module and asks it for the service and the box. It is looked for next to the program
// (the build folder), then in the private library folder of an installation, found from the
// program's folder as the installation laid them out (bin/ and LIBDIR/zelvarin/ under one prefix,
// wherever that prefix is). False when it cannot be loaded or
// does not answer (another version's): `why` then says so, for the trace, and the caller opens
// the box itself, as when no service runs. The module stays loaded for the life of the process,
// as a relay it handed out runs its code.
bool attach(const ServiceRoute::Request &request, ServiceRoute::Answer &answer, QString &why);

} // namespace ServiceModule
