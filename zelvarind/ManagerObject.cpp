// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/ManagerObject.h"

#include "manager1_adaptor.h"
#include "zelvarind/BoxModel.h"
#include "zelvarind/CommandChecks.h"
#include "zelvarind/client/ServiceNames.h"

#include <QCoreApplication>
#include <QDBusMessage>

ManagerObject::ManagerObject(const QDBusConnection &bus, bool simulated, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_simulated(simulated)
{
    new Manager1Adaptor(this);
}

void ManagerObject::addBox(BoxModel *model)
{
    m_models.append(model);
    connect(model, &BoxModel::connectedChanged, this,
        [this, model](bool connected) { connectedChanged(model, connected); });
}

bool ManagerObject::registerObject()
{
    return m_bus.registerObject(ServiceNames::managerPath(), this);
}

QString ManagerObject::version() const
{
    return QCoreApplication::applicationVersion();
}

QList<QDBusObjectPath> ManagerObject::boxes() const
{
    QList<QDBusObjectPath> paths;
    for (const BoxModel *model : m_models) {
        if (model->state().connected)
            paths << QDBusObjectPath(ServiceNames::boxPath(model->serial()));
    }
    return paths;
}

QDBusObjectPath ManagerObject::GetBox(const QString &serial)
{
    if (serial.size() <= CommandChecks::MAX_WORD) {
        for (const BoxModel *model : m_models) {
            if (model->state().connected && (serial.isEmpty() || model->serial() == serial))
                return QDBusObjectPath(ServiceNames::boxPath(model->serial()));
        }
    }
    sendErrorReply(ServiceNames::Error::notFound(),
        serial.isEmpty() ? QStringLiteral("no box is connected")
                         : QStringLiteral("no box with serial number %1 is connected")
                               .arg(serial.left(CommandChecks::MAX_WORD)));
    return {};
}

void ManagerObject::connectedChanged(BoxModel *model, bool connected)
{
    const QDBusObjectPath path(ServiceNames::boxPath(model->serial()));
    if (connected)
        emit BoxAdded(model->serial(), path);
    else
        emit BoxRemoved(model->serial(), path);
    QDBusMessage signal = QDBusMessage::createSignal(ServiceNames::managerPath(),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << ServiceNames::managerInterface()
           << QVariantMap { { QStringLiteral("Boxes"), QVariant::fromValue(boxes()) } }
           << QStringList();
    m_bus.send(signal);
}
