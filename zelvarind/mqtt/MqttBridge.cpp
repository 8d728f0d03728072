// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/mqtt/MqttBridge.h"

#include "protocol/SettingsTable.h"
#include "zelvarind/mqtt/MqttCommand.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QByteArray ONLINE = QByteArrayLiteral("online");
const QByteArray OFFLINE = QByteArrayLiteral("offline");

// Home Assistant says "online" on this topic when it starts, and wants discovery again then; more
// than once in this long is not a restart worth answering.
constexpr qint64 REPUBLISH_GAP_MS = 5000;
// The retained box list is read back from the broker: anybody may have written it.
constexpr int MAX_BOX_LIST = 65536;
constexpr int MAX_LISTED_BOXES = 256;

} // namespace

MqttBridge::MqttBridge(MqttConfig config, QObject *parent)
    : QObject(parent)
    , m_config(std::move(config))
{
    m_flush.setSingleShot(true);
    m_flush.setInterval(0);
    connect(&m_flush, &QTimer::timeout, this, &MqttBridge::flush);
    connect(&m_client, &MqttClient::connected, this, &MqttBridge::onConnected);
    connect(&m_client, &MqttClient::connectionLost, this, [this](const QString &why, int retryMs) {
        log(QStringLiteral("mqtt: %1; trying again in %2 s")
                .arg(why)
                .arg(double(retryMs) / 1000.0, 0, 'g', 3));
        Q_EMIT connectionChanged(false);
    });
    connect(&m_client, &MqttClient::messageReceived, this, &MqttBridge::onMessage);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    setClock([clock] { return clock->elapsed(); });
}

MqttBridge::~MqttBridge()
{
    m_flush.stop();
    if (m_client.isConnected()) {
        for (const Tracked &t : std::as_const(m_boxes))
            m_client.publish(t.topics.availability(), OFFLINE, true);
        m_client.publish(availabilityTopic(), OFFLINE, true);
    }
    m_client.stop();
}

void MqttBridge::setLogger(Logger logger)
{
    m_logger = std::move(logger);
}

void MqttBridge::setClock(RateLimitedLog::Now now)
{
    m_now = now;
    m_rejects = std::make_unique<RateLimitedLog>(
        [this](const QString &line) { log(line); }, std::move(now));
}

void MqttBridge::setRetryDelays(int firstMs, int maxMs)
{
    m_firstRetryMs = firstMs;
    m_maxRetryMs = maxMs;
}

void MqttBridge::log(const QString &line) const
{
    if (m_logger)
        m_logger(line);
    else
        qInfo().noquote() << line;
}

QString MqttBridge::availabilityTopic() const
{
    return QStringLiteral("%1/bridge/%2/availability").arg(m_config.topicPrefix, m_config.clientId);
}

QString MqttBridge::boxListTopic() const
{
    return QStringLiteral("%1/bridge/%2/boxes").arg(m_config.topicPrefix, m_config.clientId);
}

bool MqttBridge::start(QString *error)
{
    MqttClient::Options o;
    o.host = m_config.host;
    o.port = m_config.port;
    o.tls = m_config.tls;
    o.clientId = m_config.clientId;
    o.user = m_config.user;
    o.keepaliveSeconds = m_config.keepaliveSeconds;
    o.willTopic = availabilityTopic();
    o.willPayload = OFFLINE;
    o.firstRetryMs = m_firstRetryMs;
    o.maxRetryMs = m_maxRetryMs;
    for (const auto &[file, key] : { std::pair { m_config.caFile, "ca_file" },
             std::pair { m_config.certFile, "cert_file" } }) {
        if (!file.isEmpty() && !QFileInfo(file).isReadable()) {
            if (error)
                *error
                    = QStringLiteral("[mqtt] %1: %2 cannot be read").arg(QLatin1String(key), file);
            return false;
        }
    }
    if (!m_config.keyFile.isEmpty()
        && !MqttConfig::checkPrivateFile(m_config.keyFile, "key_file", error))
        return false;
    o.caFile = m_config.caFile;
    o.certFile = m_config.certFile;
    o.keyFile = m_config.keyFile;
    if (!m_config.passwordFile.isEmpty()
        && !MqttConfig::readPassword(m_config.passwordFile, o.password, error))
        return false;
    log(QStringLiteral("mqtt: connecting to %1 as %2")
            .arg(m_config.brokerUrl(), m_config.clientId));
    // start() wipes the password whatever it answers.
    return m_client.start(std::move(o), error);
}

