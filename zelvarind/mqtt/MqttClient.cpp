// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/mqtt/MqttClient.h"

#include <QSocketNotifier>

#include <mosquitto.h>

#ifndef _WIN32
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// The keepalive work of libmosquitto (pings, noticing a silent broker) wants a call now and then;
// once a second is far finer than any keepalive it serves.
constexpr int KEEPALIVE_TICK_MS = 1000;
// libmosquitto's error lines are kept for the next failure's reason, cut to a line's length.
constexpr int MAX_LIBRARY_ERROR = 300;
// Where Debian (and most systems) keep the trusted authorities, hashed for OpenSSL.
constexpr const char *SYSTEM_CA_FOLDER = "/etc/ssl/certs";

void initialiseLibrary()
{
    // Once per process, as libmosquitto asks; it sets up OpenSSL.
    static const bool done = [] {
        mosquitto_lib_init();
        return true;
    }();
    Q_UNUSED(done);
}

} // namespace

MqttClient::MqttClient(QObject *parent)
    : QObject(parent)
{
    m_keepalive.setInterval(KEEPALIVE_TICK_MS);
    m_retry.setSingleShot(true);
    m_connectTimeout.setSingleShot(true);
    connect(&m_keepalive, &QTimer::timeout, this, &MqttClient::keepalive);
    connect(&m_retry, &QTimer::timeout, this, &MqttClient::attempt);
    connect(&m_connectTimeout, &QTimer::timeout, this, [this] {
        if (m_state == State::Connecting)
            failed(QStringLiteral("broker %1:%2 did not answer within %3 s")
                       .arg(m_options.host)
                       .arg(m_options.port)
                       .arg(m_options.keepaliveSeconds));
    });
}

MqttClient::~MqttClient()
{
    stop();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
}

bool MqttClient::start(Options options, QString *error)
{
    initialiseLibrary();
    const auto refuse = [&](const QString &why) {
        options.password.fill('\0');
        if (error)
            *error = why;
        return false;
    };
    if (m_mosq)
        return refuse(QStringLiteral("the MQTT client is already started"));
    m_mosq = mosquitto_new(options.clientId.toUtf8().constData(), true, this);
    if (!m_mosq)
        return refuse(QStringLiteral("libmosquitto could not make a client"));
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // Commands and states are a few bytes each: sent at once, not held for a fuller packet.
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m_mosq, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttClient::onDisconnect);
    mosquitto_message_callback_set(m_mosq, &MqttClient::onMessage);
    mosquitto_log_callback_set(m_mosq, &MqttClient::onLog);

    if (!options.user.isEmpty()) {
        const int rc = mosquitto_username_pw_set(m_mosq, options.user.toUtf8().constData(),
            options.password.isEmpty() ? nullptr : options.password.constData());
        // libmosquitto keeps its own copy for every reconnection; ours goes now.
        options.password.fill('\0');
        if (rc != MOSQ_ERR_SUCCESS)
            return refuse(QStringLiteral("the user name was refused: %1")
                              .arg(QString::fromUtf8(mosquitto_strerror(rc))));
    }
    if (!options.willTopic.isEmpty()) {
        const int rc = mosquitto_will_set(m_mosq, options.willTopic.toUtf8().constData(),
            int(options.willPayload.size()), options.willPayload.constData(), 1, true);
        if (rc != MOSQ_ERR_SUCCESS)
            return refuse(QStringLiteral("the will topic %1 was refused").arg(options.willTopic));
    }
    if (options.tls) {
        // Without a CA file the system's authorities are trusted; this libmosquitto wants their
        // folder named even when told to use them.
        mosquitto_int_option(m_mosq, MOSQ_OPT_TLS_USE_OS_CERTS, options.caFile.isEmpty() ? 1 : 0);
        const QByteArray ca = options.caFile.toLocal8Bit();
        const QByteArray cert = options.certFile.toLocal8Bit();
        const QByteArray key = options.keyFile.toLocal8Bit();
        const int rc = mosquitto_tls_set(m_mosq, ca.isEmpty() ? nullptr : ca.constData(),
            ca.isEmpty() ? SYSTEM_CA_FOLDER : nullptr, cert.isEmpty() ? nullptr : cert.constData(),
            key.isEmpty() ? nullptr : key.constData(), nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            return refuse(QStringLiteral("the TLS files were refused (%1): check ca_file, "
                                         "cert_file and key_file")
                              .arg(QString::fromUtf8(mosquitto_strerror(rc))));
    }
    m_options = std::move(options);
    m_options.password.clear();
    m_nextRetryMs = m_options.firstRetryMs;
    m_firstAttempt = true;
    attempt();
    return true;
}

