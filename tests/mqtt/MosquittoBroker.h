// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProcess>
#include <QString>

// A real Mosquitto broker for one test: on 127.0.0.1 at a free port, anonymous clients refused,
// users from a password file, no persistence (so a restart forgets every retained message, as a
// broker that lost its disk would), and on request a TLS listener with a certificate signed by a
// certificate authority the fixture makes with openssl, on a second port (the first stays plain,
// for the test's own client). Everything lives in `dir`.
class MosquittoBroker
{
public:
    explicit MosquittoBroker(const QString &dir);
    ~MosquittoBroker();

    // Whether mosquitto, mosquitto_passwd and openssl are installed; otherwise what is missing.
    static QString missingTools();

    bool addUser(const QString &user, const QString &password, QString *error);
    // Makes the CA and the broker's certificate (for 127.0.0.1) and adds the TLS listener.
    bool useTls(QString *error);
    // Starts (or starts again, on the same port) and waits until the port takes connections.
    bool start(QString *error);
    void stop();

    int port() const { return m_port; }
    int tlsPort() const { return m_tlsPort; }
    QString caFile() const;
    // The broker's own log so far, for a failing test's message.
    QByteArray log() const { return m_log; }

private:
    bool run(const QString &program, const QStringList &args, QString *error);

    QString m_dir;
    int m_port = 0;
    int m_tlsPort = 0;
    bool m_tls = false;
    QProcess m_process;
    QByteArray m_log;
};
