// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// How a front end's process ends, so scripts can tell a box that failed from a mistyped command
// and from a file or hex text that makes no sense.
namespace ExitCode {
constexpr int Ok = 0;
constexpr int BoxFailed = 1; // the box failed or was not found
constexpr int Usage = 2; // unknown command, option, setting name or value; stray arguments
constexpr int BadData = 3; // hex that does not parse, a wrong length, an unreadable file
} // namespace ExitCode
