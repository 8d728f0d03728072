#pragma once

#include "UsbXpress.h"

#include <QByteArray>
#include <QList>

class Clock;

// A model of the box's firmware behind the ten USB operations.
class SimulatedBox : public UsbXpress
{
public:
    explicit SimulatedBox(Clock &clock);
    ~SimulatedBox() override;

    quint32 getNumDevices(quint32 *count) override;
    quint32 getProductString(quint32 index, char *buffer, quint32 kind) override;
    quint32 open(quint32 index, UsbHandle *handle) override;
    quint32 close(UsbHandle handle) override;
    quint32 read(UsbHandle handle, quint8 *buffer, quint32 wanted, quint32 *got) override;
    quint32 write(UsbHandle handle, const quint8 *buffer, quint32 length,
                  quint32 *written) override;
    quint32 getTimeouts(quint32 *readMs, quint32 *writeMs) override;
    quint32 setTimeouts(quint32 readMs, quint32 writeMs) override;
    quint32 flushBuffers(UsbHandle handle, quint8 flushTransmit, quint8 flushReceive) override;
    quint32 checkRxQueue(UsbHandle handle, quint32 *bytesInQueue, quint32 *queueStatus) override;

    // Every frame the box received, in order.
    const QList<QByteArray> &receivedFrames() const { return m_frames; }
    void clearReceivedFrames() { m_frames.clear(); }

private:
    Clock &m_clock;
    QList<QByteArray> m_frames;
};
