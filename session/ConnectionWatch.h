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
    // Status ticks in a row on which the box reports busy before that is said. The box's own work
    // (preparing an EDID table, taking a new EDID mode) ends within the five seconds an EDID read
    // waits for it, two ticks at most; five ticks (15 s) is well past any busy spell that ends by
    // itself, and soon enough that a user learns why the box is no longer followed.
    static constexpr int BUSY_TICKS_REPORTED = 5;
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

    // A status tick's busy flag; true once, when the box has stayed busy long enough to say so.
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
