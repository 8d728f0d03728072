// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/BoxWorker.h"

#include "box/SignalDescription.h"
#include "protocol/Blocks.h"
#include "protocol/SettingsTable.h"
#include "sim/SimulatedBox.h"
#include "zelvarind/client/ServiceNames.h"
#include "zelvarind/client/ServiceRelay.h"

#include <QTimer>

#include <algorithm>
#include <array>

#include <cstdio>

BoxWorker::BoxWorker(const Config &config)
    : m_config(config)
    , m_clock(config.clock ? config.clock : &m_systemClock)
{
    m_state.serial = QString::fromLatin1(config.serial);
}

BoxWorker::~BoxWorker() = default;

void BoxWorker::submit(const QString &owner, Kind kind, Work work, Done done)
{
    Job job { owner, kind, std::move(work), std::move(done) };
    QMetaObject::invokeMethod(
        this, [this, job]() mutable { enqueue(std::move(job)); }, Qt::QueuedConnection);
}

void BoxWorker::clientGone(const QString &owner)
{
    QMetaObject::invokeMethod(
        this,
        [this, owner] {
            m_lapsed.remove(owner);
            if (m_holder == owner) {
                m_holder.clear();
                m_holdTimer->stop();
            }
            // Raw requests of a client that is gone have nobody to answer and may be the
            // middle of a sequence it can no longer finish; its commands are whole and still run.
            for (auto it = m_jobs.begin(); it != m_jobs.end();) {
                if (it->owner == owner && it->kind != Kind::Command)
                    it = m_jobs.erase(it);
                else
                    ++it;
            }
            schedule();
        },
        Qt::QueuedConnection);
}

void BoxWorker::setSimulatedPresent(bool present)
{
    QMetaObject::invokeMethod(
        this,
        [this, present] {
            if (!m_sim)
                return;
            if (present) {
                m_sim->resetMisbehaviour();
                m_sim->setDevices({ m_config.serial });
                return;
            }
            // Pulled out: not listed any more, and the open handle fails every operation.
            m_sim->setDevices({});
            m_sim->failAlways(SimulatedBox::Operation::Write, UsbStatus::DeviceIoFailed);
            m_sim->failAlways(SimulatedBox::Operation::CheckRxQueue, UsbStatus::DeviceIoFailed);
        },
        Qt::QueuedConnection);
}

void BoxWorker::start(QObject *home)
{
    m_home = home;
    m_pollTimer = new QTimer(this);
    m_searchTimer = new QTimer(this);
    m_searchTimer->setSingleShot(true);
    m_holdTimer = new QTimer(this);
    m_holdTimer->setSingleShot(true);
    m_soonTimer = new QTimer(this);
    m_soonTimer->setSingleShot(true);
    connect(m_soonTimer, &QTimer::timeout, this, [this] {
        if (m_pollWanted)
            queuePoll();
    });
    connect(m_pollTimer, &QTimer::timeout, this, &BoxWorker::queuePoll);
    connect(m_searchTimer, &QTimer::timeout, this, [this] {
        enqueue({ QString(), Kind::Command,
            [](BoxWorker &w) {
                w.search();
                return CommandResult::success();
            },
            {} });
    });
    connect(m_holdTimer, &QTimer::timeout, this, &BoxWorker::holdLapsed);

    QString error;
    m_usb = m_config.device;
    if (!m_usb) {
        m_ownUsb = m_setup.createBackend(m_config.link, *m_clock, &error);
        m_usb = m_ownUsb.get();
    }
    if (!m_usb) {
        std::fprintf(stderr, "zelvarind: %s\n", qPrintable(error));
        emit firstSearchDone();
        return;
    }
    if (m_config.link.simulate && m_ownUsb) {
        // The simulated box lives as long as the service, so what one client changes the next
        // one sees.
        m_sim = static_cast<SimulatedBox *>(m_usb);
        m_sim->setDevices({ m_config.serial });
    }
    DeviceWarnings &warnings = *this;
    m_link = std::make_unique<DeviceLink>(*m_usb, *m_clock, warnings);
    if (!m_setup.startTrace(m_config.link, *m_link, &error))
        std::fprintf(stderr, "zelvarind: %s\n", qPrintable(error));
    m_box = std::make_unique<BoxClient>(*m_link, *m_clock);
    m_box->setObserver([this](const BoxResult &r) { noteResult(r); });
    if (!m_config.ownTraffic) {
        m_searched = true;
        emit firstSearchDone();
        return;
    }
    search();
}

