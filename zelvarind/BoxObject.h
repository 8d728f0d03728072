// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "zelvarind/CommandResult.h"
#include "zelvarind/client/DbusTypes.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>

class BoxModel;
class QDBusServiceWatcher;

// A box on D-Bus (io.github.zelvarin.Box1, generated adaptor): the model's properties, its
// commands as methods. Every method answers later (a delayed reply), once the box's queue has run
// it, so the service never waits for a client and a client never waits for another's reply.
// Clients on the raw path are watched: one that leaves the bus lets go of the box.
class BoxObject : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_PROPERTY(QString Serial READ serial)
    Q_PROPERTY(QString Firmware READ firmware)
    Q_PROPERTY(bool Connected READ connected)
    Q_PROPERTY(bool Busy READ busy)
    Q_PROPERTY(StringMap Settings READ settings)
    Q_PROPERTY(QString SignalSource READ signalSource)
    Q_PROPERTY(QString SignalVideo READ signalVideo)
    Q_PROPERTY(QString SignalColour READ signalColour)
    Q_PROPERTY(QString SignalHdr READ signalHdr)
    Q_PROPERTY(QByteArray HdrInfoFrame READ hdrInfoFrame)

public:
    BoxObject(BoxModel &model, const QDBusConnection &bus, QObject *parent = nullptr);

    QString path() const { return m_path; }
    // Puts the object on the bus; false when the path is taken.
    bool registerObject();

    QString serial() const;
    QString firmware() const;
    bool connected() const;
    bool busy() const;
    StringMap settings() const;
    QString signalSource() const;
    QString signalVideo() const;
    QString signalColour() const;
    QString signalHdr() const;
    QByteArray hdrInfoFrame() const;

public Q_SLOTS:
    void SetSettings(const StringMap &settings);
    QByteArray ReadEdid(const QString &source);
    void WriteEdid(const QByteArray &table);
    void SendCec(const QByteArray &message);
    void StoreCec(uint slot, const QByteArray &message);
    void LoadHdrInfoFrame(const QByteArray &data, bool activate);
    void LoadAviInfoFrame(const QByteArray &data, bool replace);
    void FactoryReset(const QString &what);
    void Hold();
    void Release();
    QString Transact(const QByteArray &request, uint minReplyLength, uint &usbStatus,
        QByteArray &reply, QStringList &warnings);
    QByteArrayList PolledReplies(QByteArrayList &replies);
    QString Search(QStringList &warnings);

Q_SIGNALS:
    void EdidProgress(const QString &operation, int done, int total);

private:
    // The caller's delayed reply, sent when the model is done with the request.
    std::function<void(const CommandResult &)> later();
    void watchCaller();
    void announce(const QStringList &names);

    BoxModel &m_model;
    QDBusConnection m_bus;
    QString m_path;
    QDBusServiceWatcher *m_clients;
};
