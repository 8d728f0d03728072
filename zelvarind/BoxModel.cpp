// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/BoxModel.h"

#include "box/BoxClient.h"
#include "protocol/EdidTransfer.h"
#include "protocol/Words.h"
#include "zelvarind/CommandChecks.h"
#include "zelvarind/client/ServiceNames.h"

#include <QThread>

namespace {

// A failed exchange with the box, in the words the command line uses for it.
CommandResult boxFailed(const QString &what, const BoxResult &r)
{
    const QString &name = r.kind == BoxResult::Busy ? ServiceNames::Error::busy()
        : r.kind == BoxResult::NotOpen              ? ServiceNames::Error::notFound()
                                                    : ServiceNames::Error::noReply();
    return CommandResult::failure(name, what + QStringLiteral(": ") + r.describe());
}

CommandResult outcome(const BoxClient::Steps &steps)
{
    if (const BoxClient::Step *failed = BoxClient::firstFailure(steps))
        return boxFailed(failed->what, failed->result);
    return CommandResult::success();
}

} // namespace

BoxModel::BoxModel(const BoxWorker::Config &config, QObject *parent)
    : QObject(parent)
    , m_thread(new QThread(this))
    , m_worker(new BoxWorker(config))
{
    m_state.serial = QString::fromLatin1(config.serial);
    m_thread->setObjectName(QStringLiteral("box ") + m_state.serial);
    m_worker->moveToThread(m_thread);
    connect(m_worker, &BoxWorker::stateChanged, this, &BoxModel::takeState);
    connect(m_worker, &BoxWorker::edidProgress, this, &BoxModel::edidProgress);
    connect(m_worker, &BoxWorker::firstSearchDone, this, &BoxModel::firstSearchDone);
    m_thread->start();
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, home = this] { worker->start(home); }, Qt::QueuedConnection);
}

