// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "zelvarind/mqtt/BoxTopics.h"
#include "zelvarind/mqtt/BridgedBox.h"
#include "zelvarind/mqtt/Discovery.h"
#include "zelvarind/mqtt/MqttClient.h"
#include "zelvarind/mqtt/MqttConfig.h"
#include "zelvarind/mqtt/RateLimitedLog.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>

// The boxes of the service on an MQTT broker: their state as retained topics, their commands from
// command topics, Home Assistant discovery for each, availability with the broker's will behind
// it (docs/mqtt.md). The bridge keeps no queue: it remembers what it last published on each topic
// and, whenever a box changes or the connection comes back, publishes what differs, so an outage
// costs nothing but the time it lasts, and a reconnection (or a broker that lost its retained
// messages) gets everything again.
class MqttBridge : public QObject
{
    Q_OBJECT

public:
    using Logger = std::function<void(const QString &)>;

    explicit MqttBridge(MqttConfig config, QObject *parent = nullptr);
    ~MqttBridge() override; // the boxes and the bridge go "offline" first

    // Where the lines go (default: qInfo). Lines never hold the password.
    void setLogger(Logger logger);
    // The clock of the rate limit on rejected commands, for tests (default: monotonic).
    void setClock(RateLimitedLog::Now now);
    // The delays between connection attempts (default 1 s doubling to 60 s).
    void setRetryDelays(int firstMs, int maxMs);

    // Reads the password file, checks the TLS files and starts connecting; false with one line in
    // `error` when a file is refused. The broker being away is not an error: it is tried again.
    bool start(QString *error);

    // A box the service has. One the configuration leaves out is not published.
    void addBox(BridgedBox *box);
    // The box is gone from the service: it is published "offline" and its entities stay, so that
    // Home Assistant shows it unavailable until it is back. (A box is removed from Home Assistant
    // by leaving it out of the configuration's `boxes`.)
    void removeBox(BridgedBox *box);

    bool isConnected() const { return m_client.isConnected(); }
    MqttClient &client() { return m_client; }
    const MqttConfig &config() const { return m_config; }
    // PREFIX/bridge/CLIENT/availability: online while the bridge is connected; the will says
    // offline.
    QString availabilityTopic() const;
    // PREFIX/bridge/CLIENT/boxes: the ids this bridge has published, for removing entities later.
    QString boxListTopic() const;

Q_SIGNALS:
    void connectionChanged(bool connected);

private:
    struct Tracked
    {
        BoxTopics topics;
        QPointer<BridgedBox> box;
        Discovery::Device device;
        QList<QPair<QString, QByteArray>> discovery;
    };

    void log(const QString &line) const;
    void onConnected();
    void onMessage(const QString &topic, const QByteArray &payload, bool retained);
    void onBoxList(const QByteArray &payload);
    void command(Tracked &t, const QString &subtopic, const QByteArray &payload, bool retained);
    void scheduleFlush() { m_flush.start(); }
    void flush();
    void publishIfChanged(const QString &topic, const QByteArray &payload);
    // Empty retained messages on every topic of a box that is no longer published.
    void clearBox(const QString &boxId, bool stateToo);
    // The ids of the box list: those published before and those of this run, sorted.
    QStringList boxIds() const;
    Tracked *find(const QString &boxId);
    void refreshDevice(Tracked &t);

    MqttConfig m_config;
    MqttClient m_client;
    Logger m_logger;
    RateLimitedLog::Now m_now;
    std::unique_ptr<RateLimitedLog> m_rejects;
    int m_firstRetryMs = 1000;
    int m_maxRetryMs = 60000;
    QList<Tracked> m_boxes;
    QSet<QString> m_listed; // ids named in the retained box list
    QSet<QString> m_leftOut; // serials already logged as left out
    QSet<QString> m_undiscovered; // ids whose entities were removed on this connection
    QHash<QString, QByteArray> m_published; // since the connection began
    QTimer m_flush;
    qint64 m_lastRepublishMs = -1;
};
