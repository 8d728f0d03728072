// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/mqtt/RateLimitedLog.h"

RateLimitedLog::RateLimitedLog(Sink sink, Now now)
    : m_sink(std::move(sink))
    , m_now(std::move(now))
{
}

void RateLimitedLog::log(const QString &kind, const QString &line)
{
    const qint64 now = m_now();
    auto it = m_entries.find(kind);
    if (it != m_entries.end() && now - it->lastMs < PERIOD_MS) {
        ++it->held;
        return;
    }
    QString text = line;
    if (it != m_entries.end() && it->held > 0)
        text += QStringLiteral(" (%1 more like it since the last such line)").arg(it->held);
    m_entries.insert(kind, Entry { now, 0 });
    m_sink(text);
}
