// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

struct BoxResult;

// When a box counts as lost, and how often to look for one: the rules every program that keeps
// a box open follows (the window, the service). A box that fails three USB operations in a row,
// or whose status ticks go unanswered three times in a row, is gone; a tick whose first exchange
// got no reply is cut short, so a silent box costs one reply wait per tick. While there is no box
// the search runs every two seconds; a box that is there but does not answer is asked less and
// less often. The caller does the closing, the timers and the telling.
class ConnectionWatch
{
public:
    static constexpr int LOST_AFTER_LINK_ERRORS = 3;
    static constexpr int LOST_AFTER_SILENT_TICKS = 3;
    // Status ticks an EDID refresh waits for the busy flag to clear before saying so.
    static constexpr int BUSY_TICKS_REPORTED = 10;
    static constexpr int SEARCH_PERIOD_MS = 2000;
    static constexpr int SEARCH_PERIOD_MAX_MS = 64000;

    // A box was (re)connected: every count starts again.
    void reset();

    // Every exchange's result, as it happens; true when it means the box is gone.
    bool noteResult(const BoxResult &result);

    void beginTick();
    // True when the box was found lost by the tick (the caller closes it).
    bool endTick(bool linkOpen);
    bool inTick() const { return m_inTick; }
    // The rest of the tick has nothing to ask.
    bool tickAbandoned() const { return m_tickAbandoned; }
    void abandonTick() { m_tickAbandoned = true; }

    // A busy status during an EDID refresh; true once, when it has lasted long enough to say so.
    bool noteBusyTick(bool busy);

    int searchPeriodMs() const { return m_searchPeriodMs; }
    // A box was there but did not answer: look again later.
    void backOff();

private:
    int m_linkErrorsInARow = 0;
    int m_silentTicks = 0;
    int m_busyTicks = 0;
    bool m_inTick = false;
    int m_tickTransactions = 0;
    bool m_tickAbandoned = false;
    int m_searchPeriodMs = SEARCH_PERIOD_MS;
};
