// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/Interruption.h"

#include <csignal>

#if !defined(Q_OS_WIN)
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// What a signal handler may touch: a flag of sig_atomic_t and a write to a descriptor.
volatile std::sig_atomic_t g_signal = 0;
int g_wake[2] = { -1, -1 };

extern "C" void onSignal(int signal)
{
    g_signal = signal;
    // A second signal gets the default action: a user who presses Ctrl+C again means it.
    std::signal(signal, SIG_DFL);
#if !defined(Q_OS_WIN)
    if (g_wake[0] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(g_wake[0], &byte, 1);
    }
#endif
}

void install(int signal, void (*handler)(int))
{
#if defined(Q_OS_WIN)
    std::signal(signal, handler);
#else
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
#endif
}

} // namespace

Interruption::Interruption(Mode mode)
    : m_mode(mode)
{
    g_signal = 0;
#if !defined(Q_OS_WIN)
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_wake) != 0)
        g_wake[0] = g_wake[1] = -1;
    install(SIGTERM, onSignal);
#endif
    install(SIGINT, onSignal);
}

Interruption::~Interruption()
{
    install(SIGINT, SIG_DFL);
#if !defined(Q_OS_WIN)
    install(SIGTERM, SIG_DFL);
    for (int &fd : g_wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
#endif
    if (m_mode == Mode::Stop)
        g_signal = 0;
}

bool Interruption::requested() const
{
    return g_signal != 0;
}

int Interruption::wakeDescriptor() const
{
    return g_wake[1];
}

int Interruption::pendingSignal()
{
    return g_signal;
}

void Interruption::endByPendingSignal()
{
    const int signal = g_signal;
    if (signal == 0)
        return;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
