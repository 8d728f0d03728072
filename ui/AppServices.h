// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "session/LinkSetup.h"

class Clock;
class DeviceLink;
class Dialogs;

// What the window needs from the outside world. `main` owns one of these for the whole process,
// which makes it the single owner of the process-wide state; tests build their own.
struct AppServices
{
    DeviceLink *link = nullptr;
    Dialogs *dialogs = nullptr;
    Clock *clock = nullptr;
    // Screen logical pixels per inch divided by 96; 0 until main has measured it.
    float displayScale = 0.0f;
    // The device options the program was started with: set, the window goes through the
    // resident service zelvarind when it runs and they allow it (BoxRoute); unset, it always
    // opens the box itself.
    const LinkSetup::Options *service = nullptr;
};
