// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/Clock.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QThread>

namespace {
qint64 monotonicMs()
{
    QElapsedTimer t;
    t.start();
    return t.msecsSinceReference();
}
} // namespace

SystemClock::SystemClock()
    : m_origin(monotonicMs())
{
}

quint32 SystemClock::tickMs()
{
    return quint32(quint64(monotonicMs() - m_origin));
}

void SystemClock::sleepMs(quint32 ms)
{
    QElapsedTimer slept;
    slept.start();
    QThread::msleep(ms);
    m_sleptNs += slept.nsecsElapsed();
}

bool Clock::wait(quint32 ms, WakeFlag &flag)
{
    if (flag.isRaised())
        return true;
    sleepMs(ms);
    return flag.isRaised();
}

bool SystemClock::wait(quint32 ms, WakeFlag &flag)
{
    QMutexLocker lock(&flag.m_mutex);
    const QDeadlineTimer deadline(ms);
    while (!flag.m_set) {
        if (!flag.m_raised.wait(&flag.m_mutex, deadline))
            break;
    }
    return flag.m_set;
}

void WakeFlag::raise()
{
    QMutexLocker lock(&m_mutex);
    m_set = true;
    m_raised.wakeAll();
}

void WakeFlag::clear()
{
    QMutexLocker lock(&m_mutex);
    m_set = false;
}

bool WakeFlag::isRaised() const
{
    QMutexLocker lock(&m_mutex);
    return m_set;
}
