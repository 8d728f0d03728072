// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "session/LinkSetup.h"

#include <QByteArrayList>
#include <QDBusConnection>
#include <QObject>

class BoxModel;
class ManagerObject;

// The service: one model (and worker thread) per box it looks after, their D-Bus objects, the
// manager, and the name on the bus, taken once every box has been looked for, so that a client
// that sees the name also sees the boxes that are there.
class Daemon : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        LinkSetup::Options link;
        QByteArrayList serials; // the boxes' serial strings
        int pollMs = 3000;
        int holdIdleMs = 10000;
        bool systemBus = false;
        bool testControl = false;
    };

    explicit Daemon(const Options &options, QObject *parent = nullptr);
    ~Daemon() override;

    // False, with the reason on standard error, when the service cannot run.
    bool start();

    // The boxes' models, from start() on; they live as long as the daemon.
    const QList<BoxModel *> &models() const { return m_models; }

private:
    void searched();

    Options m_options;
    QDBusConnection m_bus;
    QList<BoxModel *> m_models;
    ManagerObject *m_manager = nullptr;
    int m_waitingForSearch = 0;
};
