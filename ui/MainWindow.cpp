// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MainWindow.h"

#include "AccessibleForm.h"
#include "BoxClient.h"
#include "DecodedView.h"
#include "DeviceLink.h"
#include "Dialogs.h"
#include "HelpMenu.h"
#include "ui_ZelvarinForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QStatusBar>
#include <QThread>
#include <cstdlib>

namespace {

// Ends the running event loop with 0. With no loop running there is nothing to end, and asking
// anyway would leave Qt's quit flag set, so that the next local event loop (a modal message box,
// say) would return at once without showing anything.
void endEventLoop()
{
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

} // namespace

MainWindow::MainWindow(AppServices &services, QWidget *parent)
    : QMainWindow(parent, Qt::WindowFlags())
    , m_services(services)
    , m_box(std::make_unique<BoxClient>(*services.link, *services.clock))
    , ui(new Ui::ZelvarinForm)
{
    ui->setupUi(this);
    baseTitle = windowTitle();
    installConnectionMenu();
    AccessibleForm::apply(*this);
    new HelpMenu(*this, *m_services.dialogs, ui->menuHelp, ui->actionAbout);
    addSettingsPresetActions();
    installViewMenu();
    installEdidMenu();
    m_services.link->markClosed();
    connectBox();
}

MainWindow::~MainWindow()
{
    teardown();
}

// The destructor's steps, which closing the window takes as well; after a close the destructor
// (or FileExit) runs them again, so each step must find nothing to do the second time.
void MainWindow::teardown()
{
    // The decoded view is a window of its own: it goes with this one.
    if (decodedView)
        decodedView->close();
    releaseForm();
    m_services.link->close();
    stopStatusTimer();
    stopBoxSearch();
    endEventLoop();
}

void MainWindow::releaseForm()
{
    delete ui;
    ui = nullptr;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    teardown();
}

// File > Exit: the window is torn down in place and the process ends here, running its exit
// handlers; control never returns to the event loop. main creates the window with new, which is
// what makes the delete below sound.
void MainWindow::FileExit()
{
    m_services.link->close();
    stopStatusTimer();
    delete this;
    std::exit(0);
}

void MainWindow::FileAbout()
{
    m_services.dialogs->about(this, tr("About ZELVARIN Utility"),
        tr("<h2>ZELVARIN Utility Version %1</h2>150% DPI Display Version"
           "<p>Configures the ZELVARIN 4K HDMI matrix over USB.</p>")
            .arg(QStringLiteral(ZELVARIN_VERSION)));
}

void MainWindow::SetEPState()
{
    writeAllRegisters(m_services.link->registerMirror);
}

void MainWindow::showStatus(const QString &text, int timeoutMs)
{
    statusBar()->showMessage(text, timeoutMs);
}

void MainWindow::clearTextBuffer()
{
    textBuffer.fill('\0');
}
