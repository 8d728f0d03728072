// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/Clock.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
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
    QThread::msleep(ms);
}