void MqttBridge::addBox(BridgedBox *box)
{
    const QString serial = box->serial();
    const QString id = m_config.boxId(serial);
    if (id.isEmpty()) {
        if (!m_leftOut.contains(serial)) {
            m_leftOut.insert(serial);
            log(QStringLiteral("mqtt: box %1 is not in [mqtt] boxes and is not published")
                    .arg(MqttCommand::quoted(serial)));
        }
        return;
    }
    Tracked *t = find(id);
    if (t && t->box && t->box != box) {
        log(QStringLiteral("mqtt: a second box with the id %1 (serial %2) is not published; give "
                           "each box its own id in [mqtt] boxes")
                .arg(id, MqttCommand::quoted(serial)));
        return;
    }
    if (!t) {
        m_boxes.append(Tracked { BoxTopics(m_config.topicPrefix, id), nullptr, {}, {} });
        t = &m_boxes.last();
        if (m_client.isConnected()) {
            for (const QString &filter : t->topics.commandFilters())
                m_client.subscribe(filter);
        }
    }
    t->box = box;
    connect(box, &BridgedBox::changed, this, &MqttBridge::scheduleFlush, Qt::UniqueConnection);
    connect(box, &QObject::destroyed, this, &MqttBridge::scheduleFlush, Qt::UniqueConnection);
    scheduleFlush();
}

void MqttBridge::removeBox(BridgedBox *box)
{
    for (Tracked &t : m_boxes) {
        if (t.box == box) {
            disconnect(box, nullptr, this, nullptr);
            t.box = nullptr;
        }
    }
    scheduleFlush();
}

MqttBridge::Tracked *MqttBridge::find(const QString &boxId)
{
    for (Tracked &t : m_boxes) {
        if (t.topics.boxId() == boxId)
            return &t;
    }
    return nullptr;
}

void MqttBridge::onConnected()
{
    log(QStringLiteral("mqtt: connected to %1").arg(m_config.brokerUrl()));
    // A new connection may be to a broker that has forgotten everything: all goes out again.
    m_published.clear();
    m_undiscovered.clear();
    m_client.subscribe(boxListTopic());
    if (m_config.discovery)
        m_client.subscribe(m_config.discoveryPrefix + QStringLiteral("/status"));
    for (const Tracked &t : std::as_const(m_boxes)) {
        for (const QString &filter : t.topics.commandFilters())
            m_client.subscribe(filter);
    }
    Q_EMIT connectionChanged(true);
    scheduleFlush();
}

void MqttBridge::refreshDevice(Tracked &t)
{
    Discovery::Device d = t.device;
    if (t.box) {
        d.serial = t.box->serial();
        d.model = t.box->model();
        if (!t.box->firmware().isEmpty())
            d.firmware = t.box->firmware();
    }
    if (!t.discovery.isEmpty() && d.serial == t.device.serial && d.model == t.device.model
        && d.firmware == t.device.firmware)
        return;
    t.device = d;
    t.discovery = Discovery::configs(m_config.discoveryPrefix, t.topics, availabilityTopic(), d);
}

void MqttBridge::flush()
{
    if (!m_client.isConnected())
        return;
    for (Tracked &t : m_boxes) {
        refreshDevice(t);
        if (m_config.discovery) {
            for (const auto &[topic, config] : std::as_const(t.discovery))
                publishIfChanged(topic, config);
        }
        const BridgedBox *box = t.box;
        const bool up = box && box->available();
        if (up) {
            // Values not known yet are left as the broker has them.
            const auto state = [this](const QString &topic, const QString &value) {
                if (!value.isEmpty())
                    publishIfChanged(topic, value.toUtf8());
            };
            state(t.topics.firmware(), box->firmware());
            state(t.topics.busy(), box->busy() ? QStringLiteral("true") : QStringLiteral("false"));
            for (const Settings::Setting &s : Settings::all()) {
                const QString name = QLatin1String(s.name);
                state(t.topics.setting(name), box->setting(name));
            }
            for (BridgedBox::SignalLine line : BoxTopics::signalLines())
                state(t.topics.signal(line), box->signalText(line));
        }
        publishIfChanged(t.topics.availability(), up ? ONLINE : OFFLINE);
    }
    publishIfChanged(boxListTopic(),
        QJsonDocument(QJsonArray::fromStringList(boxIds())).toJson(QJsonDocument::Compact));
    publishIfChanged(availabilityTopic(), ONLINE);
}