void BoxWorker::shutDown()
{
    if (m_pollTimer) {
        m_pollTimer->stop();
        m_searchTimer->stop();
        m_holdTimer->stop();
        m_soonTimer->stop();
    }
    if (m_link)
        m_link->closeQuietly();
}

void BoxWorker::deviceWarning(const QString &text)
{
    m_warnings << text;
    if (m_clientSearch)
        return;
    std::fprintf(stderr, "zelvarind: box %s: %s\n", m_config.serial.constData(), qPrintable(text));
}

void BoxWorker::progress(const QString &operation, int done, int total)
{
    emit edidProgress(operation, done, total);
}

void BoxWorker::enqueue(Job job)
{
    // Letting go needs no turn at the box, and must work however full the queue is.
    if (job.kind == Kind::Release) {
        run(job);
        schedule();
        return;
    }
    const auto mine = std::count_if(m_jobs.begin(), m_jobs.end(),
        [&job](const Job &queued) { return queued.owner == job.owner; });
    if (int(m_jobs.size()) >= MAX_QUEUED
        || (!job.owner.isEmpty() && mine >= MAX_QUEUED_PER_CLIENT)) {
        reply(job.done,
            CommandResult::failure(ServiceNames::Error::busy(),
                QStringLiteral("too many requests are waiting for the box")));
        return;
    }
    m_jobs.push_back(std::move(job));
    schedule();
}

// One job per turn of the event loop, so timers and new requests are seen between two jobs.
void BoxWorker::schedule()
{
    if (m_scheduled || m_jobs.empty())
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &BoxWorker::runNext, Qt::QueuedConnection);
}

void BoxWorker::runNext()
{
    m_scheduled = false;
    // While a client holds the box only its own requests run.
    auto it = m_jobs.begin();
    for (; it != m_jobs.end(); ++it) {
        if (m_holder.isEmpty() || it->owner == m_holder)
            break;
    }
    if (it == m_jobs.end())
        return;
    Job job = std::move(*it);
    m_jobs.erase(it);
    run(job);
    if (m_pollWanted && !job.owner.isEmpty() && m_config.ownTraffic)
        m_soonTimer->start(POLL_AFTER_WRITE_MS);
    schedule();
}

void BoxWorker::run(Job &job)
{
    m_warnings.clear();
    const bool holder = !job.owner.isEmpty() && job.owner == m_holder;
    if (holder)
        m_holdTimer->start(m_config.holdIdleMs);
    const CommandResult notConnected = CommandResult::failure(ServiceNames::Error::notFound(),
        QStringLiteral("the box %1 is not connected").arg(m_state.serial));

    switch (job.kind) {
    case Kind::Hold:
        m_lapsed.remove(job.owner);
        if (!m_link || !m_link->isOpen()) {
            reply(job.done, notConnected);
            return;
        }
        m_holder = job.owner;
        m_holdTimer->start(m_config.holdIdleMs);
        reply(job.done, CommandResult::success());
        return;
    case Kind::Release:
        m_lapsed.remove(job.owner);
        if (holder) {
            m_holder.clear();
            m_holdTimer->stop();
        }
        reply(job.done, CommandResult::success());
        return;
    case Kind::Transact:
        // The client thinks it still holds the box; its next frame could land between someone
        // else's, so it is refused instead.
        if (m_lapsed.remove(job.owner)) {
            reply(job.done,
                CommandResult::failure(ServiceNames::Error::busy(),
                    QStringLiteral("the hold on the box lapsed after %1 ms without a request")
                        .arg(m_config.holdIdleMs)));
            return;
        }
        break;
    case Kind::Query:
        break;
    case Kind::Command:
        if (job.owner.isEmpty())
            break; // the service's own search and poll
        if (!m_link || !m_link->isOpen()) {
            reply(job.done, notConnected);
            return;
        }
        break;
    }
    if (!m_link) {
        reply(job.done, notConnected);
        return;
    }
    const CommandResult result = job.work(*this);
    if (job.kind == Kind::Command && !job.owner.isEmpty()) {
        m_pollWanted = true; // show what the command changed without waiting for the next tick
        m_polledFresh = false;
    }
    reply(job.done, result);
}

