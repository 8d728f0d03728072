#include "MainWindow.h"

void MainWindow::on_ProgressChange(int, int) {}
void MainWindow::ensureProgressBar() {}
void MainWindow::ReadEDID() { clearTextBuffer(); }
void MainWindow::readTvEdidA() { clearTextBuffer(); }
void MainWindow::readTvEdidB() { clearTextBuffer(); }
void MainWindow::WriteEDID() { clearTextBuffer(); }
bool MainWindow::readBoxEdid() { return false; }
bool MainWindow::readTvEdid(bool) { return false; }
bool MainWindow::readEdidTable(quint8, const QString &) { return false; }
bool MainWindow::writeBoxEdid() { return false; }
