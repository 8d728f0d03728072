// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/DeviceLink.h"

#include <QString>

// zelvarinctl's way to a box through the service: when zelvarind's name is on the bus (and the
// command line does not ask for the box itself, ServiceChoice::wanted), the command's frames go
// through the service, unchanged and in the same order, so the output is the same either way.
//
// It needs QtDBus, which costs every start of the program a millisecond and more, so it lives in
// a module of its own (ServiceRoute.cpp and the service client) that zelvarinctl loads
// (ServiceModule) only when a command is about to reach a box. The module and the program each
// have their own copy of the layers below (link, session, protocol); what passes between them is
// plain data one way and the relay the other, never anything of those layers' state.
namespace ServiceRoute {

struct Request
{
    QString serial; // empty: the box's own serial first, then any
    bool simulated = false; // a simulated box was asked for
};

struct Answer
{
    enum class Result {
        NoService, // the service runs on no bus (or only with real boxes, for a simulated one)
        Attached, // `relay` leads to the box
        NotFound, // the service has no such box
        Failed, // the service refused or did not answer: `exitCode`, `errorText`
    };
    Result result = Result::NoService;
    int exitCode = 0;
    QString errorText;
    // Attached: the relay, the caller's to delete (its code is the module's, which stays loaded),
    // and a line for the trace saying which service, on which bus, which box.
    DeviceLink::Relay *relay = nullptr;
    QString traceNote;
};

// The module's one entry point, by this name and with C linkage, so that it is found by name.
// It answers only a caller built from the same version (`version`, ZELVARIN_VERSION): it returns
// false and leaves `answer` alone otherwise, as the two sides' types may then differ.
using AttachFunction = bool (*)(const char *version, const Request *request, Answer *answer);
constexpr char ATTACH_SYMBOL[] = "zelvarinctl_service_attach";

} // namespace ServiceRoute
