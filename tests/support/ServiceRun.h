// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantList>

// zelvarind run as a program on the test's own session bus (the test runs under
// dbus-run-session), with the simulated box and its conversation logged to a trace file, so a
// test sees the frames the box received whoever sent them.
class ServiceRun
{
public:
    static const QString &boxPath(); // the simulated box's object

    // With `captureLog`, what the service writes is kept for log() rather than passed through to
    // the test's standard error.
    explicit ServiceRun(const QString &dir, bool captureLog = false);
    ~ServiceRun();

    // Starts `zelvarind --simulate --test-control --trace=DIR/service-trace.txt` with `args` and
    // waits for its name on the bus. The status poll is slow unless `args` says otherwise, so
    // what the box receives is what the test sends.
    bool start(const QStringList &args = {});
    void kill(); // SIGKILL, as a crash
    void stop(); // SIGTERM, as systemd
    QProcess &process() { return m_process; }
    // What the service has written so far (with `captureLog`).
    QByteArray log();

    // Every request the box received so far.
    QStringList requests() const;
    QString tracePath() const { return m_trace; }

    // A call on the box (or `path`) with these arguments, waited for.
    static QDBusMessage callBox(const QString &method, const QVariantList &args = {},
        const QDBusConnection &bus = QDBusConnection::sessionBus());
    static QDBusMessage call(const QString &path, const QString &interface, const QString &method,
        const QVariantList &args = {}, const QDBusConnection &bus = QDBusConnection::sessionBus());
    static QVariant boxProperty(const QString &name);
    // Test hook: the simulated box unplugged (false) or back.
    static void setPresent(bool present);

private:
    QString m_trace;
    bool m_captureLog = false;
    QByteArray m_log;
    QProcess m_process;
};