void BoxWorker::reply(const Done &done, const CommandResult &result)
{
    if (!done || !m_home)
        return;
    QMetaObject::invokeMethod(
        m_home, [done, result] { done(result); }, Qt::QueuedConnection);
}

CommandResult BoxWorker::transactRaw(const QByteArray &request, quint32 minReplyLength)
{
    Reply reply {};
    const bool ok = m_link->transact(reply, reinterpret_cast<const quint8 *>(request.constData()),
        minReplyLength, quint8(request.size()));
    const DeviceLink::Outcome outcome = m_link->lastOutcome();
    if (quint8(request.at(0)) == FRAME_WRITE) {
        m_polledFresh = false; // even one that failed may have reached the box
        if (ok)
            m_pollWanted = true;
    }
    const QByteArray bytes(reinterpret_cast<const char *>(reply.data()), int(outcome.replyLength));
    const QStringList warnings = m_warnings;
    noteResult(BoxResult::fromLink(*m_link, ok, 0, reply[0]));
    return CommandResult::success(
        { ServiceRelay::outcomeName(outcome.kind), uint(outcome.usbStatus), bytes, warnings });
}

void BoxWorker::noteResult(const BoxResult &result)
{
    if (m_watch.noteResult(result))
        boxLost();
}

CommandResult BoxWorker::searchForClient()
{
    m_warnings.clear();
    m_clientSearch = true;
    const Found found = search(true);
    m_clientSearch = false;
    return CommandResult::success({ ServiceNames::searchWord(found), m_warnings });
}

// As the window looks for its box: a box that is there but does not answer is closed again and
// asked less and less often. The service's own searches are quiet; a client's hears what the
// device layer said, as it would looking itself.
BoxWorker::Found BoxWorker::search(bool forClient)
{
    if (m_link->isOpen())
        return Found::Connected;
    m_link->setQuiet(!forClient);
    quint32 index = 0;
    Found found = Found::NotFound;
    if (m_link->findDevice(m_config.serial, index))
        found = m_link->open(index) ? Found::Connected : Found::OpenFailed;
    m_link->setQuiet(false);
    if (found == Found::Connected && m_config.ownTraffic) {
        BoxClient::Status status;
        if (!m_box->readStatus(status).delivered()) {
            m_link->closeQuietly();
            m_watch.backOff();
            found = Found::NoReply;
        }
    }
    const bool first = !m_searched;
    m_searched = true;
    if (found != Found::Connected) {
        if (m_config.ownTraffic)
            m_searchTimer->start(m_watch.searchPeriodMs());
        if (first)
            emit firstSearchDone();
        return found;
    }
    m_searchTimer->stop();
    m_watch.reset();
    m_state.connected = true;
    if (!m_config.ownTraffic) {
        publish();
        return found;
    }
    // The firmware block as identify() reads it, its reply kept for polledReplies().
    const auto firmwareRequest = BoxClient::blockRequest(Block::FIRMWARE, Block::FIRMWARE_LEN);
    Reply firmware {};
    m_firmwareRequest.clear();
    if (m_box->readBlock(Block::FIRMWARE, Block::FIRMWARE_LEN, firmware).ok()) {
        m_state.firmware = BoxClient::FirmwareVersion::fromReply(firmware).dotted();
        m_firmwareRequest = QByteArray(
            reinterpret_cast<const char *>(firmwareRequest.data()), int(firmwareRequest.size()));
        m_firmwareReply
            = QByteArray(reinterpret_cast<const char *>(firmware.data()), Block::FIRMWARE_LEN);
    }
    m_state.connected = m_link->isOpen();
    if (m_state.connected)
        m_pollTimer->start(m_config.pollMs);
    tick();
    if (first)
        emit firstSearchDone();
    return m_link->isOpen() ? Found::Connected : Found::NotFound;
}

