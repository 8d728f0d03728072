// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/HostedService.h"

#include "sim/SimulatedBox.h"
#include "zelvarind/BoxModel.h"
#include "zelvarind/BoxObject.h"
#include "zelvarind/ManagerObject.h"
#include "zelvarind/client/DbusTypes.h"
#include "zelvarind/client/ServiceNames.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>

namespace {
// RequestName's flags: the name may be taken over by a newer service, this one takes it over
// from an older one, which waits in the queue to have it back.
constexpr uint kAllowReplacement = 0x1;
constexpr uint kReplaceExisting = 0x2;
constexpr uint kPrimaryOwner = 1;
} // namespace

class HostedService::Host : public QObject
{
public:
    bool start(SimulatedBox &box, Clock &clock)
    {
        m_connection = QStringLiteral("hosted-zelvarind-%1").arg(quintptr(this), 0, 16);
        m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connection);
        if (!m_bus.isConnected())
            return false;
        DbusTypes::registerTypes();
        BoxWorker::Config config;
        config.link.simulate = true;
        config.device = &box;
        config.clock = &clock;
        config.ownTraffic = false;
        m_model = new BoxModel(config, this);
        m_object = new BoxObject(*m_model, m_bus, this);
        m_manager = new ManagerObject(m_bus, true, this);
        m_manager->addBox(m_model);
        if (!m_object->registerObject() || !m_manager->registerObject())
            return false;
        const QDBusReply<uint> named = m_bus.interface()->call(QStringLiteral("RequestName"),
            ServiceNames::busName(), kAllowReplacement | kReplaceExisting);
        return named.isValid() && named.value() == kPrimaryOwner;
    }

    void stop()
    {
        if (m_bus.isConnected()) {
            m_bus.interface()->call(QStringLiteral("ReleaseName"), ServiceNames::busName());
            m_bus.unregisterObject(ServiceNames::managerPath());
            if (m_object)
                m_bus.unregisterObject(m_object->path());
        }
        // The model goes first, as in the service: its worker closes the box.
        delete m_model;
        delete m_object;
        delete m_manager;
        m_manager = nullptr;
        m_object = nullptr;
        m_model = nullptr;
        m_bus = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(m_connection);
    }

private:
    QString m_connection;
    QDBusConnection m_bus { QString() };
    BoxModel *m_model = nullptr;
    BoxObject *m_object = nullptr;
    ManagerObject *m_manager = nullptr;
};

HostedService::HostedService(SimulatedBox &box, Clock &clock)
{
    m_thread.setObjectName(QStringLiteral("hosted zelvarind"));
    m_thread.start();
    m_host = new Host;
    m_host->moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        m_host, [&] { m_running = m_host->start(box, clock); }, Qt::BlockingQueuedConnection);
}

HostedService::~HostedService()
{
    QMetaObject::invokeMethod(
        m_host,
        [this] {
            m_host->stop();
            delete m_host;
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}
