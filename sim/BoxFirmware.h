// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidImage.h"
#include "protocol/Frames.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>

class Clock;

// The box's side of the conversation: turns each request frame into the reply bytes the box
// sends back (none for a frame it does not answer) and keeps what the frames change: settings,
// signal blocks, EDID tables, CEC texts, InfoFrames. Knobs let tests make the replies go wrong.
class BoxFirmware
{
public:
    explicit BoxFirmware(Clock &clock);

    QByteArray answer(const QByteArray &frame);

    // --- state ----------------------------------------------------------------------------------
    RegisterImage &statusBlock() { return m_status; }
    QByteArray &block(quint8 n);
    EdidImage &boxEdid() { return m_boxEdid; }
    EdidImage &tvEdid(int output) { return m_tvEdid[output == 1 ? 1 : 0]; }
    const EdidImage &factoryEdid() const { return m_factoryEdid; }
    QByteArray cecStore(int slot) const { return m_cec[slot == 2 ? 1 : 0]; }
    QByteArray lastCecMessage() const { return m_lastCec; }
    QByteArray infoFrame() const { return m_infoFrame; }
    QByteArray aviInfoFrame() const { return m_aviFrame; }
    const QList<quint8> &activations() const { return m_activations.list; }
    void setRecording(bool on) { m_activations.recording = on; } // off: activations are not kept
    int statusReadCount() const { return m_statusReads; }
    void setFirmwareVersion(quint8 a, quint8 b, quint8 c, quint8 d);

    void setLively(bool on);
    bool isLively() const { return m_lively; }

    // --- reply misbehaviour ------------------------------------------------------------------
    void setSilent(bool on) { m_silent = on; }
    void setSilentFor(quint8 code, int times) { m_silentFor[code] = times; }
    void setWrongCodeNext(int times) { m_wrongCodeReplies = times; }
    void setShortReplyNext(int length) { m_shortReplyLength = qMax(0, length); }
    void setExtraBytes(int n) { m_extraBytes = qMax(0, n); }
    void setBusyForever(bool on) { m_busyForever = on; }
    void setBusyStatusReads(int n) { m_busyReads = qMax(0, n); }
    void setFetchBusyReads(int n) { m_fetchBusyReads = qMax(0, n); }
    void failEdidChunkRead(int chunkIndex) { m_failChunkReads.append(chunkIndex); }
    void failEdidChunkWrite(int chunkIndex) { m_failChunkWrites.append(chunkIndex); }
    void resetMisbehaviour();

private:
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

    RegisterImage m_status {};
    QMap<quint8, QByteArray> m_blocks;
    EdidImage m_boxEdid {};
    EdidImage m_factoryEdid {};
    EdidImage m_tvEdid[2] {};
    EdidImage m_customEdid {}; // the last table committed, used in custom EDID mode
    EdidImage m_transfer {}; // what the last fetch put in place for the chunk reads
    EdidImage m_upload {}; // what the chunk writes have filled so far
    QByteArray m_cec[2];
    QByteArray m_lastCec;
    QByteArray m_infoFrame;
    QByteArray m_aviFrame;
    struct Record
    {
        QList<quint8> list;
        bool recording = false;
        void append(quint8 v)
        {
            if (recording)
                list.append(v);
        }
    } m_activations;
    quint8 m_firmware[4] = { 2, 1, 0, 17 };
    int m_busyReads = 0;
    int m_fetchBusyReads = 3;
    int m_statusReads = 0;

    bool m_lively = false;
    quint32 m_lastChangeMs = 0;
    quint32 m_nextChangeAfterMs = 15000;
    int m_liveStep = 0;

    bool m_silent = false;
    QHash<quint8, int> m_silentFor;
    int m_wrongCodeReplies = 0;
    int m_shortReplyLength = -1;
    int m_extraBytes = 0;
    bool m_busyForever = false;
    QList<int> m_failChunkReads;
    QList<int> m_failChunkWrites;
};