void MqttBridge::publishIfChanged(const QString &topic, const QByteArray &payload)
{
    const auto it = m_published.constFind(topic);
    if (it != m_published.constEnd() && *it == payload)
        return;
    if (m_client.publish(topic, payload, true))
        m_published.insert(topic, payload);
}

QStringList MqttBridge::boxIds() const
{
    QStringList ids(m_listed.begin(), m_listed.end());
    for (const Tracked &t : m_boxes)
        ids << t.topics.boxId();
    ids.removeDuplicates();
    std::sort(ids.begin(), ids.end());
    return ids;
}

void MqttBridge::clearBox(const QString &boxId, bool stateToo)
{
    QStringList topics = Discovery::configTopics(m_config.discoveryPrefix, boxId);
    if (stateToo)
        topics += BoxTopics(m_config.topicPrefix, boxId).retainedTopics();
    for (const QString &topic : topics) {
        m_client.publish(topic, QByteArray(), true);
        m_published.remove(topic);
    }
}

void MqttBridge::onBoxList(const QByteArray &payload)
{
    if (payload.size() > MAX_BOX_LIST)
        return;
    static const QRegularExpression idPattern(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    QSet<QString> configured;
    for (const MqttConfig::Box &b : m_config.boxes)
        configured.insert(b.id);
    const QJsonArray ids = QJsonDocument::fromJson(payload).array();
    int count = 0;
    for (const QJsonValue &v : ids) {
        const QString id = v.toString();
        if (!idPattern.match(id).hasMatch() || ++count > MAX_LISTED_BOXES)
            continue;
        if (!configured.isEmpty() && !configured.contains(id) && !find(id)) {
            // Left out of the configuration since it was published: its entities go.
            log(QStringLiteral("mqtt: box %1 is no longer in [mqtt] boxes; removing its entities")
                    .arg(id));
            clearBox(id, true);
            m_listed.remove(id);
            continue;
        }
        m_listed.insert(id);
    }
    // With discovery turned off, the entities published before go, once per connection.
    if (!m_config.discovery) {
        for (const QString &id : boxIds()) {
            if (!m_undiscovered.contains(id)) {
                m_undiscovered.insert(id);
                clearBox(id, false);
            }
        }
    }
    scheduleFlush();
}

void MqttBridge::onMessage(const QString &topic, const QByteArray &payload, bool retained)
{
    if (topic == boxListTopic()) {
        onBoxList(payload);
        return;
    }
    if (m_config.discovery && topic == m_config.discoveryPrefix + QStringLiteral("/status")) {
        const qint64 now = m_now();
        if (payload == ONLINE
            && (m_lastRepublishMs < 0 || now - m_lastRepublishMs >= REPUBLISH_GAP_MS)) {
            m_lastRepublishMs = now;
            m_published.clear();
            scheduleFlush();
        }
        return;
    }
    for (Tracked &t : m_boxes) {
        const QString base = t.topics.base() + QLatin1Char('/');
        if (topic.startsWith(base)) {
            command(t, topic.mid(base.size()), payload, retained);
            return;
        }
    }
}

void MqttBridge::command(
    Tracked &t, const QString &subtopic, const QByteArray &payload, bool retained)
{
    const QString id = t.topics.boxId();
    const QString where = MqttCommand::quoted(t.topics.base() + QLatin1Char('/') + subtopic, 120);
    const MqttCommand c = MqttCommand::parse(subtopic, payload, retained);
    if (c.kind == MqttCommand::Kind::Rejected) {
        m_rejects->log(id + QLatin1Char(' ') + c.fault,
            QStringLiteral("mqtt: ignored a command on %1: %2; nothing was sent to the box")
                .arg(where, c.reason));
        return;
    }
    if (!t.box) {
        m_rejects->log(id + QStringLiteral(" gone"),
            QStringLiteral("mqtt: ignored a command on %1: box %2 is not connected; nothing was "
                           "sent to it")
                .arg(where, id));
        return;
    }
    QPointer<MqttBridge> self(this);
    const auto done = [self, id, where](const BridgedBox::Result &r) {
        if (self && !r.ok)
            self->m_rejects->log(id + QStringLiteral(" failed"),
                QStringLiteral("mqtt: the command on %1 failed: %2").arg(where, r.error));
    };
    if (c.kind == MqttCommand::Kind::SetSetting)
        t.box->setSetting(c.setting, c.value, done);
    else
        t.box->sendCec(c.value, done);
}
