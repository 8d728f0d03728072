#include "SimulatedBox.h"

#include "Clock.h"

// Placeholder: a box that is never there.
SimulatedBox::SimulatedBox(Clock &clock) : m_clock(clock) {}
SimulatedBox::~SimulatedBox() = default;
quint32 SimulatedBox::getNumDevices(quint32 *count) { *count = 0; return UsbStatus::Success; }
quint32 SimulatedBox::getProductString(quint32, char *buffer, quint32) { buffer[0] = 0; return UsbStatus::DeviceNotFound; }
quint32 SimulatedBox::open(quint32, UsbHandle *) { return UsbStatus::DeviceNotFound; }
quint32 SimulatedBox::close(UsbHandle) { return UsbStatus::InvalidHandle; }
quint32 SimulatedBox::read(UsbHandle, quint8 *, quint32, quint32 *got) { *got = 0; return UsbStatus::ReadTimedOut; }
quint32 SimulatedBox::write(UsbHandle, const quint8 *b, quint32 n, quint32 *w) { m_frames.append(QByteArray(reinterpret_cast<const char *>(b), int(n))); *w = n; return UsbStatus::Success; }
quint32 SimulatedBox::getTimeouts(quint32 *r, quint32 *w) { *r = *w = 0; return UsbStatus::Success; }
quint32 SimulatedBox::setTimeouts(quint32, quint32) { return UsbStatus::Success; }
quint32 SimulatedBox::flushBuffers(UsbHandle, quint8, quint8) { return UsbStatus::Success; }
quint32 SimulatedBox::checkRxQueue(UsbHandle, quint32 *n, quint32 *) { *n = 0; m_clock.sleepMs(1); return UsbStatus::Success; }
