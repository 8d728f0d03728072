#include "MainWindow.h"

#include "DeviceLink.h"

// The four frame operations that report their own failures on the status bar.

bool MainWindow::readRegisters(quint8 block, Reply &reply, quint8 count)
{
    const quint8 request[] = {FRAME_READ, count, CODE_REGISTERS, block};
    if (m_services.link->transact(reply, request, count, sizeof request)
        && reply[0] == CODE_REGISTERS)
        return true;
    showStatus(tr("..."), 2000);
    return false;
}

bool MainWindow::writeRegister(quint8 index, quint8 value)
{
    Reply reply{};
    const quint8 request[] = {FRAME_WRITE, 0x04, CODE_REGISTERS, index, value};
    const bool ok = m_services.link->transact(reply, request, 2, sizeof request);
    if (!ok || reply[0] != CODE_REGISTERS)
        showStatus(tr("Error Writing values"), 4000);
    return ok;
}

bool MainWindow::readStatus(Reply &reply, quint8 count)
{
    const quint8 request[] = {FRAME_READ, count, CODE_STATUS};
    if (m_services.link->transact(reply, request, count, sizeof request)
        && reply[0] == CODE_STATUS)
        return true;
    showStatus(tr("Error Reading values"), 4000);
    return false;
}

bool MainWindow::writeAllRegisters(const RegisterImage &image)
{
    Reply reply{};
    quint8 request[3 + STATUS_BLOCK_LEN] = {FRAME_WRITE, STATUS_BLOCK_LEN, CODE_REGISTER_BLOCK};
    std::copy(image.begin(), image.end(), request + 3);
    const bool ok = m_services.link->transact(reply, request, 2, sizeof request);
    if (!ok || reply[0] != CODE_REGISTER_BLOCK)
        showStatus(tr("Error Writing values"), 4000);
    return ok;
}
