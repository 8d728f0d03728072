// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QSettings;

// The [mqtt] section of the service's configuration file, read and checked in one place. Every
// mistake is refused with a message that names the key, so the service stops at start-up rather
// than publishing under a topic nobody subscribed to. The password itself is not part of it: it is
// read from `passwordFile` only when the bridge connects (readPassword), and never kept here.
struct MqttConfig
{
    // A box the bridge publishes: its serial and the id its topics and entities carry.
    struct Box
    {
        QString serial;
        QString id;
    };

    bool enabled = false; // a broker is set and `enabled` is not false
    bool tls = false; // mqtts://
    QString host;
    int port = 1883;
    QString clientId; // default: zelvarind-HOSTNAME
    QString topicPrefix = QStringLiteral("zelvarin");
    bool discovery = true;
    QString discoveryPrefix = QStringLiteral("homeassistant");
    QString user;
    QString passwordFile;
    QString caFile;
    QString certFile;
    QString keyFile;
    int keepaliveSeconds = 60;
    // Only these boxes, under these ids; empty: every box, each under its serial.
    QList<Box> boxes;

    // Reads the [mqtt] group. False, with one line naming the key in `error`, when a value is
    // wrong or a key unknown (a misspelt key would otherwise be a silent default).
    static bool read(QSettings &settings, MqttConfig &config, QString *error);

    // The first line of the password file. Refused when the file may be read by its group or by
    // others, is not a regular file, is empty or unreasonably long; the message names the file,
    // never its content.
    static bool readPassword(const QString &path, QByteArray &password, QString *error);
    // The same rule for the TLS key: a private key readable by others is refused.
    static bool checkPrivateFile(const QString &path, const char *key, QString *error);

    // The id a box with this serial is published under; empty when the configuration leaves it
    // out.
    QString boxId(const QString &serial) const;
    // A serial made fit for topics and entity ids (letters, digits, '-' and '_').
    static QString idFromSerial(const QString &serial);
    // "mqtts://broker.lan:8883", for messages.
    QString brokerUrl() const;
};
