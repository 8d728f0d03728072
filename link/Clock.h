// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QMutex>
#include <QWaitCondition>
#include <QtGlobal>

// Something a Clock::wait() wakes up for: one side raises it (from any thread) when what the
// other side waits for is there, the waiting side clears it once it has taken that.
class WakeFlag
{
public:
    void raise();
    void clear();
    bool isRaised() const;

private:
    friend class SystemClock;
    mutable QMutex m_mutex;
    QWaitCondition m_raised;
    bool m_set = false;
};

// The millisecond tick counter and the pauses of the program. The real program uses the system's;
// tests use VirtualClock, so a four-second time-out costs nothing.
class Clock
{
public:
    virtual ~Clock() = default;
    // Milliseconds since some fixed point; wraps at 2^32 like GetTickCount.
    virtual quint32 tickMs() = 0;
    virtual void sleepMs(quint32 ms) = 0;
    // Until `flag` is raised or `ms` pass, whichever comes first; true when it was raised. A
    // flag raised before the call ends the wait at once. This one sleeps the whole time unless
    // the flag is up already, which is all a clock can do where nothing else runs while it
    // sleeps (virtual time); SystemClock wakes as soon as another thread raises the flag.
    virtual bool wait(quint32 ms, WakeFlag &flag);
};

class SystemClock final : public Clock
{
public:
    SystemClock();
    quint32 tickMs() override;
    void sleepMs(quint32 ms) override;
    bool wait(quint32 ms, WakeFlag &flag) override;
    // The time sleepMs() has slept so far, as the system woke the program (a little longer than
    // asked for), in milliseconds; the start-up benchmark takes it off.
    double sleptMs() const { return double(m_sleptNs) / 1e6; }

private:
    qint64 m_origin;
    qint64 m_sleptNs = 0;
};

// Time moves only when somebody sleeps (or a test advances it).
class VirtualClock final : public Clock
{
public:
    explicit VirtualClock(quint32 start = 0)
        : m_now(start)
    {
    }
    quint32 tickMs() override { return m_now; }
    void sleepMs(quint32 ms) override
    {
        m_now += ms;
        m_slept += ms;
        ++m_sleeps;
    }
    void advance(quint32 ms) { m_now += ms; }
    quint64 totalSleptMs() const { return m_slept; }
    int sleepCalls() const { return m_sleeps; }

private:
    quint32 m_now;
    quint64 m_slept = 0;
    int m_sleeps = 0;
};
