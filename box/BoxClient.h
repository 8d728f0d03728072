// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "box/BoxResult.h"
#include "box/SignalInfo.h"
#include "edid/EdidImage.h"
#include "protocol/Frames.h"
#include "protocol/SettingsTable.h"
#include "protocol/Words.h"

#include <QByteArray>

#include <array>
#include <functional>

class Clock;
class DeviceLink;

// Every command of the box, from one frame to the multi-frame EDID transfers, built once on the
// device link. Each returns what happened as a BoxResult (and the data it read); nothing here
// shows anything, so the window and the command line word the outcomes their own way. The frames,
// their order and the pauses between them are the box's protocol and must not change.
class BoxClient
{
public:
    // Progress of a multi-frame command: `done` of `total` steps (0 of total before the first).
    using Progress = std::function<void(int done, int total)>;

    using EdidSource = ::EdidSource;

    struct FirmwareVersion
    {
        std::array<quint8, 4> parts {};
        QString dotted() const; // "2.1.0.17"
        // From the reply of the firmware block.
        static FirmwareVersion fromReply(const Reply &reply);
    };

    // A status read: the reply as it came (byte 1 holds the flags), the settings image behind it.
    struct Status
    {
        Reply reply {};
        bool busy() const { return reply[1] & STATUS_FLAG_BUSY; }
        RegisterImage settings() const;
    };

    // The four block reads of a signal description, in the order the box sees them.
    // The request frames of the reads, for a front end that answers later requests from what
    // it read (the service's poll): the status block, and one block of the registers.
    static std::array<quint8, 3> statusRequest(quint8 length = STATUS_LEN)
    {
        return { FRAME_READ, length, CODE_STATUS };
    }
    static std::array<quint8, 4> blockRequest(quint8 block, quint8 length)
    {
        return { FRAME_READ, length, CODE_REGISTERS, block };
    }

    struct SignalRead
    {
        // The blocks readSignal() reads, in order, with the length of each: their replies are
        // signal, names, hdr and vendor.
        struct BlockRead
        {
            quint8 block, length;
        };
        static const std::array<BlockRead, 4> BLOCKS;

        Reply signal {}, names {}, hdr {}, vendor {};
        std::array<BoxResult, 4> results;
        bool ok() const;
        SignalInfo decode() const { return SignalInfo::decode(signal, names, hdr); }
        // The reply to BLOCKS[k].
        const Reply &reply(int k) const
        {
            return k == 0 ? signal : k == 1 ? names : k == 2 ? hdr : vendor;
        }
        Reply &reply(int k) { return const_cast<Reply &>(std::as_const(*this).reply(k)); }
    };

    // What an EDID read reports on its way: failed busy polls, which it survives, and the chunks
    // read so far.
    struct EdidReadEvents
    {
        std::function<void(const BoxResult &)> statusReadFailed;
        Progress progress; // before each chunk: offset of 255
    };
    struct EdidReadResult
    {
        BoxResult result; // of the fetch or chunk that failed, or of the last chunk
        bool fetchFailed = false; // nothing was read after it
        int failedChunk = -1;
        bool stayedBusy = false; // the busy wait ran out and the table was read all the same
        bool ok() const { return result.ok(); }
    };
    struct EdidWriteResult
    {
        BoxResult result; // of the failed chunk, or of the commit
        int failedChunk = -1; // the box was not asked to commit
        bool stopped = false; // asked to stop before chunk failedChunk (or the commit, at 32)
        bool committed() const { return failedChunk < 0 && result.ok(); }
    };
    // Asked before each chunk and before the commit; true ends the upload there.
    using StopRequest = std::function<bool()>;
    // A load frame and, when it was sent, the activate frame that followed it.
    struct PacketResult
    {
        BoxResult load;
        BoxResult activate;
        bool activateSent = false;
        bool ok() const { return load.ok() && (!activateSent || activate.ok()); }
    };

