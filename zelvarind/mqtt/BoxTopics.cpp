// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/mqtt/BoxTopics.h"

#include "protocol/SettingsTable.h"

BoxTopics::BoxTopics(const QString &prefix, const QString &boxId)
    : m_id(boxId)
    , m_base(prefix + QLatin1Char('/') + boxId)
{
}

QString BoxTopics::availability() const
{
    return m_base + QStringLiteral("/availability");
}

QString BoxTopics::firmware() const
{
    return m_base + QStringLiteral("/firmware");
}

QString BoxTopics::busy() const
{
    return m_base + QStringLiteral("/busy");
}

QString BoxTopics::setting(const QString &name) const
{
    return m_base + QStringLiteral("/setting/") + name;
}

QString BoxTopics::settingCommand(const QString &name) const
{
    return setting(name) + QStringLiteral("/set");
}

QString BoxTopics::signal(BridgedBox::SignalLine line) const
{
    return m_base + QStringLiteral("/signal/") + signalWord(line);
}

QString BoxTopics::cecSend() const
{
    return m_base + QStringLiteral("/cec/send");
}

QStringList BoxTopics::commandFilters() const
{
    return { settingCommand(QStringLiteral("+")), cecSend() };
}

QStringList BoxTopics::retainedTopics() const
{
    QStringList topics { availability(), firmware(), busy() };
    for (const Settings::Setting &s : Settings::all())
        topics << setting(QLatin1String(s.name));
    for (BridgedBox::SignalLine line : signalLines())
        topics << signal(line);
    return topics;
}

const QList<BridgedBox::SignalLine> &BoxTopics::signalLines()
{
    using L = BridgedBox::SignalLine;
    static const QList<L> lines { L::Source, L::Video, L::Colour, L::Hdr, L::HdrInfoFrame };
    return lines;
}

QString BoxTopics::signalWord(BridgedBox::SignalLine line)
{
    switch (line) {
    case BridgedBox::SignalLine::Source:
        return QStringLiteral("source");
    case BridgedBox::SignalLine::Video:
        return QStringLiteral("video");
    case BridgedBox::SignalLine::Colour:
        return QStringLiteral("colour");
    case BridgedBox::SignalLine::Hdr:
        return QStringLiteral("hdr");
    case BridgedBox::SignalLine::HdrInfoFrame:
        return QStringLiteral("hdr-infoframe");
    }
    return {};
}
