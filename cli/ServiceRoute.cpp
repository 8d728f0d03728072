// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The module zelvarinctl loads to reach a box through the service: finding the service and the
// box, and the relay. Nothing here writes to the terminal or the trace; the program says what the
// answer means, in the same words as when it looks for the box itself.
#include "cli/ServiceRoute.h"

#include "zelvarind/client/ServiceClient.h"
#include "zelvarind/client/ServiceNames.h"
#include "zelvarind/client/ServiceRelay.h"

#include <cstring>
#include <type_traits>

extern "C" Q_DECL_EXPORT bool zelvarinctl_service_attach(
    const char *version, const ServiceRoute::Request *request, ServiceRoute::Answer *answer)
{
    using Result = ServiceRoute::Answer::Result;
    if (!version || std::strcmp(version, ZELVARIN_VERSION) != 0)
        return false;
    const std::optional<ServiceClient> service
        = ServiceClient::find(request->serial, request->simulated);
    if (!service) {
        answer->result = Result::NoService;
        return true;
    }
    const ServiceClient::Box &box = service->box();
    if (box.path.isEmpty()) {
        answer->result
            = box.errorName == ServiceNames::Error::notFound() ? Result::NotFound : Result::Failed;
        answer->exitCode = ServiceNames::Error::exitCode(box.errorName);
        answer->errorText = box.errorText;
        return true;
    }
    answer->result = Result::Attached;
    answer->relay = service->relay().release();
    answer->traceNote = service->describe();
    return true;
}

static_assert(std::is_same_v<decltype(&zelvarinctl_service_attach), ServiceRoute::AttachFunction>,
    "the entry point is called through ServiceRoute::AttachFunction");
