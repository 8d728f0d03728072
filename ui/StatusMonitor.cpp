#include "MainWindow.h"

#include <QTimerEvent>

void MainWindow::startStatusTimer(int periodMs)
{
    if (statusTimerRunning)
        return;
    statusTimerId = startTimer(periodMs);
    statusTimerRunning = true;
}

void MainWindow::stopStatusTimer()
{
    if (!statusTimerRunning)
        return;
    statusTimerRunning = false;
    killTimer(statusTimerId);
}

void MainWindow::timerEvent(QTimerEvent *) {}
void MainWindow::followEdidRefresh() {}
void MainWindow::reflectSettings() {}
void MainWindow::describeSignal() {}
