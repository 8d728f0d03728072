// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidImage.h"
#include "link/Clock.h"
#include "link/UsbXpress.h"
#include "protocol/Frames.h"
#include "sim/BoxFirmware.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>
#include <utility>

// A model of the box's firmware behind the ten USB operations. It answers every request frame the
// way the box does (echoed code, reply length, busy periods) and starts with realistic content: a
// 4K HDR source, real TV EDIDs on both outputs. Tests can make it misbehave with the knobs below;
// every knob is off by default.
class SimulatedBox : public UsbXpress
{
public:
    enum class Operation {
        GetNumDevices,
        GetProductString,
        Open,
        Close,
        Read,
        Write,
        GetTimeouts,
        SetTimeouts,
        Flush,
        CheckRxQueue,
    };

    // The longest an empty receive-queue check waits for a reply: the libusb backend's default
    // queue-wait slice. setQueueWaitMs() changes it, for a benchmark to set the 1 ms the check
    // used to sleep beside it.
    static constexpr quint32 QUEUE_WAIT_MS = 50;
    void setQueueWaitMs(quint32 ms) { m_queueWaitMs = ms; }

    explicit SimulatedBox(Clock &clock);
    ~SimulatedBox() override;

    // --- the ten operations ---------------------------------------------------------------
    quint32 getNumDevices(quint32 *count) override;
    quint32 getProductString(quint32 index, char *buffer, quint32 kind) override;
    quint32 open(quint32 index, UsbHandle *handle) override;
    quint32 close(UsbHandle handle) override;
    quint32 read(UsbHandle handle, quint8 *buffer, quint32 wanted, quint32 *got) override;
    quint32 write(
        UsbHandle handle, const quint8 *buffer, quint32 length, quint32 *written) override;
    quint32 getTimeouts(quint32 *readMs, quint32 *writeMs) override;
    quint32 setTimeouts(quint32 readMs, quint32 writeMs) override;
    quint32 flushBuffers(UsbHandle handle, quint8 flushTransmit, quint8 flushReceive) override;
    quint32 checkRxQueue(UsbHandle handle, quint32 *bytesInQueue, quint32 *queueStatus) override;

    // --- behaviour for --simulate -----------------------------------------------------------
    // Lively: now and then (judged from the clock at status reads) the box changes by itself,
    // so a person sees the window follow it. Off by default.
    void setLively(bool on) { m_firmware.setLively(on); }
    bool isLively() const { return m_firmware.isLively(); }

    // --- misbehaviour -------------------------------------------------------------------------
    // The next `times` calls of `op` return `status` without doing anything.
    void failNext(Operation op, quint32 status, int times = 1);
    // Every call of `op` returns `status` (Success turns the failure off again).
    void failAlways(Operation op, quint32 status);
    // getProductString for that device index fails with DeviceNotFound.
    void failProductStringFor(quint32 index) { m_failingProductStrings.append(index); }
    // The kind-0 (serial) strings of the device list; one entry per device.
    void setDevices(const QList<QByteArray> &serials) { m_serials = serials; }
    // No reply to anything.
    void setSilent(bool on) { m_firmware.setSilent(on); }
    // No reply to the next `times` frames whose code (byte 2) is `code`.
    void setSilentFor(quint8 code, int times = 1) { m_firmware.setSilentFor(code, times); }
    // The next reply(ies) carry a wrong byte 0.
    void setWrongCodeNext(int times = 1) { m_firmware.setWrongCodeNext(times); }
    // The next reply is truncated to `length` bytes.
    void setShortReplyNext(int length) { m_firmware.setShortReplyNext(length); }
    // Every reply gets `n` extra trailing bytes.
    void setExtraBytes(int n) { m_firmware.setExtraBytes(n); }
    void setBusyForever(bool on) { m_firmware.setBusyForever(on); }
    // The next `n` status reads report busy.
    void setBusyStatusReads(int n) { m_firmware.setBusyStatusReads(n); }
    // That EDID chunk (0-based: offset / chunk length) gets no reply when read ...
    void failEdidChunkRead(int chunkIndex) { m_firmware.failEdidChunkRead(chunkIndex); }
    // ... or a wrong code when written.
    void failEdidChunkWrite(int chunkIndex) { m_firmware.failEdidChunkWrite(chunkIndex); }
    // Status reads that report busy after an EDID fetch or an EDID mode change (default 3).
    void setFetchBusyReads(int n) { m_firmware.setFetchBusyReads(n); }
    // Version the firmware reports in block 7 (four numbers, e.g. 2,1,0,17).
    void setFirmwareVersion(quint8 a, quint8 b, quint8 c, quint8 d)
    {
        m_firmware.setFirmwareVersion(a, b, c, d);
    }
    // Runs at the start of every write, before anything else: lets a test pull the plug in the
    // middle of a multi-frame command.
    void setWriteHook(std::function<void()> hook) { m_writeHook = std::move(hook); }
    // Sets every knob back to its default; the box's state is kept.
    void resetMisbehaviour();

