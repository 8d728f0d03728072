// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "box/BoxClient.h"
#include "link/DeviceLink.h"
#include "session/ConnectionWatch.h"
#include "ui/BoxRoute.h"
#include "ui_ZelvarinForm.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QTimerEvent>

// Watching the connection: a box that goes silent or away is noticed, said once, and no longer
// polled; while there is none the window looks for one and, once found, connects again.

// The loss and search rules themselves are ConnectionWatch's, shared with the service.

void MainWindow::installConnectionMenu()
{
    auto *connectAction = new QAction(tr("&Connect"), this);
    connectAction->setObjectName(QStringLiteral("actionConnect"));
    ui->menuFile->insertAction(ui->actionExit, connectAction);
    connect(connectAction, &QAction::triggered, this, [this] { searchForBox(true); });

    m_box->setObserver([this](const BoxResult &r) { noteResult(r); });
    // A box the service lost while the window was idle; inside a transaction (a warning box's
    // own loop) the transaction's result tells instead.
    connect(m_route.get(), &BoxRoute::boxRemoved, this, [this] {
        if (!m_services.link->transactionBusy())
            boxLost();
    });
}

void MainWindow::resetConnectionWatch()
{
    m_watch->reset();
    stopBoxSearch();
    setWindowTitle(baseTitle);
}

// Through the service, the service's word that the box is gone (or its own silence) counts as
// the box's.
void MainWindow::noteResult(const BoxResult &r)
{
    if (m_watch->noteResult(r) || m_route->lost())
        boxLost();
}

// The tick's own steps run between these two; a tick whose first exchange went unanswered is cut
// short, so a silent box costs one reply wait per tick instead of six.
void MainWindow::beginTick()
{
    m_watch->beginTick();
}

void MainWindow::endTick()
{
    if (m_watch->endTick(m_services.link->isOpen()))
        boxLost();
}

// A tick that has just lost the box leaves the status bar to the news of it.
bool MainWindow::lostDuringTick() const
{
    return m_watch->inTick() && !m_services.link->isOpen();
}

// Said once per busy spell and left on the status bar while it lasts: a message that timed out
// would leave a window that silently stopped following the box. It goes once the box answers,
// unless something newer has taken its place.
void MainWindow::noteBusyTick(bool busy)
{
    if (!busy) {
        m_watch->noteBusyTick(false);
        if (!busyNotice.isEmpty() && statusBar()->currentMessage() == busyNotice)
            statusBar()->clearMessage();
        busyNotice.clear();
        return;
    }
    if (!m_watch->noteBusyTick(true))
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
    if (m_watch->inTick())
        m_watch->abandonTick();
    // The handle of a vanished box may not close cleanly; that is no news to the user.
    m_route->close(true);
    setWindowTitle(baseTitle + tr(" [USB disconnected]"));
    showStatus(tr("ZELVARIN USB disconnected!"), 0);
    startBoxSearch();
}

void MainWindow::startBoxSearch()
{
    if (searchTimerId != 0)
        return;
    searchTimerId = startTimer(m_watch->searchPeriodMs());
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
    const BoxRoute::Opened opened = m_route->open(!asked);
    if (opened == BoxRoute::Opened::NotFound || opened == BoxRoute::Opened::OpenFailed)
        return;

    // A box that is there but silent would freeze the window in a full connect sequence: ask it
    // once first, and try again later (less often) if it does not answer. (The service asks it
    // itself when it finds it.)
    BoxClient::Status status;
    if (opened == BoxRoute::Opened::Silent || !m_box->readStatus(status).delivered()) {
        m_route->close(true);
        stopBoxSearch();
        m_watch->backOff();
        startBoxSearch();
        return;
    }
    runConnectSequence();
}

bool MainWindow::isSearchTimer(const QTimerEvent *event) const
{
    return searchTimerId != 0 && event->timerId() == searchTimerId;
}
