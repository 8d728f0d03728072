// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "box/BoxClient.h"
#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "session/ConnectionWatch.h"
#include "session/LinkSetup.h"
#include "zelvarind/BoxState.h"
#include "zelvarind/CommandResult.h"
#include "zelvarind/client/ServiceNames.h"

#include <QObject>
#include <QSet>

#include <deque>
#include <functional>
#include <memory>

class QTimer;
class SimulatedBox;

// One box's conversation, on a thread of its own: the device link, the search for the box, the
// status poll and the one queue every request goes through. A job runs to its end before the
// next starts, so the frames of a multi-frame command never interleave with others; a client
// that holds the box (the raw path) has the queue to itself until it lets go, leaves the bus or
// sends nothing for a while. The box's blocking waits happen here, never on the thread that
// talks to clients, and the results travel back to that thread as queued calls.
class BoxWorker : public QObject, private DeviceWarnings
{
    Q_OBJECT

public:
    struct Config
    {
        LinkSetup::Options link;
        QByteArray serial = DeviceLink::DEVICE_SERIAL;
        int pollMs = 3000; // as the window
        int holdIdleMs = 10000; // a hold with no request for this long lapses
        // A device layer and clock of the host's own (not owned; both outlive the worker),
        // instead of those `link` makes: a test's simulated box on its virtual clock.
        UsbXpress *device = nullptr;
        Clock *clock = nullptr;
        // Off: the worker sends the box nothing of its own (no status poll, no probe of a box
        // it finds) and looks for it only when a client asks (Search). For a host whose one
        // client's conversation is checked frame by frame.
        bool ownTraffic = true;
    };

    // What a search came to (the Search method's outcome).
    using Found = ServiceNames::SearchOutcome;

    // After a write the box is polled this long after the last request, so the properties
    // show the change soon without splitting a client's run of requests.
    static constexpr int POLL_AFTER_WRITE_MS = 100;

    // Query: answered from what the worker knows, after the requests before it, touching nothing.
    enum class Kind { Command, Hold, Release, Transact, Query };

    // Runs on the worker thread with the box connected; returns what the client hears.
    using Work = std::function<CommandResult(BoxWorker &)>;
    // Runs on the thread of `home` (given to start()).
    using Done = std::function<void(const CommandResult &)>;

    // More waiting requests than these are refused (Busy): a client flooding the queue must not
    // make the service grow without bound, nor crowd the other clients out.
    static constexpr int MAX_QUEUED = 256;
    static constexpr int MAX_QUEUED_PER_CLIENT = 64;

    explicit BoxWorker(const Config &config);
    ~BoxWorker() override;

    // --- from any thread ----------------------------------------------------------------------
    // Queues a request of `owner` (a client's bus name; empty: the service itself).
    void submit(const QString &owner, Kind kind, Work work, Done done);
    // The client left: its hold ends and its waiting raw requests are dropped. Commands it
    // queued still run whole, so nothing it asked for is left half done.
    void clientGone(const QString &owner);
    // Test hook: the simulated box is unplugged (false) or plugged in again.
    void setSimulatedPresent(bool present);

    // --- on the worker thread, for Work ------------------------------------------------------
    BoxClient &box() { return *m_box; }
    DeviceLink &link() { return *m_link; }
    // One raw transaction (the Transact method): outcome, USB status, reply, warnings.
    CommandResult transactRaw(const QByteArray &request, quint32 minReplyLength);
    // The request frames of the last status poll and their replies, while nothing else has
    // reached the box since (and it was not busy); empty otherwise. A relay answers a front end's
    // first reads from them, so a status costs the box no frames of its own.
    CommandResult polledReplies() const;
    // A client's Search: the box looked for now unless it is connected; success carries the
    // outcome and what the device layer said on the way.
    CommandResult searchForClient();
    // Progress of the running command, passed on to the clients.
    void progress(const QString &operation, int done, int total);

public Q_SLOTS:
    // On the worker thread once it runs: sets up the link and looks for the box.
    void start(QObject *home);
    // Closes the link; the last call on the worker thread.
    void shutDown();

Q_SIGNALS:
    void stateChanged(const BoxState &state);
    void edidProgress(const QString &operation, int done, int total);
    // The first search ended (found or not): the service may take its name now.
    void firstSearchDone();

private:
    struct Job
    {
        QString owner;
        Kind kind;
        Work work;
        Done done;
    };

    void deviceWarning(const QString &text) override;
    void enqueue(Job job);
    void schedule();
    void runNext();
    void run(Job &job);
    void reply(const Done &done, const CommandResult &result);
    void noteResult(const BoxResult &result);
    Found search(bool forClient = false);
    void tick();
    void boxLost();
    void holdLapsed();
    void publish();
    void queuePoll();
    template <std::size_t N>
    void remember(const std::array<quint8, N> &request, const quint8 *reply);

    Config m_config;
    SystemClock m_systemClock;
    Clock *m_clock; // m_systemClock, or the host's
    LinkSetup m_setup;
    std::unique_ptr<UsbXpress> m_ownUsb; // the device layer the link options made
    UsbXpress *m_usb = nullptr; // m_ownUsb, or the host's
    SimulatedBox *m_sim = nullptr; // m_usb, when simulating
    std::unique_ptr<DeviceLink> m_link;
    std::unique_ptr<BoxClient> m_box;
    ConnectionWatch m_watch;
    QObject *m_home = nullptr;
    QTimer *m_pollTimer = nullptr;
    QTimer *m_searchTimer = nullptr;
    QTimer *m_holdTimer = nullptr;
    QTimer *m_soonTimer = nullptr; // the poll after a write, once the writer has paused

    std::deque<Job> m_jobs;
    bool m_scheduled = false;
    bool m_pollQueued = false;
    bool m_pollWanted = false; // a write went through: poll once the queue is free
    QString m_holder;
    QSet<QString> m_lapsed;
    QStringList m_warnings; // said by the device layer during the running job
    bool m_clientSearch = false; // its warnings are the client's news, not the log's
    BoxState m_state;
    BoxState m_published; // what the model was last told
    bool m_searched = false;
    // The last poll's reads (polledReplies()); the firmware's, from the connection, stays.
    QByteArrayList m_polledRequests;
    QByteArrayList m_polledReplies;
    QByteArray m_firmwareRequest;
    QByteArray m_firmwareReply;
    bool m_polledFresh = false;
};
