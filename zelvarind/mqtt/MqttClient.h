// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSocketNotifier;
struct mosquitto;
struct mosquitto_message;

// One connection to an MQTT broker through libmosquitto, run by the Qt event loop: the socket sits
// in two QSocketNotifiers (reading always, writing only while libmosquitto has bytes to send), a
// timer calls libmosquitto's keepalive work, and nothing blocks or spins. A lost or refused
// connection is tried again after a delay that doubles up to a ceiling and starts again from the
// first after a connection that was accepted.
//
// Nothing is queued while the broker is away: publish() refuses, and the owner publishes its state
// again when connected() comes. The password is handed to libmosquitto once and wiped here.
class MqttClient : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString host;
        int port = 1883;
        bool tls = false;
        QString caFile; // empty with tls: the system's certificate authorities
        QString certFile;
        QString keyFile;
        QString clientId;
        QString user;
        QByteArray password; // wiped by start()
        int keepaliveSeconds = 60;
        QString willTopic; // published by the broker if the connection dies unannounced
        QByteArray willPayload;
        int firstRetryMs = 1000;
        int maxRetryMs = 60000;
    };

    enum class State { Stopped, Connecting, Connected, Waiting };

    explicit MqttClient(QObject *parent = nullptr);
    ~MqttClient() override;

    // Sets the connection up and starts the first attempt; false, with the reason, only when
    // libmosquitto refuses the options (an unreadable certificate, for one). A broker that does
    // not answer is not an error here: it is tried again.
    bool start(Options options, QString *error);
    // Says goodbye to the broker (its will is then not published) and stops trying.
    void stop();

    State state() const { return m_state; }
    bool isConnected() const { return m_state == State::Connected; }
    // QoS 1. False when not connected: nothing is kept for later.
    bool publish(const QString &topic, const QByteArray &payload, bool retain);
    bool subscribe(const QString &filter);
    // The socket of the current connection, -1 between connections.
    int socketDescriptor() const { return m_fd; }

Q_SIGNALS:
    void connected();
    // The connection failed or ended; the next attempt comes in `retryMs` milliseconds.
    void connectionLost(const QString &reason, int retryMs);
    void messageReceived(const QString &topic, const QByteArray &payload, bool retained);

private:
    static void onConnect(mosquitto *, void *self, int code);
    static void onDisconnect(mosquitto *, void *self, int code);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);
    static void onLog(mosquitto *, void *self, int level, const char *text);

    void attempt();
    void failed(const QString &reason);
    void readReady();
    void writeReady();
    void keepalive();
    // After every call into libmosquitto: follow its socket and whether it has bytes to send.
    void syncSocket();
    void dropNotifiers();
    void deliver();
    QString describe(int code) const;

    mosquitto *m_mosq = nullptr;
    Options m_options;
    State m_state = State::Stopped;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_read;
    std::unique_ptr<QSocketNotifier> m_write;
    QTimer m_keepalive;
    QTimer m_retry;
    QTimer m_connectTimeout;
    int m_nextRetryMs = 0;
    int m_refusal = 0; // the CONNACK code of a refused attempt
    QString m_libraryError; // libmosquitto's last error line, for the next failure's reason
    bool m_firstAttempt = true;
    struct Incoming
    {
        QString topic;
        QByteArray payload;
        bool retained;
    };
    QList<Incoming> m_inbox;
};
