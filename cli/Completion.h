// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringList>

// Shell completion, answered by the program itself so that the bash, zsh and fish scripts stay
// thin and never hold a second list of commands, settings or values: the scripts run
// `zelvarinctl __complete WORD...` with the words typed after the program's name, the last being
// the one under the cursor (empty for a new word).
namespace Completion {

// The hidden command the completion scripts run; it is in no help text and opens no box.
constexpr const char *COMMAND = "__complete";
// The line that asks the shell to offer file names as well.
constexpr const char *FILES = "@file";

// What may stand in place of the last word, given the words before it: the words starting with
// what is typed so far, in the order the commands and the settings table give them, and FILES
// where a file name goes. A word ending in '=' wants its value typed right after it.
QStringList candidates(const QStringList &words);
// Prints candidates() one per line; exit status 0.
int print(const QStringList &words);

} // namespace Completion
