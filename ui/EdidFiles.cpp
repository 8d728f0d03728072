#include "MainWindow.h"

void MainWindow::SaveEDIDtoFile() { clearTextBuffer(); }
void MainWindow::LoadEDIDfromFile() { clearTextBuffer(); }
void MainWindow::CalculateChkSum() { clearTextBuffer(); }
int MainWindow::parseEdidText(EdidImage &) { return -1; }
void MainWindow::showEdidImage(const EdidImage &) {}
