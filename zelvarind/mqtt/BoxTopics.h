// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "zelvarind/mqtt/BridgedBox.h"

#include <QList>
#include <QString>
#include <QStringList>

// The topics of one box, all under PREFIX/BOX (docs/mqtt.md lists them):
//   availability                 online | offline (retained)
//   firmware, busy               "2.1.0.17", true | false (retained)
//   setting/NAME                 the value's name, as `zelvarinctl get NAME` prints it (retained)
//   setting/NAME/set             command: a value name, as `zelvarinctl set NAME=VALUE` takes it
//   signal/source|video|colour|hdr|hdr-infoframe   the signal's words (retained)
//   cec/send                     command: CEC bytes in hex, as `zelvarinctl cec send` takes them
class BoxTopics
{
public:
    BoxTopics(const QString &prefix, const QString &boxId);

    const QString &boxId() const { return m_id; }
    const QString &base() const { return m_base; }
    QString availability() const;
    QString firmware() const;
    QString busy() const;
    QString setting(const QString &name) const;
    QString settingCommand(const QString &name) const;
    QString signal(BridgedBox::SignalLine line) const;
    QString cecSend() const;
    // The subscriptions that bring this box's commands.
    QStringList commandFilters() const;
    // Every retained topic the bridge publishes for the box.
    QStringList retainedTopics() const;

    static const QList<BridgedBox::SignalLine> &signalLines();
    static QString signalWord(BridgedBox::SignalLine line); // "source", "hdr-infoframe"

private:
    QString m_id;
    QString m_base;
};
