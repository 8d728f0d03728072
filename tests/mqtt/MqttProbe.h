// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

#include <optional>

struct mosquitto;
struct mosquitto_message;

// A second MQTT client for the tests, independent of the bridge's: plain libmosquitto with its own
// network thread, which records every message it receives. It watches what the bridge publishes
// and publishes the commands a home-automation system would.
class MqttProbe
{
public:
    struct Message
    {
        QString topic;
        QByteArray payload;
        bool retained = false;
    };

    MqttProbe(int port, const QString &user, const QString &password);
    ~MqttProbe();

    // Connects and waits for the broker's answer (the Qt event loop runs meanwhile).
    bool connect(QString *error);
    void subscribe(const QString &filter);
    void publish(const QString &topic, const QByteArray &payload, bool retain = false);
    // Returns once every message the broker had for this client before the call has arrived:
    // it publishes to a topic of its own and waits for that message to come back.
    bool sync();

    QList<Message> messages() const;
    void clear();
    // The payload of the last message on `topic`.
    std::optional<QByteArray> last(const QString &topic) const;
    // Waits, running the event loop, until `topic` last carried `payload`.
    bool waitFor(const QString &topic, const QByteArray &payload, int ms = 15000) const;

private:
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);
    static void onConnect(mosquitto *, void *self, int code);

    mosquitto *m_mosq = nullptr;
    int m_port;
    QString m_user;
    QString m_password;
    mutable QMutex m_mutex;
    QList<Message> m_messages;
    int m_connack = -1;
    int m_syncs = 0;
};
