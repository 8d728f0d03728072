// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link/UsbXpress.h"
#include "protocol/Frames.h"

#include <QByteArray>
#include <QStringList>

class Clock;
class DeviceWarnings;
class QIODevice;

// The one path to the box: finding and opening it among the USBXpress devices, and the blocking
// request/reply transaction every other part of the program runs its frames through. One instance
// per process owns the device handle, the busy flag and the settings image.
class DeviceLink
{
public:
    // How the last transaction ended, for callers that say more than "failed".
    struct Outcome
    {
        enum Kind { Ok, NotOpen, WriteFailed, QueueFailed, NoReply, ReadFailed, ShortReply };
        Kind kind = Ok;
        quint32 usbStatus = UsbStatus::Success; // the failing operation's status, if any
        quint32 replyLength = 0; // bytes the reply had
    };

    // The box is the device whose product string of kind 0 is exactly this.
    static constexpr const char *DEVICE_SERIAL = "2023";
    static constexpr quint32 TRANSACTION_TIMEOUT_MS = 4000;

    // Another process that owns the box (the resident service) and runs this link's
    // transactions on it, one whole request/reply at a time, with the same outcome kinds. The
    // link still traces each request and reply and hands the warnings on, so a front end sees
    // and logs the same conversation as with a box of its own.
    class Relay
    {
    public:
        virtual ~Relay() = default;
        // Runs one transaction; `reply` gets the reply's bytes (outcome.replyLength of them) and
        // `warnings` the device warnings the owner raised on the way.
        virtual void transact(const quint8 *request, quint8 length, quint32 minReplyLength,
            Reply &reply, Outcome &outcome, QStringList &warnings)
            = 0;
        // The frames between beginSequence and endSequence reach the box with no other
        // client's frames between them.
        virtual void beginSequence() = 0;
        virtual void endSequence() = 0;
    };

    DeviceLink(UsbXpress &usb, Clock &clock, DeviceWarnings &warnings);

    // What open() reports when another program holds the box, in the words of both front ends.
    static QString inUseText();
    // What findDevice() reports when there is no box.
    static QString notConnectedText();

    bool findDevice(QByteArray serial, quint32 &index);
    // False when the device does not open; the warning says why (inUseText() when another
    // program holds it, the box's own "Usb device open error!" otherwise).
    bool open(quint32 index);
    void close();
    // A close that reports nothing, whether or not the link is quiet otherwise (a box given up
    // on by a background search, or let go of on the way out).
    void closeQuietly();
    bool readRaw(quint8 *buffer, quint32 length, quint32 &bytesRead, quint32 timeoutMs);
    bool writeRaw(const quint8 *buffer, quint32 length, quint32 &bytesWritten, quint32 timeoutMs);

    // Writes `request`, waits up to four seconds for a reply and reads at most MAX_REPLY bytes of
    // it into `reply`. False when no device is open, the write or a queue query fails, nothing
    // arrives in time, the read fails or fewer than minReplyLength bytes came.
    bool transact(
        Reply &reply, const quint8 *request, quint32 minReplyLength, quint8 requestLength);

    UsbHandle deviceHandle() const { return m_deviceHandle; }
    bool isOpen() const { return m_deviceHandle != kClosedHandle; }
    void markClosed() { m_deviceHandle = kClosedHandle; }
    bool transactionBusy() const { return m_transactionBusy; }

    // Runs every transaction through `relay` (not owned) instead of the USB layer; the link
    // counts as open until close(). nullptr goes back to the USB layer.
    void setRelay(Relay *relay);
    bool isRelayed() const { return m_relay != nullptr; }

    // Brackets the frames of one multi-frame command (counted, so brackets may nest); only a
    // relayed link does anything with them.
    void beginSequence();
    void endSequence();

    // Holds a sequence open for the life of a scope.
    class Sequence
    {
    public:
        explicit Sequence(DeviceLink &link)
            : m_link(link)
        {
            m_link.beginSequence();
        }
        ~Sequence() { m_link.endSequence(); }
        Sequence(const Sequence &) = delete;
        Sequence &operator=(const Sequence &) = delete;

    private:
        DeviceLink &m_link;
    };
    const Outcome &lastOutcome() const { return m_outcome; }

    // While quiet, finding, opening and closing report nothing (a background search for the box
    // must not raise a warning box every time it finds none).
    void setQuiet(bool on) { m_quiet = on; }

    // Log of the conversation (--trace): one line per request and one per reply.
    void setTrace(QIODevice *out) { m_trace = out; }
    // A line of its own in that log, "# " and the text: how the conversation goes on from here.
    void traceNote(const QString &text);

    // The program's copy of the box's settings, by status-block position.
    RegisterImage registerMirror {};

private:
    quint32 readWithTimeout(quint8 *buffer, quint32 length, quint32 &bytesRead, quint32 timeoutMs);
    quint32 writeWithTimeout(
        const quint8 *buffer, quint32 length, quint32 &bytesWritten, quint32 timeoutMs);
    void warn(const QString &text);
    bool finish(Outcome::Kind kind, quint32 usbStatus, const quint8 *reply, quint32 length);
    void traceRequest(const quint8 *request, quint8 length);
    void traceReply(const quint8 *reply, quint32 length, bool result);

    UsbXpress &m_usb;
    Clock &m_clock;
    DeviceWarnings &m_warnings;
    UsbHandle m_deviceHandle = kClosedHandle;
    bool m_transactionBusy = false;
    Outcome m_outcome;
    bool m_queueWarningShown = false;
    bool m_quiet = false;
    QIODevice *m_trace = nullptr;
    Relay *m_relay = nullptr;
    int m_sequenceDepth = 0;
};
