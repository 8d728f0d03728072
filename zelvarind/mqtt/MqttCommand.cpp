// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/mqtt/MqttCommand.h"

#include "protocol/PacketRules.h"
#include "protocol/SettingsTable.h"

#include <QStringDecoder>
#include <QStringList>

namespace {

MqttCommand reject(const char *fault, const QString &reason)
{
    MqttCommand c;
    c.fault = QLatin1String(fault);
    c.reason = reason;
    return c;
}

MqttCommand cec(const QString &text)
{
    // The same text `zelvarinctl cec send` takes.
    const QString canonical = text.toLower();
    if (!PacketRules::isColonHex(text))
        return reject("hex",
            QStringLiteral("%1 is not hex bytes joined by colons (such as 50:04)")
                .arg(MqttCommand::quoted(text)));
    // The box counts the text with its closing carriage return.
    if (!PacketRules::fitsCecSend(int(canonical.size()) + 1))
        return reject("hex",
            QStringLiteral("a CEC message of %1 bytes; it takes at least 2 and at most %2")
                .arg((canonical.size() + 1) / 3)
                .arg(PacketRules::MAX_PREPARED_31_BYTES / 3));
    MqttCommand c;
    c.kind = MqttCommand::Kind::SendCec;
    c.value = canonical;
    return c;
}

} // namespace

MqttCommand MqttCommand::parse(const QString &subtopic, const QByteArray &payload, bool retained)
{
    if (payload.size() > MAX_PAYLOAD)
        return reject("oversized",
            QStringLiteral("a payload of %1 bytes (at most %2)")
                .arg(payload.size())
                .arg(MAX_PAYLOAD));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = QString(decoder(payload)).trimmed();
    if (decoder.hasError())
        return reject("encoding", QStringLiteral("a payload that is not UTF-8"));
    if (retained)
        return reject("retained",
            QStringLiteral("a retained command (publish commands without the retain flag)"));

    if (subtopic == QLatin1String("cec/send"))
        return cec(text);
    const QStringList levels = subtopic.split(QLatin1Char('/'));
    if (levels.size() != 3 || levels.at(0) != QLatin1String("setting")
        || levels.at(2) != QLatin1String("set"))
        return reject("topic", QStringLiteral("no command has the topic %1").arg(quoted(subtopic)));
    const Settings::Setting *s = Settings::find(levels.at(1));
    if (!s)
        return reject("setting",
            QStringLiteral("unknown setting %1; the settings are: %2")
                .arg(quoted(levels.at(1)), Settings::names().join(QLatin1Char(' '))));
    if (!Settings::valueOf(*s, text))
        return reject("value",
            QStringLiteral("%1 does not take %2; its values are: %3")
                .arg(QLatin1String(s->name), quoted(text), Settings::valueNames(*s)));
    MqttCommand c;
    c.kind = Kind::SetSetting;
    c.setting = QLatin1String(s->name);
    c.value = text;
    return c;
}

QString MqttCommand::quoted(const QString &text, int max)
{
    QString out;
    for (const QChar ch : text.left(max)) {
        if (ch.isPrint() && ch != QLatin1Char('\\') && ch != QLatin1Char('"'))
            out += ch;
        else
            out += QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (text.size() > max)
        out += QStringLiteral("...");
    return QLatin1Char('"') + out + QLatin1Char('"');
}
