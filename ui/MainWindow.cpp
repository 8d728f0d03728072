#include "MainWindow.h"

#include "DeviceLink.h"
#include "Dialogs.h"
#include "ui_ZelvarinForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QStatusBar>
#include <cstdlib>

MainWindow::MainWindow(AppServices &services, QWidget *parent)
    : QMainWindow(parent, Qt::WindowFlags()), m_services(services), ui(new Ui::ZelvarinForm)
{
    ui->setupUi(this);
    m_services.link->markClosed();
    connectBox();
}

MainWindow::~MainWindow()
{
    teardown();
}

// The destructor's steps; FileExit runs them too before it ends the process, so each step must
// find nothing to do the second time.
void MainWindow::teardown()
{
    releaseForm();
    m_services.link->close();
    stopStatusTimer();
    QCoreApplication::exit(0);
}

void MainWindow::releaseForm()
{
    delete ui;
    ui = nullptr;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    releaseForm();
    m_services.link->close();
    stopStatusTimer();
    QCoreApplication::exit(0);
}

void MainWindow::FileExit()
{
    m_services.link->close();
    stopStatusTimer();
    delete this;
    std::exit(0);
}

void MainWindow::FileAbout()
{
    m_services.dialogs->about(
        this, tr("About ZELVARIN Utility"),
        tr("<h2>ZELVARIN Utility Version 1.8</h2>150% DPI Display Version"
           "<p>Configures the ZELVARIN 4K HDMI matrix over USB.</p>"));
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
