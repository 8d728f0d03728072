// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "box/BoxClient.h"
#include "link/DeviceLink.h"
#include "session/ConnectionWatch.h"
#include "ui/AccessibleForm.h"
#include "ui/BoxRoute.h"
#include "ui/DecodedView.h"
#include "ui/Dialogs.h"
#include "ui/HelpMenu.h"
#include "ui/SettingsReflection.h"
#include "ui_ZelvarinForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
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
    , m_watch(std::make_unique<ConnectionWatch>())
    , m_route(std::make_unique<BoxRoute>(*services.link, *services.dialogs, services.service))
    , ui(new Ui::ZelvarinForm)
{
    ui->setupUi(this);
    // The EDID table is shown at 11 pixels. Set before the connect sequence fills the text, so it
    // is laid out once, at its own size, for the first frame; and as the widget's font rather
    // than through an application style sheet, which would re-polish every widget of the form
    // and route all of them through the style-sheet style.
    QFont edidFont = ui->EDIDtext->font();
    edidFont.setPixelSize(11);
    ui->EDIDtext->setFont(edidFont);
    m_reflection = std::make_unique<SettingsReflection>(*ui);
    baseTitle = windowTitle();
    installConnectionMenu();
    AccessibleForm::apply(*this);
    new HelpMenu(*this, *m_services.dialogs, ui->menuHelp, ui->actionAbout);
    addSettingsPresetActions();
    installViewMenu();
    matchMenuFonts();
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
    m_route->close(false);
    stopStatusTimer();
    stopBoxSearch();
    endEventLoop();
}

void MainWindow::releaseForm()
{
    m_reflection.reset();
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
    m_route->close(false);
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

// The form draws its menu entries in a font of their own; the entries added beside them (Connect,
// the settings files, Decoded..., Help) are drawn in the same, so that no menu mixes two sizes.
void MainWindow::matchMenuFonts()
{
    for (QAction *title : menuBar()->actions()) {
        if (QMenu *menu = title->menu()) {
            for (QAction *entry : menu->actions())
                entry->setFont(ui->actionExit->font());
        }
    }
}

void MainWindow::showStatus(const QString &text, int timeoutMs)
{
    statusBar()->showMessage(text, timeoutMs);
}

void MainWindow::clearTextBuffer()
{
    textBuffer.fill('\0');
}
