// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// A command that came over MQTT for one box, checked before anything reaches the box. Anybody who
// may publish on the broker can send one, so every part is untrusted: the setting named in the
// topic, the value, the hex text, the payload's size and encoding. Names and values are those of
// the settings table, the hex text follows the rules of `zelvarinctl cec send`.
struct MqttCommand
{
    enum class Kind { SetSetting, SendCec, Rejected };

    // Far above the longest command (a CEC message of 31 bytes is 92 characters).
    static constexpr int MAX_PAYLOAD = 256;

    Kind kind = Kind::Rejected;
    QString setting; // SetSetting: the setting's name
    QString value; // SetSetting: the value's name; SendCec: the hex text, "50:04"
    // Rejected: the sort of fault in one fixed word (oversized, encoding, retained, topic,
    // setting, value, hex), and what was wrong in words that quote the payload only shortened.
    QString fault;
    QString reason;

    // `subtopic` is the topic below the box's own ("setting/input/set", "cec/send"). A retained
    // command is refused: it is a command somebody published once, handed out again to every new
    // subscription, and would otherwise be carried out again at every reconnection.
    static MqttCommand parse(const QString &subtopic, const QByteArray &payload, bool retained);

    // Untrusted text made fit for a log line: control characters escaped, at most `max`
    // characters, in quotes.
    static QString quoted(const QString &text, int max = 40);
};
