#include "MainWindow.h"

void MainWindow::WriteCEC() { clearTextBuffer(); }
void MainWindow::SaveCEC_1() { clearTextBuffer(); }
void MainWindow::SaveCEC_2() { clearTextBuffer(); }
void MainWindow::WriteIF() { clearTextBuffer(); }
bool MainWindow::sendAVI() { return false; }
bool MainWindow::sendCecCommand(quint8) { return false; }
bool MainWindow::storeCecCommand(quint8) { return false; }
bool MainWindow::sendHdrInfoFrame() { return false; }
