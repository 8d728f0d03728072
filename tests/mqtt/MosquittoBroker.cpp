// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/mqtt/MosquittoBroker.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

} // namespace

MosquittoBroker::MosquittoBroker(const QString &dir)
    : m_dir(dir)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&m_process, &QProcess::readyRead, [this] { m_log += m_process.readAll(); });
}

MosquittoBroker::~MosquittoBroker()
{
    stop();
}

QString MosquittoBroker::missingTools()
{
    QStringList missing;
    for (const char *tool : { MOSQUITTO_BROKER, MOSQUITTO_PASSWD, OPENSSL }) {
        if (!QFileInfo(QLatin1String(tool)).isExecutable())
            missing << QLatin1String(tool);
    }
    return missing.isEmpty() ? QString()
                             : QStringLiteral("not installed: %1 (Debian: mosquitto, "
                                              "mosquitto-clients, openssl)")
                                   .arg(missing.join(QStringLiteral(", ")));
}

bool MosquittoBroker::run(const QString &program, const QStringList &args, QString *error)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(m_dir);
    p.start(program, args);
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    if (error)
        *error = QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAll()));
    return false;
}

bool MosquittoBroker::addUser(const QString &user, const QString &password, QString *error)
{
    const QString file = m_dir + QStringLiteral("/passwd");
    QStringList args { QStringLiteral("-b") };
    if (!QFileInfo::exists(file))
        args << QStringLiteral("-c");
    args << file << user << password;
    return run(QLatin1String(MOSQUITTO_PASSWD), args, error);
}

bool MosquittoBroker::useTls(QString *error)
{
    const QString openssl = QLatin1String(OPENSSL);
    const QString san = m_dir + QStringLiteral("/san.cnf");
    QFile ext(san);
    if (!ext.open(QIODevice::WriteOnly)
        || ext.write("subjectAltName = IP:127.0.0.1, DNS:localhost\n") < 0)
        return false;
    ext.close();
    const QString days = QStringLiteral("2");
    m_tls = run(openssl,
                { "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out",
                    "ca.crt", "-days", days, "-subj", "/CN=zelvarin test CA" },
                error)
        && run(openssl,
            { "req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr",
                "-subj", "/CN=127.0.0.1" },
            error)
        && run(openssl,
            { "x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                "-CAcreateserial", "-out", "server.crt", "-days", days, "-extfile", san },
            error);
    return m_tls;
}

QString MosquittoBroker::caFile() const
{
    return m_dir + QStringLiteral("/ca.crt");
}

bool MosquittoBroker::start(QString *error)
{
    if (m_port == 0)
        m_port = freePort();
    if (m_tls && m_tlsPort == 0)
        m_tlsPort = freePort();
    // Run as root, the broker would turn into the "mosquitto" user and could not read our files.
    const passwd *me = ::getpwuid(::getuid());
    QByteArray conf = "per_listener_settings false\n"
                      "allow_anonymous false\n"
                      "persistence false\n"
                      "log_dest stdout\n"
                      "log_type error\nlog_type warning\nlog_type notice\n";
    conf += "user " + QByteArray(me ? me->pw_name : "root") + '\n';
    conf += "password_file " + m_dir.toLocal8Bit() + "/passwd\n";
    conf += "listener " + QByteArray::number(m_port) + " 127.0.0.1\n";
    if (m_tls)
        conf += "listener " + QByteArray::number(m_tlsPort) + " 127.0.0.1\ncafile "
            + caFile().toLocal8Bit() + "\ncertfile " + m_dir.toLocal8Bit() + "/server.crt\nkeyfile "
            + m_dir.toLocal8Bit() + "/server.key\n";
    QFile file(m_dir + QStringLiteral("/mosquitto.conf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(conf) != conf.size())
        return false;
    file.close();
    m_process.start(QLatin1String(MOSQUITTO_BROKER), { QStringLiteral("-c"), file.fileName() });
    if (!m_process.waitForStarted(10000)) {
        if (error)
            *error = QStringLiteral("mosquitto did not start");
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (accepts(m_port) && (!m_tls || accepts(m_tlsPort)))
            return true;
        if (m_process.state() != QProcess::Running)
            break;
        QThread::msleep(10);
    }
    m_process.waitForReadyRead(100);
    if (error)
        *error = QStringLiteral("mosquitto does not take connections on port %1: %2")
                     .arg(m_port)
                     .arg(QString::fromLocal8Bit(m_log + m_process.readAll()));
    return false;
}

void MosquittoBroker::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
