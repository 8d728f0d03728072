// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "box/BoxClient.h"
#include "link/DeviceLink.h"
#include "ui_ZelvarinForm.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QTimerEvent>

// Watching the connection: a box that goes silent or away is noticed, said once, and no longer
// polled; while there is none the window looks for one and, once found, connects again.

namespace {
// Consecutive USB failures that mean the box is gone (an unplugged box fails every operation).
constexpr int LOST_AFTER_LINK_ERRORS = 3;
// Consecutive status ticks whose first exchange got no reply.
constexpr int LOST_AFTER_SILENT_TICKS = 3;
// Status ticks in a row on which the box reports busy before the window says so. The box's own
// work (preparing an EDID table, taking a new EDID mode) ends within the five seconds an EDID read
// waits for it, two ticks at most; five ticks (15 s) is well past any busy spell that ends by
// itself, and soon enough that a user learns why the window has stopped following the box.
constexpr int BUSY_TICKS_REPORTED = 5;
// How often to look for a box; a box that is there but does not answer is asked less and less
// often (each attempt blocks the window for the reply wait).
constexpr int SEARCH_PERIOD_MS = 2000;
constexpr int SEARCH_PERIOD_MAX_MS = 64000;
} // namespace

void MainWindow::installConnectionMenu()
{
    auto *connectAction = new QAction(tr("&Connect"), this);
    connectAction->setObjectName(QStringLiteral("actionConnect"));
    ui->menuFile->insertAction(ui->actionExit, connectAction);
    connect(connectAction, &QAction::triggered, this, [this] { searchForBox(true); });

    m_box->setObserver([this](const BoxResult &r) { noteResult(r); });
}

void MainWindow::resetConnectionWatch()
{
    linkErrorsInARow = 0;
    silentTicks = 0;
    busyTicks = 0;
    busyNotice.clear();
    tickAbandoned = false;
    searchPeriodMs = SEARCH_PERIOD_MS;
    stopBoxSearch();
    setWindowTitle(baseTitle);
}

void MainWindow::noteResult(const BoxResult &r)
{
    if (inTick && ++tickTransactions == 1 && r.kind == BoxResult::NoReply)
        tickAbandoned = true;
    if (r.kind == BoxResult::LinkError) {
        if (++linkErrorsInARow >= LOST_AFTER_LINK_ERRORS)
            boxLost();
    } else if (r.kind != BoxResult::NotOpen) {
        linkErrorsInARow = 0;
    }
}

// The tick's own steps run between these two; a tick whose first exchange went unanswered is cut
// short, so a silent box costs one reply wait per tick instead of six.
void MainWindow::beginTick()
{
    inTick = true;
    tickTransactions = 0;
    tickAbandoned = false;
}

void MainWindow::endTick()
{
    inTick = false;
    if (!m_services.link->isOpen()) {
        tickAbandoned = false;
        return;
    }
    if (!tickAbandoned) {
        silentTicks = 0;
        return;
    }
    tickAbandoned = false;
    if (++silentTicks >= LOST_AFTER_SILENT_TICKS)
        boxLost();
}

// A tick that has just lost the box leaves the status bar to the news of it.
bool MainWindow::lostDuringTick() const
{
    return inTick && !m_services.link->isOpen();
}

// Said once per busy spell and left on the status bar while it lasts: a message that timed out
// would leave a window that silently stopped following the box. It goes once the box answers,
// unless something newer has taken its place.
void MainWindow::noteBusyTick(bool busy)
{
    if (!busy) {
        busyTicks = 0;
        if (!busyNotice.isEmpty() && statusBar()->currentMessage() == busyNotice)
            statusBar()->clearMessage();
        busyNotice.clear();
        return;
    }
    if (++busyTicks != BUSY_TICKS_REPORTED)
        return;
    busyNotice = edidRefreshPending ? tr("The box stays busy: EDID values not read.")
                                    : tr("The box stays busy: settings not read.");
    showStatus(busyNotice, 0);
}

void MainWindow::boxLost()
{
    if (!m_services.link->isOpen())
        return;
    stopStatusTimer();
    // The rest of a running tick has nothing to ask; its reads must not bury the news.
    if (inTick)
        tickAbandoned = true;
    // The handle of a vanished box may not close cleanly; that is no news to the user.
    m_services.link->setQuiet(true);
    m_services.link->close();
    m_services.link->setQuiet(false);
    setWindowTitle(baseTitle + tr(" [USB disconnected]"));
    showStatus(tr("ZELVARIN USB disconnected!"), 0);
    startBoxSearch();
}

void MainWindow::startBoxSearch()
{
    if (searchTimerId != 0)
        return;
    searchTimerId = startTimer(searchPeriodMs);
}

void MainWindow::stopBoxSearch()
{
    if (searchTimerId == 0)
        return;
    killTimer(searchTimerId);
    searchTimerId = 0;
}

// A background search says nothing when it finds nothing; File > Connect says what the start-up
// search says.
void MainWindow::searchForBox(bool asked)
{
    if (!ui || m_services.link->transactionBusy())
        return;
    if (m_services.link->isOpen()) {
        if (asked)
            showStatus(tr("ZELVARIN USB connected."), 2000);
        return;
    }
    DeviceLink &link = *m_services.link;
    link.setQuiet(!asked);
    quint32 index = 0;
    const bool opened = link.findDevice(DeviceLink::DEVICE_SERIAL, index) && link.open(index);
    link.setQuiet(false);
    if (!opened)
        return;

    // A box that is there but silent would freeze the window in a full connect sequence: ask it
    // once first, and try again later (less often) if it does not answer.
    BoxClient::Status status;
    if (!m_box->readStatus(status).delivered()) {
        link.setQuiet(true);
        link.close();
        link.setQuiet(false);
        stopBoxSearch();
        searchPeriodMs = std::min(searchPeriodMs * 2, SEARCH_PERIOD_MAX_MS);
        startBoxSearch();
        return;
    }
    runConnectSequence();
}

bool MainWindow::isSearchTimer(const QTimerEvent *event) const
{
    return searchTimerId != 0 && event->timerId() == searchTimerId;
}
