// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/client/ServiceRelay.h"

#include "box1_proxy.h"

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
    m_box->setTimeout(CALL_TIMEOUT_MS);
}

ServiceRelay::~ServiceRelay()
{
    if (m_held && !m_failed)
        m_box->Release().waitForFinished();
}

void ServiceRelay::fail(const QString &what, const QString &message, QStringList &warnings)
{
    if (m_failed)
        return;
    m_failed = true;
    warnings << QStringLiteral("the service zelvarind failed %1: %2").arg(what, message);
}

void ServiceRelay::transact(const quint8 *request, quint8 length, quint32 minReplyLength,
    Reply &reply, DeviceLink::Outcome &outcome, QStringList &warnings)
{
    warnings << m_pendingWarnings;
    m_pendingWarnings.clear();
    outcome = DeviceLink::Outcome {};
    if (m_failed) {
        outcome.kind = DeviceLink::Outcome::NotOpen;
        return;
    }
    const QByteArray frame(reinterpret_cast<const char *>(request), length);
    QDBusPendingReply<QString, uint, QByteArray, QStringList> call
        = m_box->Transact(frame, minReplyLength);
    call.waitForFinished();
    if (call.isError()) {
        fail(QStringLiteral("a transaction"), call.error().message(), warnings);
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

// A hold that cannot be had leaves the frames to fail one by one, as they would on a box that
// went away; the reason is told with the first of them.
void ServiceRelay::beginSequence()
{
    if (m_failed)
        return;
    QDBusPendingReply<> call = m_box->Hold();
    call.waitForFinished();
    if (call.isError()) {
        fail(QStringLiteral("to hold the box"), call.error().message(), m_pendingWarnings);
        return;
    }
    m_held = true;
}

void ServiceRelay::endSequence()
{
    if (!m_held)
        return;
    m_held = false;
    if (m_failed)
        return;
    QDBusPendingReply<> call = m_box->Release();
    call.waitForFinished();
    if (call.isError())
        fail(QStringLiteral("to release the box"), call.error().message(), m_pendingWarnings);
}
