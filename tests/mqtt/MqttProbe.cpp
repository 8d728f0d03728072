// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/mqtt/MqttProbe.h"

#include <QMutexLocker>
#include <QTest>
#include <QUuid>

#include <mosquitto.h>

MqttProbe::MqttProbe(int port, const QString &user, const QString &password)
    : m_port(port)
    , m_user(user)
    , m_password(password)
{
    mosquitto_lib_init();
    const QByteArray id = "probe-" + QUuid::createUuid().toByteArray(QUuid::Id128).left(12);
    m_mosq = mosquitto_new(id.constData(), true, this);
    mosquitto_message_callback_set(m_mosq, &MqttProbe::onMessage);
    mosquitto_connect_callback_set(m_mosq, &MqttProbe::onConnect);
    mosquitto_username_pw_set(m_mosq, m_user.toUtf8().constData(), m_password.toUtf8().constData());
}

MqttProbe::~MqttProbe()
{
    mosquitto_disconnect(m_mosq);
    mosquitto_loop_stop(m_mosq, false);
    mosquitto_destroy(m_mosq);
}

bool MqttProbe::connect(QString *error)
{
    int rc = mosquitto_connect(m_mosq, "127.0.0.1", m_port, 30);
    if (rc == MOSQ_ERR_SUCCESS)
        rc = mosquitto_loop_start(m_mosq);
    if (rc != MOSQ_ERR_SUCCESS) {
        *error = QString::fromUtf8(mosquitto_strerror(rc));
        return false;
    }
    const bool answered = QTest::qWaitFor([this] {
        QMutexLocker lock(&m_mutex);
        return m_connack >= 0;
    });
    QMutexLocker lock(&m_mutex);
    if (!answered || m_connack != 0) {
        *error = QStringLiteral("the probe was not let in (CONNACK %1)").arg(m_connack);
        return false;
    }
    return true;
}

void MqttProbe::subscribe(const QString &filter)
{
    mosquitto_subscribe(m_mosq, nullptr, filter.toUtf8().constData(), 1);
}

void MqttProbe::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    mosquitto_publish(m_mosq, nullptr, topic.toUtf8().constData(), int(payload.size()),
        payload.constData(), 1, retain);
}

bool MqttProbe::sync()
{
    // Messages for one client come in the order the broker took them in; a subscription's
    // retained messages come before anything published after it.
    const QString topic
        = QStringLiteral("probe-sync/%1/%2").arg(reinterpret_cast<quintptr>(this)).arg(++m_syncs);
    subscribe(topic);
    publish(topic, "sync");
    return waitFor(topic, "sync");
}

QList<MqttProbe::Message> MqttProbe::messages() const
{
    QMutexLocker lock(&m_mutex);
    QList<Message> own;
    for (const Message &m : m_messages) {
        if (!m.topic.startsWith(QLatin1String("probe-sync/")))
            own << m;
    }
    return own;
}

void MqttProbe::clear()
{
    QMutexLocker lock(&m_mutex);
    m_messages.clear();
}

std::optional<QByteArray> MqttProbe::last(const QString &topic) const
{
    QMutexLocker lock(&m_mutex);
    for (auto it = m_messages.crbegin(); it != m_messages.crend(); ++it) {
        if (it->topic == topic)
            return it->payload;
    }
    return std::nullopt;
}

bool MqttProbe::waitFor(const QString &topic, const QByteArray &payload, int ms) const
{
    return QTest::qWaitFor([&] { return last(topic) == payload; }, ms);
}

void MqttProbe::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *p = static_cast<MqttProbe *>(self);
    QMutexLocker lock(&p->m_mutex);
    p->m_messages.append({ QString::fromUtf8(message->topic),
        QByteArray(static_cast<const char *>(message->payload), message->payloadlen),
        message->retain });
}

void MqttProbe::onConnect(mosquitto *, void *self, int code)
{
    auto *p = static_cast<MqttProbe *>(self);
    QMutexLocker lock(&p->m_mutex);
    p->m_connack = code;
}
