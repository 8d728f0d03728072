// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/ServiceRun.h"

#include "tests/support/CliRun.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {
const QString kService = QStringLiteral("io.github.zelvarin.Zelvarind");
} // namespace

const QString &ServiceRun::boxPath()
{
    static const QString path = QStringLiteral("/io/github/zelvarin/Zelvarind/box/2023");
    return path;
}

ServiceRun::ServiceRun(const QString &dir, bool captureLog)
    : m_trace(QDir(dir).filePath(QStringLiteral("service-trace.txt")))
    , m_captureLog(captureLog)
{
}

ServiceRun::~ServiceRun()
{
    stop();
}

bool ServiceRun::start(const QStringList &args)
{
    QFile::remove(m_trace);
    m_process.setProcessChannelMode(
        m_captureLog ? QProcess::MergedChannels : QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(ZELVARIND),
        QStringList { QStringLiteral("--simulate"), QStringLiteral("--test-control"),
            QStringLiteral("--trace=") + m_trace, QStringLiteral("--poll-interval=600000") }
            + args);
    if (!m_process.waitForStarted())
        return false;
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    return bus
        && QTest::qWaitFor(
            [&] {
                return bus->isServiceRegistered(kService).value()
                    || m_process.state() == QProcess::NotRunning;
            },
            30000)
        && m_process.state() == QProcess::Running;
}

QByteArray ServiceRun::log()
{
    m_log += m_process.readAll();
    return m_log;
}

void ServiceRun::kill()
{
    m_process.kill();
    m_process.waitForFinished();
}

void ServiceRun::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(30000))
        kill();
}

QStringList ServiceRun::requests() const
{
    return traceRequests(m_trace);
}

QDBusMessage ServiceRun::call(const QString &path, const QString &interface, const QString &method,
    const QVariantList &args, const QDBusConnection &bus)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, method);
    m.setArguments(args);
    return QDBusConnection(bus).call(m, QDBus::Block, 60000);
}

QDBusMessage ServiceRun::callBox(
    const QString &method, const QVariantList &args, const QDBusConnection &bus)
{
    return call(boxPath(), QStringLiteral("io.github.zelvarin.Box1"), method, args, bus);
}

QVariant ServiceRun::boxProperty(const QString &name)
{
    const QDBusMessage r = call(boxPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"), { QStringLiteral("io.github.zelvarin.Box1"), name });
    if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty())
        return {};
    return r.arguments().constFirst().value<QDBusVariant>().variant();
}

void ServiceRun::setPresent(bool present)
{
    call(QStringLiteral("/io/github/zelvarin/Zelvarind/Testing"),
        QStringLiteral("io.github.zelvarin.Testing1"), QStringLiteral("SetPresent"), { present });
}
