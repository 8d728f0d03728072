// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/DeviceLink.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QString>

// A front end's link to a box the service owns: each transaction of the link is one Transact
// call, each multi-frame command a Hold ... Release, so the box sees the front end's own frames
// in its own order, with no other client's between those of one command. The front end's first
// reads of the frames the service polls anyway (status, firmware, signal) are answered from the
// service's last poll, as long as nothing else reached the box since: a status through the
// service costs one call instead of one per frame. When the service stops answering, the link
// says so once (as a device warning) and every later transaction fails as on a box that is not
// open, at once: a front end never waits on a service that is gone.
class ServiceRelay final : public DeviceLink::Relay
{
public:
    // The longest a call waits: the box's own reply wait, behind whatever other clients queued.
    static constexpr int CALL_TIMEOUT_MS = 60000;

    ServiceRelay(const QDBusConnection &bus, const QString &service, const QString &boxPath);
    ~ServiceRelay() override;

    void transact(const quint8 *request, quint8 length, quint32 minReplyLength, Reply &reply,
        DeviceLink::Outcome &outcome, QStringList &warnings) override;
    void beginSequence() override;
    void endSequence() override;

    // Whether a call failed on the bus (the service went away, or refused the box).
    bool failed() const { return m_failed; }
    // Whether the service said the box is not connected (it lost it).
    bool boxGone() const { return m_boxGone; }
    // On: the service's saying that the box is gone makes no warning, for a front end that says
    // a lost box in words of its own (the window's status bar and title). Off by default.
    void setQuietLoss(bool on) { m_quietLoss = on; }

    // Off: every frame goes to the box, none is answered from the service's last poll (a front
    // end whose every frame must reach the box, as the window's, turns it off). On by default.
    void setAnswerFromPoll(bool on) { m_answerFromPoll = on; }
    // The service's last poll, fetched already (with the call that found the box): the relay
    // does not ask for it again.
    void takePolledReplies(const QByteArrayList &requests, const QByteArrayList &replies);
    // The two lists of a PolledReplies reply; false for an error or a reply of another shape.
    static bool polledRepliesOf(
        const QDBusMessage &reply, QByteArrayList &requests, QByteArrayList &replies);

    // The outcome kind of its D-Bus name ("no-reply"), and back; unknown names are NotOpen.
    static DeviceLink::Outcome::Kind outcomeKind(const QString &name);
    static QString outcomeName(DeviceLink::Outcome::Kind kind);

private:
    void fail(const QString &what, const QDBusError &error, QStringList &warnings);
    // A method of the box's object, waited for.
    QDBusMessage call(const QString &method, const QVariantList &args = {}) const;
    // The reply of the last poll to this request, once; empty when there is none.
    QByteArray polledReply(const QByteArray &request, quint32 minReplyLength);
    bool hold(QStringList &warnings);

    QDBusConnection m_bus;
    QString m_service;
    QString m_path;
    bool m_failed = false;
    bool m_boxGone = false;
    bool m_quietLoss = false;
    bool m_inSequence = false; // a hold is wanted before the next frame that goes to the box
    bool m_held = false;
    bool m_answerFromPoll = true;
    bool m_polledFetched = false;
    QByteArrayList m_polledRequests;
    QByteArrayList m_polledReplies;
    QStringList m_pendingWarnings; // said with the next transaction
};