// The window's status tick: the status block, then the signal; a tick whose first exchange got
// no reply asks nothing more.
void BoxWorker::tick()
{
    m_pollWanted = false;
    if (!m_link->isOpen())
        return;
    m_watch.beginTick();
    m_polledFresh = false;
    m_polledRequests.clear();
    m_polledReplies.clear();
    BoxClient::Status status;
    const bool statusOk = m_box->readStatus(status).ok();
    if (statusOk) {
        remember(BoxClient::statusRequest(), status.reply.data());
        m_state.busy = status.busy();
        // A busy box reports a settings image it is still changing.
        if (!status.busy()) {
            const RegisterImage image = status.settings();
            StringMap settings;
            for (const Settings::Setting &s : Settings::all())
                settings.insert(QLatin1String(s.name), Settings::valueName(s, image[s.position]));
            m_state.settings = settings;
        }
    }
    if (!m_watch.tickAbandoned()) {
        const BoxClient::SignalRead read = m_box->readSignal();
        if (read.ok()) {
            for (int k = 0; k < int(read.BLOCKS.size()); ++k)
                remember(BoxClient::blockRequest(read.BLOCKS[k].block, read.BLOCKS[k].length),
                    read.reply(k).data());
            const SignalInfo signal = read.decode();
            const SignalDescription words = SignalDescription::describe(signal);
            m_state.signalSource = words.sourceLine;
            m_state.signalVideo = words.videoLine;
            m_state.signalColour = words.colourLine;
            m_state.signalHdr = words.hdrLine;
            m_state.hdrInfoFrame = signal.hdrInfoFrame;
        }
    }
    // Only a whole poll of a box that is not busy stands for a status read now.
    m_polledFresh = statusOk && !status.busy() && m_polledRequests.size() == 5;
    if (m_watch.endTick(m_link->isOpen()))
        boxLost();
    publish();
}

template <std::size_t N>
void BoxWorker::remember(const std::array<quint8, N> &request, const quint8 *reply)
{
    m_polledRequests << QByteArray(reinterpret_cast<const char *>(request.data()), int(N));
    m_polledReplies << QByteArray(reinterpret_cast<const char *>(reply), request[1]);
}

CommandResult BoxWorker::polledReplies() const
{
    if (!m_polledFresh || !m_link || !m_link->isOpen())
        return CommandResult::success(
            { QVariant::fromValue(QByteArrayList()), QVariant::fromValue(QByteArrayList()) });
    QByteArrayList requests = m_polledRequests;
    QByteArrayList replies = m_polledReplies;
    if (!m_firmwareRequest.isEmpty()) {
        requests.prepend(m_firmwareRequest);
        replies.prepend(m_firmwareReply);
    }
    return CommandResult::success({ QVariant::fromValue(requests), QVariant::fromValue(replies) });
}

void BoxWorker::boxLost()
{
    if (!m_link->isOpen())
        return;
    if (m_watch.inTick())
        m_watch.abandonTick();
    // The handle of a vanished box may not close cleanly; that is no news to anybody.
    m_link->closeQuietly();
    m_pollTimer->stop();
    m_state.connected = false;
    publish();
    if (m_config.ownTraffic)
        m_searchTimer->start(m_watch.searchPeriodMs());
}

void BoxWorker::holdLapsed()
{
    if (m_holder.isEmpty())
        return;
    std::fprintf(stderr, "zelvarind: box %s: %s held it for %d ms without a request; let go\n",
        m_config.serial.constData(), qPrintable(m_holder), m_config.holdIdleMs);
    m_lapsed.insert(m_holder);
    m_holder.clear();
    schedule();
}

// Only what changed crosses to the clients' thread: an idle box's ticks wake nothing there.
void BoxWorker::publish()
{
    if (m_state.differences(m_published).isEmpty())
        return;
    m_published = m_state;
    emit stateChanged(m_state);
}

void BoxWorker::queuePoll()
{
    for (const Job &job : m_jobs) {
        if (job.owner.isEmpty())
            return; // a poll or search is waiting already
    }
    enqueue({ QString(), Kind::Command,
        [](BoxWorker &w) {
            w.tick();
            return CommandResult::success();
        },
        {} });
}
