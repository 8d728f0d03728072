// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/client/ServiceRelay.h"

#include "zelvarind/client/DbusTypes.h"
#include "zelvarind/client/ServiceNames.h"

#include <QDBusArgument>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

struct OutcomeName
{
    DeviceLink::Outcome::Kind kind;
    const char *name;
};

constexpr std::array<OutcomeName, 7> kOutcomes { {
    { DeviceLink::Outcome::Ok, "ok" },
    { DeviceLink::Outcome::NotOpen, "not-open" },
    { DeviceLink::Outcome::WriteFailed, "write-failed" },
    { DeviceLink::Outcome::QueueFailed, "queue-failed" },
    { DeviceLink::Outcome::NoReply, "no-reply" },
    { DeviceLink::Outcome::ReadFailed, "read-failed" },
    { DeviceLink::Outcome::ShortReply, "short-reply" },
} };

} // namespace

DeviceLink::Outcome::Kind ServiceRelay::outcomeKind(const QString &name)
{
    for (const OutcomeName &o : kOutcomes) {
        if (name == QLatin1String(o.name))
            return o.kind;
    }
    return DeviceLink::Outcome::NotOpen;
}

QString ServiceRelay::outcomeName(DeviceLink::Outcome::Kind kind)
{
    for (const OutcomeName &o : kOutcomes) {
        if (o.kind == kind)
            return QLatin1String(o.name);
    }
    return QStringLiteral("not-open");
}

// Plain messages rather than the generated proxy: a proxy follows its service's owner on the
// bus, which costs every short-lived client (a zelvarinctl command) two messages more to the bus
// for nothing; the relay names the service by the unique name that answered, and a call to a
// service that went away fails by itself.
ServiceRelay::ServiceRelay(
    const QDBusConnection &bus, const QString &service, const QString &boxPath)
    : m_bus(bus)
    , m_service(service)
    , m_path(boxPath)
{
    DbusTypes::registerTypes();
}

ServiceRelay::~ServiceRelay()
{
    if (m_held && !m_failed)
        call(QStringLiteral("Release"));
}

QDBusMessage ServiceRelay::call(const QString &method, const QVariantList &args) const
{
    QDBusMessage message
        = QDBusMessage::createMethodCall(m_service, m_path, ServiceNames::boxInterface(), method);
    message.setArguments(args);
    return QDBusConnection(m_bus).call(message, QDBus::Block, CALL_TIMEOUT_MS);
}

bool ServiceRelay::polledRepliesOf(
    const QDBusMessage &reply, QByteArrayList &requests, QByteArrayList &replies)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
        return false;
    requests = qdbus_cast<QByteArrayList>(reply.arguments().at(0).value<QDBusArgument>());
    replies = qdbus_cast<QByteArrayList>(reply.arguments().at(1).value<QDBusArgument>());
    return true;
}

void ServiceRelay::fail(const QString &what, const QDBusError &error, QStringList &warnings)
{
    if (m_failed)
        return;
    m_failed = true;
    m_boxGone = error.name() == ServiceNames::Error::notFound();
    if (m_boxGone && m_quietLoss)
        return;
    warnings << QStringLiteral("the service zelvarind failed %1: %2").arg(what, error.message());
}

QByteArray ServiceRelay::polledReply(const QByteArray &request, quint32 minReplyLength)
{
    if (!m_answerFromPoll)
        return {};
    if (quint8(request.at(0)) != FRAME_READ) {
        // Whatever the box is told may change what it would answer.
        m_polledFetched = true;
        m_polledRequests.clear();
        m_polledReplies.clear();
        return {};
    }
    if (!m_polledFetched) {
        m_polledFetched = true;
        // A service that cannot tell is asked frame by frame.
        QByteArrayList requests, replies;
        if (polledRepliesOf(call(QStringLiteral("PolledReplies")), requests, replies))
            takePolledReplies(requests, replies);
    }
    const qsizetype at = m_polledRequests.indexOf(request);
    if (at < 0 || m_polledReplies.at(at).size() < qsizetype(minReplyLength)
        || m_polledReplies.at(at).size() > MAX_REPLY)
        return {};
    // Each answers once: a front end that reads again (watch) wants the box as it is then.
    m_polledRequests.removeAt(at);
    return m_polledReplies.takeAt(at);
}

void ServiceRelay::takePolledReplies(const QByteArrayList &requests, const QByteArrayList &replies)
{
    m_polledFetched = true;
    if (requests.size() != replies.size())
        return;
    m_polledRequests = requests;
    m_polledReplies = replies;
}

bool ServiceRelay::hold(QStringList &warnings)
{
    if (!m_inSequence || m_held)
        return true;
    const QDBusMessage held = call(QStringLiteral("Hold"));
    if (held.type() != QDBusMessage::ReplyMessage) {
        fail(QStringLiteral("to hold the box"), QDBusError(held), warnings);
        return false;
    }
    m_held = true;
    return true;
}

void ServiceRelay::transact(const quint8 *request, quint8 length, quint32 minReplyLength,
    Reply &reply, DeviceLink::Outcome &outcome, QStringList &warnings)
{
    warnings << m_pendingWarnings;
    m_pendingWarnings.clear();
    outcome = DeviceLink::Outcome {};
    if (m_failed || length == 0) {
        outcome.kind = DeviceLink::Outcome::NotOpen;
        return;
    }
    const QByteArray frame(reinterpret_cast<const char *>(request), length);
    if (const QByteArray polled = polledReply(frame, minReplyLength); !polled.isEmpty()) {
        std::memcpy(reply.data(), polled.constData(), size_t(polled.size()));
        outcome.replyLength = quint32(polled.size());
        return;
    }
    if (!hold(warnings)) {
        outcome.kind = DeviceLink::Outcome::NotOpen;
        return;
    }
    const QDBusMessage done = call(QStringLiteral("Transact"), { frame, minReplyLength });
    const QVariantList out = done.arguments();
    if (done.type() != QDBusMessage::ReplyMessage || out.size() != 4) {
        fail(QStringLiteral("a transaction"),
            done.type() == QDBusMessage::ErrorMessage
                ? QDBusError(done)
                : QDBusError(QDBusError::InvalidSignature, QStringLiteral("an unexpected reply")),
            warnings);
        outcome.kind = DeviceLink::Outcome::NotOpen;
        return;
    }
    const QByteArray bytes = out.at(2).toByteArray();
    const quint32 got = quint32(std::min<qsizetype>(bytes.size(), MAX_REPLY));
    std::memcpy(reply.data(), bytes.constData(), got);
    outcome.kind = outcomeKind(out.at(0).toString());
    outcome.usbStatus = out.at(1).toUInt();
    outcome.replyLength = got;
    warnings << out.at(3).toStringList();
}

// The hold is taken with the sequence's first frame that goes to the box: a sequence answered
// from the last poll holds nothing.
void ServiceRelay::beginSequence()
{
    m_inSequence = true;
}

void ServiceRelay::endSequence()
{
    m_inSequence = false;
    if (!m_held)
        return;
    m_held = false;
    if (m_failed)
        return;
    const QDBusMessage released = call(QStringLiteral("Release"));
    if (released.type() != QDBusMessage::ReplyMessage)
        fail(QStringLiteral("to release the box"), QDBusError(released), m_pendingWarnings);
}
