#include "MainWindow.h"

#include "DeviceLink.h"

// Placeholder until the connect sequence lands: find and open the box only.
void MainWindow::connectBox()
{
    quint32 index = 0;
    if (!m_services.link->findDevice(DeviceLink::DEVICE_SERIAL, index))
        return;
    if (!m_services.link->open(index))
        return;
    boxConnected = true;
}
