// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/client/ServiceRelay.h"

#include "box1_proxy.h"
#include "zelvarind/client/DbusTypes.h"
#include "zelvarind/client/ServiceNames.h"

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

ServiceRelay::ServiceRelay(
    const QDBusConnection &bus, const QString &service, const QString &boxPath)
    : m_box(std::make_unique<Box1Proxy>(service, boxPath, bus))
{
    DbusTypes::registerTypes();
    m_box->setTimeout(CALL_TIMEOUT_MS);
}

ServiceRelay::~ServiceRelay()
{
    if (m_held && !m_failed)
        m_box->Release().waitForFinished();
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
        QDBusPendingReply<QByteArrayList, QByteArrayList> call = m_box->PolledReplies();
        call.waitForFinished();
        // A service that cannot tell is asked frame by frame.
        if (!call.isError() && call.argumentAt<0>().size() == call.argumentAt<1>().size()) {
            m_polledRequests = call.argumentAt<0>();
            m_polledReplies = call.argumentAt<1>();
        }
    }
    const qsizetype at = m_polledRequests.indexOf(request);
    if (at < 0 || m_polledReplies.at(at).size() < qsizetype(minReplyLength)
        || m_polledReplies.at(at).size() > MAX_REPLY)
        return {};
    // Each answers once: a front end that reads again (watch) wants the box as it is then.
    m_polledRequests.removeAt(at);
    return m_polledReplies.takeAt(at);
}

bool ServiceRelay::hold(QStringList &warnings)
{
    if (!m_inSequence || m_held)
        return true;
    QDBusPendingReply<> call = m_box->Hold();
    call.waitForFinished();
    if (call.isError()) {
        fail(QStringLiteral("to hold the box"), call.error(), warnings);
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
    QDBusPendingReply<QString, uint, QByteArray, QStringList> call
        = m_box->Transact(frame, minReplyLength);
    call.waitForFinished();
    if (call.isError()) {
        fail(QStringLiteral("a transaction"), call.error(), warnings);
        outcome.kind = DeviceLink::Outcome::NotOpen;
        return;
    }
    const QByteArray bytes = call.argumentAt<2>();
    const quint32 got = quint32(std::min<qsizetype>(bytes.size(), MAX_REPLY));
    std::memcpy(reply.data(), bytes.constData(), got);
    outcome.kind = outcomeKind(call.argumentAt<0>());
    outcome.usbStatus = call.argumentAt<1>();
    outcome.replyLength = got;
    warnings << call.argumentAt<3>();
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
    QDBusPendingReply<> call = m_box->Release();
    call.waitForFinished();
    if (call.isError())
        fail(QStringLiteral("to release the box"), call.error(), m_pendingWarnings);
}
