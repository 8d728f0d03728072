// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/BoxObject.h"

#include "box1_adaptor.h"
#include "zelvarind/BoxModel.h"
#include "zelvarind/client/ServiceNames.h"

#include <QDBusServiceWatcher>
#include <QMetaProperty>

BoxObject::BoxObject(BoxModel &model, const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_bus(bus)
    , m_path(ServiceNames::boxPath(model.serial()))
    , m_clients(new QDBusServiceWatcher(
          QString(), bus, QDBusServiceWatcher::WatchForUnregistration, this))
{
    new Box1Adaptor(this);
    connect(&m_model, &BoxModel::propertiesChanged, this, &BoxObject::announce);
    connect(&m_model, &BoxModel::edidProgress, this, &BoxObject::EdidProgress);
    connect(
        m_clients, &QDBusServiceWatcher::serviceUnregistered, this, [this](const QString &name) {
            m_clients->removeWatchedService(name);
            m_model.clientGone(name);
        });
}

bool BoxObject::registerObject()
{
    return m_bus.registerObject(m_path, this);
}

QString BoxObject::serial() const
{
    return m_model.state().serial;
}
QString BoxObject::firmware() const
{
    return m_model.state().firmware;
}
bool BoxObject::connected() const
{
    return m_model.state().connected;
}
bool BoxObject::busy() const
{
    return m_model.state().busy;
}
StringMap BoxObject::settings() const
{
    return m_model.state().settings;
}
QString BoxObject::signalSource() const
{
    return m_model.state().signalSource;
}
QString BoxObject::signalVideo() const
{
    return m_model.state().signalVideo;
}
QString BoxObject::signalColour() const
{
    return m_model.state().signalColour;
}
QString BoxObject::signalHdr() const
{
    return m_model.state().signalHdr;
}
QByteArray BoxObject::hdrInfoFrame() const
{
    return m_model.state().hdrInfoFrame;
}

// QtDBus does not announce property changes itself.
void BoxObject::announce(const QStringList &names)
{
    QVariantMap changed;
    for (const QString &name : names) {
        const QByteArray key = name.toLatin1();
        changed.insert(name, property(key.constData()));
    }
    QDBusMessage signal = QDBusMessage::createSignal(m_path,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << ServiceNames::boxInterface() << changed << QStringList();
    m_bus.send(signal);
}

std::function<void(const CommandResult &)> BoxObject::later()
{
    setDelayedReply(true);
    const QDBusMessage call = message();
    QDBusConnection bus = m_bus;
    return [call, bus](const CommandResult &r) mutable {
        if (!r.ok()) {
            bus.send(call.createErrorReply(r.errorName, r.errorText));
            return;
        }
        QDBusMessage reply = call.createReply();
        for (const QVariant &v : r.values)
            reply << v;
        bus.send(reply);
    };
}

void BoxObject::watchCaller()
{
    const QString caller = message().service();
    if (!m_clients->watchedServices().contains(caller))
        m_clients->addWatchedService(caller);
}

void BoxObject::SetSettings(const StringMap &settings)
{
    m_model.setSettings(message().service(), settings, later());
}

QByteArray BoxObject::ReadEdid(const QString &source)
{
    m_model.readEdid(message().service(), source, later());
    return {};
}

void BoxObject::WriteEdid(const QByteArray &table)
{
    m_model.writeEdid(message().service(), table, later());
}

void BoxObject::SendCec(const QByteArray &message)
{
    m_model.sendCec(QDBusContext::message().service(), message, later());
}

void BoxObject::StoreCec(uint slot, const QByteArray &message)
{
    m_model.storeCec(QDBusContext::message().service(), slot, message, later());
}

void BoxObject::LoadHdrInfoFrame(const QByteArray &data, bool activate)
{
    m_model.loadHdrInfoFrame(message().service(), data, activate, later());
}

void BoxObject::LoadAviInfoFrame(const QByteArray &data, bool replace)
{
    m_model.loadAviInfoFrame(message().service(), data, replace, later());
}

void BoxObject::FactoryReset(const QString &what)
{
    m_model.factoryReset(message().service(), what, later());
}

void BoxObject::Hold()
{
    watchCaller();
    m_model.hold(message().service(), later());
}

void BoxObject::Release()
{
    m_model.release(message().service(), later());
}

QString BoxObject::Transact(
    const QByteArray &request, uint minReplyLength, uint &, QByteArray &, QStringList &)
{
    watchCaller();
    m_model.transact(message().service(), request, minReplyLength, later());
    return {};
}

QByteArrayList BoxObject::PolledReplies(QByteArrayList &)
{
    m_model.polledReplies(message().service(), later());
    return {};
}

QString BoxObject::Search(QStringList &)
{
    m_model.search(message().service(), later());
    return {};
}