BoxModel::~BoxModel()
{
    QMetaObject::invokeMethod(m_worker, &BoxWorker::shutDown, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
}

void BoxModel::takeState(const BoxState &state)
{
    const QStringList changed = state.differences(m_state);
    if (changed.isEmpty())
        return;
    m_state = state;
    emit propertiesChanged(changed);
    if (changed.contains(QLatin1String("Connected")))
        emit connectedChanged(m_state.connected);
}

// A command for a box that is not there is refused at once; one that was lost while it waited
// is refused by the worker.
void BoxModel::command(const QString &client, BoxWorker::Work work, Done done)
{
    if (!m_state.connected) {
        done(CommandResult::failure(ServiceNames::Error::notFound(),
            QStringLiteral("the box %1 is not connected").arg(m_state.serial)));
        return;
    }
    m_worker->submit(client, BoxWorker::Kind::Command, std::move(work), std::move(done));
}

void BoxModel::setSettings(const QString &client, const StringMap &settings, Done done)
{
    QList<QPair<Settings::Id, quint8>> values;
    if (const CommandResult bad = CommandChecks::settings(settings, values); !bad.ok())
        return done(bad);
    command(
        client,
        [values](BoxWorker &w) {
            // The first failure ends it, so a later setting never lands on a box that did not
            // take an earlier one.
            for (const auto &v : values) {
                const BoxResult r = w.box().writeSetting(v.first, v.second);
                const Settings::Setting &s = Settings::setting(v.first);
                if (!r.ok())
                    return boxFailed(
                        QStringLiteral("setting %1=%2")
                            .arg(QLatin1String(s.name), Settings::valueName(s, v.second)),
                        r);
            }
            return CommandResult::success();
        },
        std::move(done));
}

void BoxModel::readEdid(const QString &client, const QString &sourceWord, Done done)
{
    const std::optional<EdidSource> source = Words::edidSource(sourceWord);
    if (!source)
        return done(CommandChecks::invalid(
            QStringLiteral("the EDID source is one of %1").arg(Words::edidSourceWords())));
    command(
        client,
        [source = *source](BoxWorker &w) {
            BoxClient::EdidReadEvents events;
            events.progress
                = [&w](int done, int total) { w.progress(QStringLiteral("read"), done, total); };
            EdidImage table {};
            const BoxClient::EdidReadResult r = w.box().readEdid(source, table, events);
            if (!r.ok())
                return boxFailed(
                    QStringLiteral("reading the EDID (chunk %1)").arg(r.failedChunk), r.result);
            w.progress(QStringLiteral("read"), 255, 255);
            return CommandResult::success(
                { QByteArray(reinterpret_cast<const char *>(table.data()), int(table.size())) });
        },
        std::move(done));
}

void BoxModel::writeEdid(const QString &client, const QByteArray &bytes, Done done)
{
    EdidImage table {};
    if (const CommandResult bad = CommandChecks::edidTable(bytes, table); !bad.ok())
        return done(bad);
    command(
        client,
        [table](BoxWorker &w) {
            // As the window: an upload only in custom EDID mode; in the others the box builds
            // its own.
            BoxClient::Status status;
            if (const BoxResult r = w.box().readStatus(status); !r.ok())
                return boxFailed(QStringLiteral("reading the status"), r);
            const RegisterImage image = status.settings();
            if (image[Settings::setting(Settings::Id::EdidMode).position]
                    != Settings::EDID_MODE_CUSTOM
                || image[Settings::setting(Settings::Id::CustomEdid).position] != 0)
                return CommandResult::failure(ServiceNames::Error::wrongMode(),
                    QStringLiteral("the box is not in custom EDID mode (edid-mode=custom "
                                   "custom-edid=custom)"));
            const BoxClient::EdidWriteResult r = w.box().writeEdid(table,
                [&w](int done, int total) { w.progress(QStringLiteral("write"), done, total); });
            if (r.failedChunk >= 0)
                return boxFailed(
                    QStringLiteral("writing the EDID (chunk %1; the box keeps its table)")
                        .arg(r.failedChunk),
                    r.result);
            if (!r.result.ok())
                return boxFailed(QStringLiteral("committing the EDID"), r.result);
            w.progress(
                QStringLiteral("write"), EdidTransfer::WRITE_CHUNKS, EdidTransfer::WRITE_CHUNKS);
            return CommandResult::success();
        },
        std::move(done));
}

void BoxModel::sendCec(const QString &client, const QByteArray &message, Done done)
{
    QByteArray prepared;
    if (const CommandResult bad
        = CommandChecks::packet(CommandChecks::Packet::CecSend, message, prepared);
        !bad.ok())
        return done(bad);
    command(
        client,
        [prepared](BoxWorker &w) {
            return outcome(BoxClient::packetSteps(
                QStringLiteral("sending the CEC command"), w.box().sendCec(prepared)));
        },
        std::move(done));
}

void BoxModel::storeCec(const QString &client, uint slot, const QByteArray &message, Done done)
{
    if (!Words::cecStoreSlot(QString::number(slot)))
        return done(CommandChecks::invalid(QStringLiteral("the store slot is 1 or 2")));
    QByteArray prepared;
    if (const CommandResult bad
        = CommandChecks::packet(CommandChecks::Packet::CecStore, message, prepared);
        !bad.ok())
        return done(bad);
    command(
        client,
        [slot, prepared](BoxWorker &w) {
            const BoxResult r = w.box().storeCec(int(slot), prepared);
            return r.ok() ? CommandResult::success()
                          : boxFailed(QStringLiteral("storing the CEC command"), r);
        },
        std::move(done));
}

void BoxModel::loadHdrInfoFrame(
    const QString &client, const QByteArray &data, bool activate, Done done)
{
    QByteArray prepared;
    if (const CommandResult bad
        = CommandChecks::packet(CommandChecks::Packet::HdrInfoFrame, data, prepared);
        !bad.ok())
        return done(bad);
    command(
        client,
        [prepared, activate](
            BoxWorker &w) { return outcome(w.box().sendHdrInfoFrame(prepared, activate)); },
        std::move(done));
}

void BoxModel::loadAviInfoFrame(
    const QString &client, const QByteArray &data, bool replace, Done done)
{
    QByteArray prepared;
    if (const CommandResult bad = CommandChecks::packet(CommandChecks::Packet::Avi, data, prepared);
        !bad.ok())
        return done(bad);
    command(
        client,
        [prepared, replace](
            BoxWorker &w) { return outcome(w.box().sendAviInfoFrame(prepared, replace)); },
        std::move(done));
}

void BoxModel::factoryReset(const QString &client, const QString &what, Done done)
{
    const std::optional<Settings::Reset> reset = Words::reset(what);
    if (!reset)
        return done(
            CommandChecks::invalid(QStringLiteral("a factory reset is of settings, edid or all")));
    command(
        client,
        [reset = *reset](BoxWorker &w) {
            const BoxResult r = w.box().factoryReset(reset);
            return r.ok() ? CommandResult::success()
                          : boxFailed(QStringLiteral("factory reset"), r);
        },
        std::move(done));
}

void BoxModel::hold(const QString &client, Done done)
{
    if (!m_state.connected)
        return command(client, {}, std::move(done)); // refused as not connected
    m_worker->submit(client, BoxWorker::Kind::Hold, {}, std::move(done));
}

void BoxModel::release(const QString &client, Done done)
{
    m_worker->submit(client, BoxWorker::Kind::Release, {}, std::move(done));
}

void BoxModel::transact(
    const QString &client, const QByteArray &request, uint minReplyLength, Done done)
{
    if (const CommandResult bad = CommandChecks::frame(request, minReplyLength); !bad.ok())
        return done(bad);
    if (!m_state.connected)
        return command(client, {}, std::move(done));
    m_worker->submit(
        client, BoxWorker::Kind::Transact,
        [request, minReplyLength](BoxWorker &w) { return w.transactRaw(request, minReplyLength); },
        std::move(done));
}

void BoxModel::polledReplies(const QString &client, Done done)
{
    if (!m_state.connected)
        return command(client, {}, std::move(done));
    m_worker->submit(
        client, BoxWorker::Kind::Query, [](BoxWorker &w) { return w.polledReplies(); },
        std::move(done));
}

// A connected box needs no turn in the queue; one that is not is looked for in its turn, so a
// search never comes between the frames of somebody's hold.
void BoxModel::search(const QString &client, Done done)
{
    if (m_state.connected)
        return done(CommandResult::success(
            { ServiceNames::searchWord(ServiceNames::SearchOutcome::Connected), QStringList() }));
    m_worker->submit(
        client, BoxWorker::Kind::Query, [](BoxWorker &w) { return w.searchForClient(); },
        std::move(done));
}

void BoxModel::clientGone(const QString &client)
{
    m_worker->clientGone(client);
}
