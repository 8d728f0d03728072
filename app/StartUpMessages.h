// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the toolkit writes to standard error around the window's start. Without a display it
// would end the program with a page of advice (reinstalling among it) and a core dump; here that
// becomes one line and the exit code of a wrong command line, 2. A run nobody watches
// (--screenshot) shows none of the toolkit's warnings, which there only say that the off-screen
// platform has no windows to raise or resize.
class StartUpMessages
{
public:
    // Before the application object: from here until toolkitStarted() the toolkit's warnings are
    // held back, and a platform plugin that cannot start ends the program as said above.
    static void install(bool quiet);
    // The application object exists: what was held back is written (unless quiet).
    static void toolkitStarted();
};