    // One frame of a command with its result, named as a message about its failure names it
    // ("loading the AVI InfoFrame (load)", "setting replace-avi").
    struct Step
    {
        QString what;
        BoxResult result;
    };
    using Steps = QVector<Step>;
    // The first step that failed, or nullptr: what a front end reports of the command.
    static const Step *firstFailure(const Steps &steps);
    // A packet's load and, when it was sent, its activate frame: "WHAT (load)", "WHAT (activate)".
    static Steps packetSteps(const QString &what, const PacketResult &packet);

    BoxClient(DeviceLink &link, Clock &clock);

    DeviceLink &link() { return m_link; }
    // Told of every exchange's result as it happens (a front end watching for a lost box).
    void setObserver(std::function<void(const BoxResult &)> observer)
    {
        m_observer = std::move(observer);
    }

    // --- single frames ---------------------------------------------------------------------------
    BoxResult readStatus(Status &status, quint8 length = STATUS_LEN);
    BoxResult readBlock(quint8 block, quint8 length, Reply &reply);
    BoxResult writeRegister(quint8 reg, quint8 value);
    BoxResult writeSetting(Settings::Id id, quint8 value);
    BoxResult writeAllRegisters(const RegisterImage &image);
    BoxResult identify(FirmwareVersion &version);
    BoxResult factoryReset(Settings::Reset what);

    // --- several frames --------------------------------------------------------------------------
    SignalRead readSignal();
    // Fetch, wait while the box is busy, then read the table chunk by chunk. `table` is written
    // only when every chunk came; no frame follows a failed fetch or chunk, since what the box
    // would hand out then is an earlier table.
    EdidReadResult readEdid(EdidSource source, EdidImage &table, const EdidReadEvents &events = {});
    // Chunk writes, paced, then the commit; a failed chunk, or a stop asked for before the commit,
    // ends the upload without one, so the box keeps the table it had.
    EdidWriteResult writeEdid(
        const EdidImage &table, const Progress &progress = {}, const StopRequest &stop = {});

    // The packet commands take the prepared text (HexBytes.h) that their length rules have
    // already passed (PacketRules.h).
    // CEC send: load, then the activate frame whatever the load's outcome.
    PacketResult sendCec(const QByteArray &prepared);
    // CEC store in slot 1 or 2: the text itself behind a "CEC " tag.
    BoxResult storeCec(int slot, const QByteArray &prepared);
    // HDR InfoFrame: load, then activate whatever the load's outcome (the box may still hold an
    // earlier one).
    PacketResult loadHdrInfoFrame(const QByteArray &prepared);
    // AVI InfoFrame: load, and activate only once the load was acknowledged.
    PacketResult loadAvi(const QByteArray &prepared);

    // The InfoFrame commands of the front ends that send one in a call (zelvarinctl, the service)
    // with the window's boxes beside its Send buttons. HDR: with `forceHdr` (FORCE HDR ticked)
    // force-hdr=on is written whatever the load did. AVI: replace-avi takes `replace` (the
    // "persistent" box) after every load that went through, and ticking that box writes it once
    // more whatever the load did.
    Steps sendHdrInfoFrame(const QByteArray &prepared, bool forceHdr);
    Steps sendAviInfoFrame(const QByteArray &prepared, bool replace);

private:
    BoxResult transact(
        Reply &reply, const quint8 *request, quint8 length, quint32 minReply, quint8 expectedCode);
    BoxResult transact(
        Reply &reply, const QByteArray &frame, quint32 minReply, quint8 expectedCode);
    QByteArray loadFrame(quint8 code, const QByteArray &prepared, bool withCount) const;
    BoxResult activate(QByteArray loadFrame, quint8 selector);
    PacketResult loadAndActivate(quint8 code, const QByteArray &prepared, bool withCount,
        quint8 selector, bool onlyIfLoaded);

    DeviceLink &m_link;
    Clock &m_clock;
    std::function<void(const BoxResult &)> m_observer;
};
