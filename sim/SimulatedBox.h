#pragma once

#include "EdidImage.h"
#include "Frames.h"
#include "UsbXpress.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QStringList>

#include <utility>

class Clock;

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

    explicit SimulatedBox(Clock &clock);
    ~SimulatedBox() override;

    // --- the ten operations ---------------------------------------------------------------
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

    // --- behaviour for --simulate -----------------------------------------------------------
    // Lively: now and then (judged from the clock at status reads) the box changes by itself,
    // so a person sees the window follow it. Off by default.
    void setLively(bool on);
    bool isLively() const { return m_lively; }

    // --- misbehaviour -------------------------------------------------------------------------
    // The next `times` calls of `op` return `status` without doing anything.
    void failNext(Operation op, quint32 status, int times = 1);
    // Every call of `op` returns `status` (Success turns the failure off again).
    void failAlways(Operation op, quint32 status);
    // getProductString for that device index fails with DeviceNotFound.
    void failProductStringFor(quint32 index);
    // The kind-0 (serial) strings of the device list; one entry per device.
    void setDevices(const QList<QByteArray> &serials);
    // No reply to anything.
    void setSilent(bool on);
    // No reply to the next `times` frames whose code (byte 2) is `code`.
    void setSilentFor(quint8 code, int times = 1);
    // The next reply(ies) carry a wrong byte 0.
    void setWrongCodeNext(int times = 1);
    // The next reply is truncated to `length` bytes.
    void setShortReplyNext(int length);
    // Every reply gets `n` extra trailing bytes.
    void setExtraBytes(int n);
    void setBusyForever(bool on);
    // The next `n` status reads report busy.
    void setBusyStatusReads(int n);
    // That 8-byte EDID chunk (0-based, offset = 8 * index) gets no reply when read ...
    void failEdidChunkRead(int chunkIndex);
    // ... or a wrong code when written.
    void failEdidChunkWrite(int chunkIndex);
    // Status reads that report busy after an EDID fetch or an EDID mode change (default 3).
    void setFetchBusyReads(int n) { m_fetchBusyReads = n; }
    // Version the firmware reports in block 7 (four numbers, e.g. 2,1,0,17).
    void setFirmwareVersion(quint8 a, quint8 b, quint8 c, quint8 d);
    // Sets every knob back to its default; the box's state is kept.
    void resetMisbehaviour();

    // --- state, for tests --------------------------------------------------------------------
    RegisterImage &statusBlock() { return m_status; }
    // The data bytes of block n (62 bytes; the reply carries the first N-2 of them).
    QByteArray &block(quint8 n);
    EdidImage &boxEdid() { return m_boxEdid; }
    EdidImage &tvEdid(int output) { return m_tvEdid[output == 1 ? 1 : 0]; }
    const EdidImage &factoryEdid() const { return m_factoryEdid; }
    // The text last stored in CEC slot 1 or 2 (without the "CEC " prefix the frame carries).
    QByteArray cecStore(int slot) const;
    // The payload of the last CEC send frame (the bytes after the code).
    QByteArray lastCecMessage() const { return m_lastCec; }
    QByteArray infoFrame() const { return m_infoFrame; }
    QByteArray aviInfoFrame() const { return m_aviFrame; }
    // Activation selectors in the order received.
    const QList<quint8> &activations() const { return m_activations; }
    // Operation names in call order, e.g. "Flush", "Write", "SetTimeouts 4000 0".
    const QStringList &callLog() const { return m_callLog; }
    void clearCallLog() { m_callLog.clear(); }
    std::pair<quint32, quint32> timeouts() const { return {m_readTimeout, m_writeTimeout}; }
    // Every frame the box received, in order.
    const QList<QByteArray> &receivedFrames() const { return m_frames; }
    void clearReceivedFrames() { m_frames.clear(); }
    int statusReadCount() const { return m_statusReads; }
    // Bytes waiting in the receive queue.
    int pendingBytes() const { return int(m_pending.size()); }
    bool isOpen() const { return m_openHandle != kClosedHandle; }

    // The factory settings image.
    static RegisterImage defaultStatusBlock();

private:
    bool injectedFailure(Operation op, quint32 *status);
    bool handleValid(UsbHandle handle) const;
    void log(const QString &entry) { m_callLog.append(entry); }

    QByteArray answer(const QByteArray &frame);
    QByteArray answerRead(const QByteArray &frame);
    QByteArray answerWrite(const QByteArray &frame);
    QByteArray statusReply(int length);
    QByteArray blockReply(int length, quint8 block);
    QByteArray edidChunkReply(int length, int offset);
    void applyRegister(quint8 reg, quint8 value);
    void factoryReset(quint8 what);
    void startBusy(int reads);
    void liveTick();

    Clock &m_clock;

    // Link state.
    QList<QByteArray> m_serials;
    QList<quint32> m_failingProductStrings;
    UsbHandle m_openHandle = kClosedHandle;
    UsbHandle m_nextHandle = 0x5A10;
    quint32 m_readTimeout = kInfiniteTimeout;
    quint32 m_writeTimeout = kInfiniteTimeout;
    QByteArray m_pending;
    QList<QByteArray> m_frames;
    QStringList m_callLog;

    // Firmware state.
    RegisterImage m_status{};
    QMap<quint8, QByteArray> m_blocks;
    EdidImage m_boxEdid{};
    EdidImage m_factoryEdid{};
    EdidImage m_tvEdid[2]{};
    EdidImage m_customEdid{}; // the last table committed, used in custom EDID mode
    EdidImage m_transfer{};   // what the last fetch put in place for the chunk reads
    EdidImage m_upload{};     // what the chunk writes have filled so far
    QByteArray m_cec[2];
    QByteArray m_lastCec;
    QByteArray m_infoFrame;
    QByteArray m_aviFrame;
    QList<quint8> m_activations;
    quint8 m_firmware[4] = {2, 1, 0, 17};
    int m_busyReads = 0;
    int m_fetchBusyReads = 3;
    int m_statusReads = 0;

    // Lively mode.
    bool m_lively = false;
    quint32 m_lastChangeMs = 0;
    quint32 m_nextChangeAfterMs = 15000;
    int m_liveStep = 0;

    // Misbehaviour.
    struct Failure
    {
        quint32 status = UsbStatus::Success;
        int times = 0; // < 0: always
    };
    QHash<int, Failure> m_failures;
    bool m_silent = false;
    QHash<quint8, int> m_silentFor;
    int m_wrongCodeReplies = 0;
    int m_shortReplyLength = -1;
    int m_extraBytes = 0;
    bool m_busyForever = false;
    QList<int> m_failChunkReads;
    QList<int> m_failChunkWrites;
};