    // --- state, for tests --------------------------------------------------------------------
    RegisterImage &statusBlock() { return m_firmware.statusBlock(); }
    // The data bytes of block n (62 bytes; the reply carries the first N-2 of them).
    QByteArray &block(quint8 n) { return m_firmware.block(n); }
    EdidImage &boxEdid() { return m_firmware.boxEdid(); }
    EdidImage &tvEdid(int output) { return m_firmware.tvEdid(output); }
    const EdidImage &factoryEdid() const { return m_firmware.factoryEdid(); }
    // The text last stored in CEC slot 1 or 2: the frame's bytes after its "CEC " prefix, the
    // closing carriage return included.
    QByteArray cecStore(int slot) const { return m_firmware.cecStore(slot); }
    // The payload of the last CEC send frame (the bytes after the code).
    QByteArray lastCecMessage() const { return m_firmware.lastCecMessage(); }
    QByteArray infoFrame() const { return m_firmware.infoFrame(); }
    QByteArray aviInfoFrame() const { return m_firmware.aviInfoFrame(); }
    // The records below (activations, call log, received frames) are kept only while recording
    // is on. It is off by default: --simulate polls the box for hours and would otherwise keep
    // every call and frame. Tests turn it on before the first call.
    void setRecording(bool on)
    {
        m_recording = on;
        m_firmware.setRecording(on);
    }
    bool isRecording() const { return m_recording; }
    // Activation selectors in the order received.
    const QList<quint8> &activations() const { return m_firmware.activations(); }
    // Operation names in call order, e.g. "Flush", "Write", "SetTimeouts 4000 0".
    const QStringList &callLog() const { return m_callLog; }
    void clearCallLog() { m_callLog.clear(); }
    std::pair<quint32, quint32> timeouts() const { return { m_readTimeout, m_writeTimeout }; }
    // Every frame the box received, in order.
    const QList<QByteArray> &receivedFrames() const { return m_frames; }
    void clearReceivedFrames() { m_frames.clear(); }
    int statusReadCount() const { return m_firmware.statusReadCount(); }
    // Bytes waiting in the receive queue.
    int pendingBytes() const { return int(m_pending.size()); }
    bool isOpen() const { return m_openHandle != kClosedHandle; }

    // The factory settings image.
    static RegisterImage defaultStatusBlock();

private:
    bool injectedFailure(Operation op, quint32 *status);
    bool handleValid(UsbHandle handle) const;
    // The receive queue and the flag that wakes a queue check waiting for it.
    void setPending(const QByteArray &bytes);
    void log(const QString &entry)
    {
        if (m_recording)
            m_callLog.append(entry);
    }

    Clock &m_clock;
    BoxFirmware m_firmware;

    QList<QByteArray> m_serials;
    QList<quint32> m_failingProductStrings;
    UsbHandle m_openHandle = kClosedHandle;
    UsbHandle m_nextHandle = 0x5A10;
    quint32 m_readTimeout = kInfiniteTimeout;
    quint32 m_writeTimeout = kInfiniteTimeout;
    QByteArray m_pending;
    WakeFlag m_replyReady;
    quint32 m_queueWaitMs = QUEUE_WAIT_MS;
    bool m_recording = false;
    QList<QByteArray> m_frames;
    QStringList m_callLog;

    struct Failure
    {
        quint32 status = UsbStatus::Success;
        int times = 0; // < 0: always
    };
    QHash<int, Failure> m_failures;
    std::function<void()> m_writeHook;
};
