// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/mqtt/Discovery.h"

#include "protocol/SettingsTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

enum class Kind { Select, Switch, Sensor, Button };

struct Entity
{
    Kind kind;
    QString object; // Home Assistant's object id: letters, digits, '-' and '_'
    QString name;
    const Settings::Setting *setting = nullptr;
    BridgedBox::SignalLine line = BridgedBox::SignalLine::Source;
    bool firmware = false;
    const char *cec = nullptr;
};

QString component(Kind kind)
{
    switch (kind) {
    case Kind::Select:
        return QStringLiteral("select");
    case Kind::Switch:
        return QStringLiteral("switch");
    case Kind::Sensor:
        return QStringLiteral("sensor");
    case Kind::Button:
        return QStringLiteral("button");
    }
    return {};
}

bool isOnOff(const Settings::Setting &s)
{
    return s.values.size() == 2 && Settings::valueOf(s, QStringLiteral("on"))
        && Settings::valueOf(s, QStringLiteral("off"));
}

QString sentence(const char *summary)
{
    QString text = QLatin1String(summary);
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

// The one list of entities, in the order Home Assistant is told of them.
QList<Entity> entities()
{
    QList<Entity> list;
    for (const Settings::Setting &s : Settings::all()) {
        Entity e { isOnOff(s) ? Kind::Switch : Kind::Select, QLatin1String(s.name),
            sentence(s.summary) };
        // "edid-5.1" is a fine topic level but not an object id.
        e.object.replace(QLatin1Char('.'), QLatin1Char('_'));
        e.setting = &s;
        list << e;
    }
    using L = BridgedBox::SignalLine;
    const QList<QPair<L, const char *>> signalNames = { { L::Source, "Signal source" },
        { L::Video, "Signal video" }, { L::Colour, "Signal colour" }, { L::Hdr, "Signal HDR" } };
    for (const auto &[line, name] : signalNames) {
        Entity e { Kind::Sensor, QStringLiteral("signal-") + BoxTopics::signalWord(line),
            QLatin1String(name) };
        e.line = line;
        list << e;
    }
    Entity firmware { Kind::Sensor, QStringLiteral("firmware"), QStringLiteral("Firmware") };
    firmware.firmware = true;
    list << firmware;
    Entity on { Kind::Button, QStringLiteral("tv-on"), QStringLiteral("TV on") };
    on.cec = Discovery::CEC_TV_ON;
    Entity standby { Kind::Button, QStringLiteral("tv-standby"), QStringLiteral("TV standby") };
    standby.cec = Discovery::CEC_TV_STANDBY;
    list << on << standby;
    return list;
}

QString nodeId(const QString &boxId)
{
    return QStringLiteral("zelvarin_") + boxId;
}

QString configTopic(const QString &prefix, const QString &boxId, const Entity &e)
{
    return QStringLiteral("%1/%2/%3/%4/config")
        .arg(prefix, component(e.kind), nodeId(boxId), e.object);
}

QJsonObject entityConfig(const Entity &e, const BoxTopics &topics)
{
    QJsonObject c;
    c.insert(QStringLiteral("name"), e.name);
    switch (e.kind) {
    case Kind::Select: {
        QJsonArray options;
        for (const Settings::NamedValue &v : e.setting->values)
            options.append(QLatin1String(v.name));
        c.insert(QStringLiteral("options"), options);
        Q_FALLTHROUGH();
    }
    case Kind::Switch: {
        const QString name = QLatin1String(e.setting->name);
        c.insert(QStringLiteral("state_topic"), topics.setting(name));
        c.insert(QStringLiteral("command_topic"), topics.settingCommand(name));
        if (e.kind == Kind::Switch) {
            c.insert(QStringLiteral("payload_on"), QStringLiteral("on"));
            c.insert(QStringLiteral("payload_off"), QStringLiteral("off"));
            c.insert(QStringLiteral("state_on"), QStringLiteral("on"));
            c.insert(QStringLiteral("state_off"), QStringLiteral("off"));
        }
        // The input is what the box is for; the rest is how it is set up.
        if (e.setting->id != Settings::Id::Input)
            c.insert(QStringLiteral("entity_category"), QStringLiteral("config"));
        break;
    }
    case Kind::Sensor:
        c.insert(
            QStringLiteral("state_topic"), e.firmware ? topics.firmware() : topics.signal(e.line));
        if (e.firmware)
            c.insert(QStringLiteral("entity_category"), QStringLiteral("diagnostic"));
        break;
    case Kind::Button:
        c.insert(QStringLiteral("command_topic"), topics.cecSend());
        c.insert(QStringLiteral("payload_press"), QLatin1String(e.cec));
        break;
    }
    return c;
}

} // namespace

QList<QPair<QString, QByteArray>> Discovery::configs(const QString &discoveryPrefix,
    const BoxTopics &topics, const QString &bridgeAvailability, const Device &device)
{
    const QString node = nodeId(topics.boxId());
    QJsonObject deviceJson;
    deviceJson.insert(QStringLiteral("identifiers"), QJsonArray { node });
    deviceJson.insert(QStringLiteral("name"), QStringLiteral("ZELVARIN ") + topics.boxId());
    deviceJson.insert(QStringLiteral("model"), device.model);
    deviceJson.insert(QStringLiteral("serial_number"), device.serial);
    if (!device.firmware.isEmpty())
        deviceJson.insert(QStringLiteral("sw_version"), device.firmware);
    const QJsonObject origin { { QStringLiteral("name"), QStringLiteral("zelvarind") },
        { QStringLiteral("sw_version"), QStringLiteral(ZELVARIN_VERSION) } };
    const QJsonArray availability {
        QJsonObject { { QStringLiteral("topic"), bridgeAvailability } },
        QJsonObject { { QStringLiteral("topic"), topics.availability() } },
    };

    QList<QPair<QString, QByteArray>> out;
    for (const Entity &e : entities()) {
        QJsonObject c = entityConfig(e, topics);
        // No entity id of our own: Home Assistant makes one from the device's name and the
        // entity's (select.zelvarin_2023_active_input), and the user may rename it.
        c.insert(QStringLiteral("unique_id"), node + QLatin1Char('_') + e.object);
        c.insert(QStringLiteral("availability"), availability);
        c.insert(QStringLiteral("availability_mode"), QStringLiteral("all"));
        c.insert(QStringLiteral("device"), deviceJson);
        c.insert(QStringLiteral("origin"), origin);
        out.append({ configTopic(discoveryPrefix, topics.boxId(), e),
            QJsonDocument(c).toJson(QJsonDocument::Compact) });
    }
    return out;
}

QStringList Discovery::configTopics(const QString &discoveryPrefix, const QString &boxId)
{
    QStringList topics;
    for (const Entity &e : entities())
        topics << configTopic(discoveryPrefix, boxId, e);
    return topics;
}
