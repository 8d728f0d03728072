// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "zelvarind/BoxState.h"
#include "zelvarind/BoxWorker.h"
#include "zelvarind/CommandResult.h"

#include <QObject>

#include <functional>

class QThread;

// One box as every transport sees it: its properties, a signal when some of them change, and one
// entry point per command, each checking its arguments before anything is queued for the box.
// The D-Bus object is one view of it; another transport can be another. Lives on the service's
// main thread; the box's conversation runs on the worker's thread.
class BoxModel : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const CommandResult &)>;

    explicit BoxModel(const BoxWorker::Config &config, QObject *parent = nullptr);
    ~BoxModel() override;

    const BoxState &state() const { return m_state; }
    QString serial() const { return m_state.serial; }

    // `client` names who asks (a bus name); a command's `done` runs once, on this thread.
    void setSettings(const QString &client, const StringMap &settings, Done done);
    // Success carries the 256 bytes.
    void readEdid(const QString &client, const QString &source, Done done);
    void writeEdid(const QString &client, const QByteArray &table, Done done);
    void sendCec(const QString &client, const QByteArray &message, Done done);
    void storeCec(const QString &client, uint slot, const QByteArray &message, Done done);
    void loadHdrInfoFrame(const QString &client, const QByteArray &data, bool activate, Done done);
    void loadAviInfoFrame(const QString &client, const QByteArray &data, bool replace, Done done);
    void factoryReset(const QString &client, const QString &what, Done done);

    // The raw path: success of Transact carries outcome, USB status, reply and warnings.
    void hold(const QString &client, Done done);
    void release(const QString &client, Done done);
    void transact(const QString &client, const QByteArray &request, uint minReplyLength, Done done);
    void clientGone(const QString &client);
    // Success carries the last poll's requests and replies (BoxWorker::polledReplies).
    void polledReplies(const QString &client, Done done);
    // Success carries the outcome (ServiceNames::searchWord) and the device layer's warnings.
    void search(const QString &client, Done done);

    // Test hook for the simulated box (TestControl).
    void setSimulatedPresent(bool present) { m_worker->setSimulatedPresent(present); }

Q_SIGNALS:
    // The names of BoxState's members that changed (as D-Bus property names).
    void propertiesChanged(const QStringList &names);
    void connectedChanged(bool connected);
    void edidProgress(const QString &operation, int done, int total);
    void firstSearchDone();

private:
    void command(const QString &client, BoxWorker::Work work, Done done);
    void takeState(const BoxState &state);

    QThread *m_thread = nullptr;
    BoxWorker *m_worker = nullptr;
    BoxState m_state;
};
