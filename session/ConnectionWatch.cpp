// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "session/ConnectionWatch.h"

#include "box/BoxResult.h"

#include <algorithm>

void ConnectionWatch::reset()
{
    m_linkErrorsInARow = 0;
    m_silentTicks = 0;
    m_busyTicks = 0;
    m_tickAbandoned = false;
    m_searchPeriodMs = SEARCH_PERIOD_MS;
}

bool ConnectionWatch::noteResult(const BoxResult &r)
{
    if (m_inTick && ++m_tickTransactions == 1 && r.kind == BoxResult::NoReply)
        m_tickAbandoned = true;
    if (r.kind == BoxResult::LinkError)
        return ++m_linkErrorsInARow >= LOST_AFTER_LINK_ERRORS;
    if (r.kind != BoxResult::NotOpen)
        m_linkErrorsInARow = 0;
    return false;
}

void ConnectionWatch::beginTick()
{
    m_inTick = true;
    m_tickTransactions = 0;
    m_tickAbandoned = false;
}

bool ConnectionWatch::endTick(bool linkOpen)
{
    m_inTick = false;
    if (!linkOpen) {
        m_tickAbandoned = false;
        return false;
    }
    if (!m_tickAbandoned) {
        m_silentTicks = 0;
        return false;
    }
    m_tickAbandoned = false;
    return ++m_silentTicks >= LOST_AFTER_SILENT_TICKS;
}

bool ConnectionWatch::noteBusyTick(bool busy)
{
    if (!busy) {
        m_busyTicks = 0;
        return false;
    }
    return ++m_busyTicks == BUSY_TICKS_REPORTED;
}

void ConnectionWatch::backOff()
{
    m_searchPeriodMs = std::min(m_searchPeriodMs * 2, SEARCH_PERIOD_MAX_MS);
}
