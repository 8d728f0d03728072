// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QString>

#include <functional>

// Lines that anybody on the broker can provoke (a bad command payload) must not flood the log: a
// line of one kind goes out at most once a minute, and the next one says how many were held back
// since. The kinds are the caller's fixed words, never text from the message, so the table stays
// as small as the list of kinds.
class RateLimitedLog
{
public:
    using Sink = std::function<void(const QString &)>;
    using Now = std::function<qint64()>; // milliseconds, any origin

    static constexpr qint64 PERIOD_MS = 60000;

    RateLimitedLog(Sink sink, Now now);

    // Logs `line` unless a line of `kind` went out less than a period ago.
    void log(const QString &kind, const QString &line);

private:
    struct Entry
    {
        qint64 lastMs = 0;
        int held = 0;
    };
    Sink m_sink;
    Now m_now;
    QHash<QString, Entry> m_entries;
};
