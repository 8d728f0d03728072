// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The count of a long transfer on standard error: "zelvarinctl: <what> done/total", redrawn in
// place while standard error is a terminal, nothing at all when it is not (a log or a pipe wants
// no carriage returns). The line is always finished, whether the transfer completed or failed,
// so that the next message or the shell's prompt starts on a line of its own.
class ProgressLine
{
public:
    explicit ProgressLine(const QString &what);
    ~ProgressLine();

    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    void update(int done, int total);
    // Ends the line if one was drawn; later updates start a new one.
    void finish();

private:
    QString m_what;
    bool m_terminal;
    bool m_drawn = false;
};
