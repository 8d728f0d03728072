// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "session/LinkSetup.h"

// Whether a front end asks for the service at all, decided without the D-Bus library: zelvarinctl
// loads its way to the service (and QtDBus with it) only when both answers are yes.
namespace ServiceChoice {

// Whether a front end with these device options goes through the service when it runs: not when
// told not to (`direct`), nor with USB values (they describe a device layer of the front end's
// own), nor for a simulated box that starts from a preset.
bool wanted(const LinkSetup::Options &link, bool direct);

// Whether a session or a system bus may be there, from the environment and the usual socket
// files: most runs of a front end on a machine without a bus should not pay for asking.
bool sessionBusLikely();
bool systemBusLikely();

} // namespace ServiceChoice
