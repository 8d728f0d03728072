// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>

class BoxModel;

// The service's manager on D-Bus (io.github.zelvarin.Manager1, generated adaptor): which boxes
// are connected, and a signal when one comes or goes.
class ManagerObject : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_PROPERTY(QString Version READ version)
    Q_PROPERTY(bool Simulated READ simulated)
    Q_PROPERTY(QList<QDBusObjectPath> Boxes READ boxes)

public:
    ManagerObject(const QDBusConnection &bus, bool simulated, QObject *parent = nullptr);

    // Follows the box's connection from now on (the models outlive this object).
    void addBox(BoxModel *model);
    bool registerObject();

    QString version() const;
    bool simulated() const { return m_simulated; }
    QList<QDBusObjectPath> boxes() const;

public Q_SLOTS:
    QDBusObjectPath GetBox(const QString &serial);

Q_SIGNALS:
    void BoxAdded(const QString &serial, const QDBusObjectPath &box);
    void BoxRemoved(const QString &serial, const QDBusObjectPath &box);

private:
    void connectedChanged(BoxModel *model, bool connected);

    QDBusConnection m_bus;
    bool m_simulated;
    QList<BoxModel *> m_models;
};
