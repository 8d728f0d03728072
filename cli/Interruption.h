// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Ctrl+C (SIGINT) and SIGTERM caught for the span of a command that must finish a step before it
// stops: an EDID upload ends between two chunks and never commits a half-sent table, a watch ends
// between two polls with its trace complete. A signal handler may do next to nothing, so this one
// notes the signal and wakes an event loop through a socket; the command looks and stops.
class Interruption
{
public:
    enum class Mode {
        // The signal cuts the run short: once the command has stopped, the process ends by the
        // same signal (pendingSignal()), so a shell and a script see an interrupted program.
        Abort,
        // The signal is the command's normal end (watch): the exit status is the command's.
        Stop,
    };

    explicit Interruption(Mode mode);
    // The default actions are back; a second Ctrl+C during the wind-down ends the process at once.
    ~Interruption();

    Interruption(const Interruption &) = delete;
    Interruption &operator=(const Interruption &) = delete;

    bool requested() const;
    // A descriptor that becomes readable when the signal arrives, for a QSocketNotifier; -1 where
    // there is none.
    int wakeDescriptor() const;

    // The signal that cut the run short (Mode::Abort), or 0.
    static int pendingSignal();
    // Ends the process by the pending signal, as if it had never been caught; returns when there
    // is none.
    static void endByPendingSignal();

private:
    Mode m_mode;
};
