// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/Daemon.h"

#include "zelvarind/BoxModel.h"
#include "zelvarind/BoxObject.h"
#include "zelvarind/ManagerObject.h"
#include "zelvarind/TestControl.h"
#include "zelvarind/client/DbusTypes.h"
#include "zelvarind/client/ServiceNames.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>

#include <cstdio>

namespace {

void say(const QString &text)
{
    std::fprintf(stderr, "zelvarind: %s\n", qPrintable(text));
}

} // namespace

Daemon::Daemon(const Options &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_bus(options.systemBus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus())
{
}

// The models go first: their worker threads close the boxes before the objects disappear.
Daemon::~Daemon()
{
    if (m_bus.isConnected())
        m_bus.unregisterService(ServiceNames::busName());
    qDeleteAll(m_models);
}

bool Daemon::start()
{
    const QString busWord
        = m_options.systemBus ? QStringLiteral("system bus") : QStringLiteral("session bus");
    if (!m_bus.isConnected()) {
        say(QStringLiteral("cannot reach the %1: %2").arg(busWord, m_bus.lastError().message()));
        return false;
    }
    if (m_bus.interface()->isServiceRegistered(ServiceNames::busName())) {
        say(QStringLiteral("already running (%1 is on the %2)")
                .arg(ServiceNames::busName(), busWord));
        return false;
    }
    DbusTypes::registerTypes();

    m_manager = new ManagerObject(m_bus, m_options.link.simulate, this);
    for (const QByteArray &serial : m_options.serials) {
        BoxWorker::Config config;
        config.link = m_options.link;
        config.serial = serial;
        config.pollMs = m_options.pollMs;
        config.holdIdleMs = m_options.holdIdleMs;
        auto *model = new BoxModel(config);
        m_models << model;
        auto *object = new BoxObject(*model, m_bus, this);
        if (!object->registerObject()) {
            say(QStringLiteral("two boxes with the serial %1").arg(QString::fromLatin1(serial)));
            return false;
        }
        m_manager->addBox(model);
        ++m_waitingForSearch;
        connect(
            model, &BoxModel::firstSearchDone, this, &Daemon::searched, Qt::SingleShotConnection);
    }
    if (!m_manager->registerObject()) {
        say(QStringLiteral("cannot register the manager object"));
        return false;
    }
    if (m_options.testControl && m_options.link.simulate) {
        auto *control = new TestControl(m_models, this);
        m_bus.registerObject(ServiceNames::managerPath() + QStringLiteral("/Testing"), control,
            QDBusConnection::ExportScriptableSlots);
    }
    return true;
}

void Daemon::searched()
{
    if (--m_waitingForSearch > 0)
        return;
    if (!m_bus.registerService(ServiceNames::busName())) {
        say(QStringLiteral("cannot take the name %1: %2")
                .arg(ServiceNames::busName(), m_bus.lastError().message()));
        QCoreApplication::exit(1);
    }
}