void MqttClient::stop()
{
    m_retry.stop();
    m_connectTimeout.stop();
    m_keepalive.stop();
    if (m_mosq && m_state == State::Connected) {
        m_state = State::Stopped;
        mosquitto_disconnect(m_mosq);
        // Whatever is still to go (the last retained lines, the DISCONNECT) goes now if the socket
        // takes it; a broker that does not is left to its will.
        for (int i = 0; i < 8 && mosquitto_want_write(m_mosq); ++i) {
            if (mosquitto_loop_write(m_mosq, 1) != MOSQ_ERR_SUCCESS)
                break;
        }
    }
    m_state = State::Stopped;
    dropNotifiers();
}

bool MqttClient::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    if (m_state != State::Connected)
        return false;
    const int rc = mosquitto_publish(m_mosq, nullptr, topic.toUtf8().constData(),
        int(payload.size()), payload.isEmpty() ? nullptr : payload.constData(), 1, retain);
    syncSocket();
    return rc == MOSQ_ERR_SUCCESS;
}

bool MqttClient::subscribe(const QString &filter)
{
    if (m_state != State::Connected)
        return false;
    const int rc = mosquitto_subscribe(m_mosq, nullptr, filter.toUtf8().constData(), 1);
    syncSocket();
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttClient::attempt()
{
    m_state = State::Connecting;
    m_refusal = 0;
    m_libraryError.clear();
    errno = 0;
    const int rc = m_firstAttempt
        ? mosquitto_connect_async(
            m_mosq, m_options.host.toUtf8().constData(), m_options.port, m_options.keepaliveSeconds)
        : mosquitto_reconnect_async(m_mosq);
    const QString reason = rc == MOSQ_ERR_SUCCESS ? QString() : describe(rc);
    m_firstAttempt = false;
    syncSocket();
    if (rc != MOSQ_ERR_SUCCESS) {
        failed(reason);
        return;
    }
    m_connectTimeout.start(m_options.keepaliveSeconds * 1000);
}

void MqttClient::failed(const QString &reason)
{
    dropNotifiers();
    m_keepalive.stop();
    m_connectTimeout.stop();
    m_state = State::Waiting;
    const int delay = m_nextRetryMs;
    m_nextRetryMs = std::min(m_nextRetryMs * 2, m_options.maxRetryMs);
    m_retry.start(delay);
    Q_EMIT connectionLost(reason, delay);
}

void MqttClient::readReady()
{
    const int rc = mosquitto_loop_read(m_mosq, 64);
    deliver();
#ifdef TCP_QUICKACK
    // Acknowledge the broker's next packet at once. Most brokers leave Nagle's algorithm on, so
    // a command that follows one of the broker's acknowledgements would otherwise wait for ours,
    // which the kernel likes to hold back for up to 40 ms.
    if (m_fd >= 0 && rc == MOSQ_ERR_SUCCESS) {
        const int on = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
#endif
    syncSocket();
    if (rc != MOSQ_ERR_SUCCESS && (m_state == State::Connecting || m_state == State::Connected))
        failed(describe(rc));
}

void MqttClient::writeReady()
{
    const int rc = mosquitto_loop_write(m_mosq, 64);
    syncSocket();
    if (rc != MOSQ_ERR_SUCCESS && (m_state == State::Connecting || m_state == State::Connected))
        failed(describe(rc));
}

void MqttClient::keepalive()
{
    const int rc = mosquitto_loop_misc(m_mosq);
    syncSocket();
    if (rc != MOSQ_ERR_SUCCESS && (m_state == State::Connecting || m_state == State::Connected))
        failed(describe(rc));
}

void MqttClient::syncSocket()
{
    if (m_state == State::Waiting || m_state == State::Stopped)
        return;
    const int fd = m_mosq ? mosquitto_socket(m_mosq) : -1;
    if (fd != m_fd || (fd >= 0 && !m_read)) {
        dropNotifiers();
        m_fd = fd;
        if (fd >= 0) {
            m_read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            m_write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
            connect(m_read.get(), &QSocketNotifier::activated, this, &MqttClient::readReady);
            connect(m_write.get(), &QSocketNotifier::activated, this, &MqttClient::writeReady);
            m_keepalive.start();
        }
    }
    if (m_write)
        m_write->setEnabled(mosquitto_want_write(m_mosq));
}

void MqttClient::dropNotifiers()
{
    // A notifier may be the one whose signal is being handled: it goes when the loop is back.
    for (std::unique_ptr<QSocketNotifier> *n : { &m_read, &m_write }) {
        if (*n) {
            (*n)->setEnabled(false);
            n->release()->deleteLater();
        }
    }
    m_fd = -1;
}

QString MqttClient::describe(int code) const
{
    const int savedErrno = errno;
    QString what;
    switch (code) {
    case MOSQ_ERR_CONN_LOST:
        what = QStringLiteral("the connection was lost");
        break;
    case MOSQ_ERR_KEEPALIVE:
        what = QStringLiteral("the broker stopped answering");
        break;
    case MOSQ_ERR_TLS:
        what = QStringLiteral("TLS failed (check ca_file and the broker's certificate)");
        break;
    case MOSQ_ERR_EAI:
        what = QStringLiteral("the host name could not be resolved");
        break;
    case MOSQ_ERR_ERRNO:
        what = savedErrno ? QString::fromLocal8Bit(std::strerror(savedErrno))
                          : QStringLiteral("a system call failed");
        break;
    default:
        what = QString::fromUtf8(mosquitto_strerror(code));
        break;
    }
    if (!m_libraryError.isEmpty())
        what += QStringLiteral(": ") + m_libraryError;
    return QStringLiteral("broker %1:%2: %3").arg(m_options.host).arg(m_options.port).arg(what);
}

void MqttClient::onConnect(mosquitto *, void *self, int code)
{
    auto *c = static_cast<MqttClient *>(self);
    if (code != 0) {
        // libmosquitto ends the connection next and reports that; the refusal is the reason.
        c->m_refusal = code;
        return;
    }
    c->m_connectTimeout.stop();
    c->m_state = State::Connected;
    c->m_nextRetryMs = c->m_options.firstRetryMs;
    Q_EMIT c->connected();
}

void MqttClient::onDisconnect(mosquitto *, void *self, int code)
{
    auto *c = static_cast<MqttClient *>(self);
    if (c->m_state == State::Stopped || c->m_state == State::Waiting)
        return;
    QString reason;
    const QString user = c->m_options.user;
    switch (c->m_refusal) {
    case 0:
        reason = c->describe(code);
        break;
    case 2:
        reason
            = QStringLiteral("the broker refused the client id \"%1\"").arg(c->m_options.clientId);
        break;
    case 4:
    case 5:
        // Mosquitto answers a wrong password with "not authorised" (5), others with 4.
        reason = user.isEmpty()
            ? QStringLiteral("the broker wants a user name and password: set user and "
                             "password_file")
            : QStringLiteral("the broker refused user \"%1\" with the password of "
                             "password_file (wrong user name or password, or not allowed)")
                  .arg(user);
        break;
    default:
        reason = QStringLiteral("the broker refused the connection: %1")
                     .arg(QString::fromUtf8(mosquitto_connack_string(c->m_refusal)));
        break;
    }
    if (c->m_refusal != 0)
        reason = QStringLiteral("broker %1:%2: %3")
                     .arg(c->m_options.host)
                     .arg(c->m_options.port)
                     .arg(reason);
    c->failed(reason);
}

void MqttClient::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    // Handed on once libmosquitto is done reading: whatever a receiver does then (a request to
    // the box, even an event loop of its own) cannot land back inside libmosquitto's read.
    static_cast<MqttClient *>(self)->m_inbox.append({ QString::fromUtf8(message->topic),
        QByteArray(static_cast<const char *>(message->payload), message->payloadlen),
        message->retain });
}

void MqttClient::deliver()
{
    // One read takes at most a few packets, so the inbox holds a few messages at a time.
    while (!m_inbox.isEmpty()) {
        const Incoming m = m_inbox.takeFirst();
        Q_EMIT messageReceived(m.topic, m.payload, m.retained);
    }
}

void MqttClient::onLog(mosquitto *, void *self, int level, const char *text)
{
    if (!(level & (MOSQ_LOG_ERR | MOSQ_LOG_WARNING)) || !text)
        return;
    static_cast<MqttClient *>(self)->m_libraryError
        = QString::fromUtf8(text).left(MAX_LIBRARY_ERROR);
}
