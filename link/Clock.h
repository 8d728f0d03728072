// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

// The millisecond tick counter and the pauses of the program. The real program uses the system's;
// tests use VirtualClock, so a four-second time-out costs nothing.
class Clock
{
public:
    virtual ~Clock() = default;
    // Milliseconds since some fixed point; wraps at 2^32 like GetTickCount.
    virtual quint32 tickMs() = 0;
    virtual void sleepMs(quint32 ms) = 0;
};

class SystemClock final : public Clock
{
public:
    SystemClock();
    quint32 tickMs() override;
    void sleepMs(quint32 ms) override;

private:
    qint64 m_origin;
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
