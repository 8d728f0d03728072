// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "box/BoxClient.h"

#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/HexBytes.h"
#include "protocol/Blocks.h"
#include "protocol/EdidTransfer.h"
#include "protocol/PacketRules.h"

#include <algorithm>

static_assert(EdidTransfer::TABLE_BYTES == EDID_SIZE, "the box moves whole EdidImage tables");

namespace {

constexpr quint32 ACK_LEN = 2; // an acknowledgement: the echoed code and one byte

quint8 fetchCode(BoxClient::EdidSource source)
{
    switch (source) {
    case BoxClient::EdidSource::TvA:
        return CODE_EDID_FETCH_TV_A;
    case BoxClient::EdidSource::TvB:
        return CODE_EDID_FETCH_TV_B;
    case BoxClient::EdidSource::Box:
        break;
    }
    return CODE_EDID_FETCH_BOX;
}

} // namespace

QString BoxClient::FirmwareVersion::dotted() const
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(uint(parts[0]))
        .arg(uint(parts[1]))
        .arg(uint(parts[2]))
        .arg(uint(parts[3]));
}

BoxClient::FirmwareVersion BoxClient::FirmwareVersion::fromReply(const Reply &reply)
{
    FirmwareVersion version;
    std::copy_n(reply.begin() + Block::BLOCK_DATA, version.parts.size(), version.parts.begin());
    return version;
}

RegisterImage BoxClient::Status::settings() const
{
    RegisterImage image {};
    std::copy_n(reply.begin() + 2, STATUS_BLOCK_LEN, image.begin());
    return image;
}

bool BoxClient::SignalRead::ok() const
{
    return std::all_of(results.begin(), results.end(), [](const BoxResult &r) { return r.ok(); });
}

BoxClient::BoxClient(DeviceLink &link, Clock &clock)
    : m_link(link)
    , m_clock(clock)
{
}

BoxResult BoxClient::transact(
    Reply &reply, const quint8 *request, quint8 length, quint32 minReply, quint8 expectedCode)
{
    const bool ok = m_link.transact(reply, request, minReply, length);
    const BoxResult result = BoxResult::fromLink(m_link, ok, expectedCode, reply[0]);
    if (m_observer)
        m_observer(result);
    return result;
}

BoxResult BoxClient::transact(
    Reply &reply, const QByteArray &frame, quint32 minReply, quint8 expectedCode)
{
    return transact(reply, reinterpret_cast<const quint8 *>(frame.constData()),
        quint8(frame.size()), minReply, expectedCode);
}

const std::array<BoxClient::SignalRead::BlockRead, 4> BoxClient::SignalRead::BLOCKS = { {
    { Block::SIGNAL, Block::SIGNAL_DESCRIBE_LEN },
    { Block::SOURCE_INFO, Block::CAPTURE_LEN },
    { Block::HDR_CAPTURE, Block::CAPTURE_LEN },
    { Block::VENDOR_CAPTURE, Block::CAPTURE_LEN },
} };

BoxResult BoxClient::readStatus(Status &status, quint8 length)
{
    const std::array<quint8, 3> request = statusRequest(length);
    return transact(status.reply, request.data(), quint8(request.size()), length, CODE_STATUS);
}

BoxResult BoxClient::readBlock(quint8 block, quint8 length, Reply &reply)
{
    const std::array<quint8, 4> request = blockRequest(block, length);
    return transact(reply, request.data(), quint8(request.size()), length, CODE_REGISTERS);
}

BoxResult BoxClient::writeRegister(quint8 reg, quint8 value)
{
    Reply reply {};
    const quint8 request[] = { FRAME_WRITE, 0x04, CODE_REGISTERS, reg, value };
    return transact(reply, request, sizeof request, ACK_LEN, CODE_REGISTERS);
}

BoxResult BoxClient::writeSetting(Settings::Id id, quint8 value)
{
    return writeRegister(Settings::setting(id).reg, value);
}

BoxResult BoxClient::writeAllRegisters(const RegisterImage &image)
{
    Reply reply {};
    quint8 request[3 + STATUS_BLOCK_LEN] = { FRAME_WRITE, STATUS_BLOCK_LEN, CODE_REGISTER_BLOCK };
    std::copy(image.begin(), image.end(), request + 3);
    return transact(reply, request, sizeof request, ACK_LEN, CODE_REGISTER_BLOCK);
}

BoxResult BoxClient::identify(FirmwareVersion &version)
{
    Reply reply {};
    const BoxResult r = readBlock(Block::FIRMWARE, Block::FIRMWARE_LEN, reply);
    if (r.ok())
        version = FirmwareVersion::fromReply(reply);
    return r;
}

BoxResult BoxClient::factoryReset(Settings::Reset what)
{
    return writeRegister(Settings::REG_FACTORY_RESET, quint8(what));
}

BoxClient::SignalRead BoxClient::readSignal()
{
    // All four blocks are read every time, so the box sees the same conversation on every tick.
    const DeviceLink::Sequence sequence(m_link);
    SignalRead read;
    for (int k = 0; k < int(SignalRead::BLOCKS.size()); ++k)
        read.results[k]
            = readBlock(SignalRead::BLOCKS[k].block, SignalRead::BLOCKS[k].length, read.reply(k));
    return read;
}

// Every reply buffer is cleared before its frame, so a reply that never came cannot pass for the
// previous one.
BoxClient::EdidReadResult BoxClient::readEdid(
    EdidSource source, EdidImage &table, const EdidReadEvents &events)
{
    using namespace EdidTransfer;
    const DeviceLink::Sequence sequence(m_link);
    EdidReadResult out;
    const quint8 code = fetchCode(source);

    Reply reply {};
    const quint8 fetch[] = { FRAME_WRITE, 0x01, code };
    out.result = transact(reply, fetch, sizeof fetch, ACK_LEN, code);
    if (!out.result.ok()) {
        out.fetchFailed = true;
        return out;
    }
    m_clock.sleepMs(FETCH_SETTLE_MS);

    // A failed poll leaves a cleared buffer, which reads as "not busy".
    Status status;
    for (int reads = 0; reads < MAX_BUSY_STATUS_READS;) {
        status.reply.fill(0);
        const BoxResult polled = readStatus(status);
        if (!polled.ok() && events.statusReadFailed)
            events.statusReadFailed(polled);
        ++reads;
        m_clock.sleepMs(BUSY_POLL_MS);
        if (!status.busy())
            break;
    }
    out.stayedBusy = status.busy();

    EdidImage read {};
    for (int offset = 0, chunk = 0; offset < EDID_SIZE; offset += READ_CHUNK, ++chunk) {
        if (events.progress)
            events.progress(offset, 255);
        const quint8 length = quint8(std::min(READ_CHUNK, EDID_SIZE - offset));
        const quint8 request[] = { FRAME_READ, length, CODE_EDID_DATA, quint8(offset) };
        reply.fill(0);
        // Chunk replies are the table's bytes, without a code.
        out.result = transact(reply, request, sizeof request, length, 0);
        if (!out.result.ok()) {
            out.failedChunk = chunk;
            return out;
        }
        std::copy_n(reply.begin(), length, read.begin() + offset);
    }
    table = read;
    return out;
}

BoxClient::EdidWriteResult BoxClient::writeEdid(
    const EdidImage &table, const Progress &progress, const StopRequest &stop)
{
    using namespace EdidTransfer;
    const DeviceLink::Sequence sequence(m_link);
    EdidWriteResult out;
    const auto stopAt = [&](int chunk) {
        out.stopped = stop && stop();
        if (out.stopped)
            out.failedChunk = chunk;
        return out.stopped;
    };
    Reply reply {};
    for (int i = 0; i < WRITE_CHUNKS; ++i) {
        if (stopAt(i))
            return out;
        if (progress)
            progress(i, WRITE_CHUNKS);
        quint8 request[4 + WRITE_CHUNK]
            = { FRAME_WRITE, WRITE_CHUNK, CODE_EDID_DATA, quint8(i * WRITE_CHUNK) };
        std::copy_n(table.begin() + i * WRITE_CHUNK, WRITE_CHUNK, request + 4);
        reply.fill(0);
        out.result = transact(reply, request, sizeof request, ACK_LEN, CODE_EDID_DATA);
        if (!out.result.ok()) {
            out.failedChunk = i;
            return out;
        }
        m_clock.sleepMs(CHUNK_WRITE_PAUSE_MS);
    }
    if (stopAt(WRITE_CHUNKS))
        return out;

    const quint8 commit[] = { FRAME_WRITE, WRITE_CHUNK, CODE_EDID_COMMIT };
    reply.fill(0);
    out.result = transact(reply, commit, sizeof commit, ACK_LEN, CODE_EDID_COMMIT);
    return out;
}

QByteArray BoxClient::loadFrame(quint8 code, const QByteArray &prepared, bool withCount) const
{
    HexOutput bytes;
    const quint8 count
        = parseHexBytes(prepared.constData(), int(prepared.size()), withCount, bytes);
    return buildLoadFrame(code, bytes, count);
}

// The activate frame is the load frame's first four bytes with the code and selector put in (the
// count byte stays, as the box expects), sent once the box has had time to take the load in.
BoxResult BoxClient::activate(QByteArray frame, quint8 selector)
{
    m_clock.sleepMs(PacketRules::ACTIVATE_DELAY_MS);
    if (frame.size() < 4)
        frame.resize(4, '\0');
    frame[2] = char(CODE_ACTIVATE);
    frame[3] = char(selector);
    Reply reply {};
    return transact(
        reply, reinterpret_cast<const quint8 *>(frame.constData()), 4, ACK_LEN, CODE_ACTIVATE);
}

// A load frame, then its activate frame: always, or only once the box took the load.
BoxClient::PacketResult BoxClient::loadAndActivate(
    quint8 code, const QByteArray &prepared, bool withCount, quint8 selector, bool onlyIfLoaded)
{
    const DeviceLink::Sequence sequence(m_link);
    PacketResult out;
    const QByteArray frame = loadFrame(code, prepared, withCount);
    Reply reply {};
    out.load = transact(reply, frame, ACK_LEN, code);
    if (onlyIfLoaded && !out.load.ok())
        return out;
    out.activate = activate(frame, selector);
    out.activateSent = true;
    return out;
}

BoxClient::PacketResult BoxClient::sendCec(const QByteArray &prepared)
{
    return loadAndActivate(CODE_CEC_SEND, prepared, true, ACTIVATE_CEC, false);
}

BoxResult BoxClient::storeCec(int slot, const QByteArray &prepared)
{
    const quint8 code = slot == 2 ? CODE_CEC_STORE_2 : CODE_CEC_STORE_1;
    // The frame's length byte counts the tag and the text; both must fit one frame.
    const QByteArray text = prepared.left(PacketRules::MAX_PREPARED_STORE);
    QByteArray frame;
    frame.append(char(FRAME_WRITE));
    frame.append(char(text.size() + 4));
    frame.append(char(code));
    frame.append("CEC ");
    frame.append(text);
    Reply reply {};
    return transact(reply, frame, ACK_LEN, code);
}

BoxClient::PacketResult BoxClient::loadHdrInfoFrame(const QByteArray &prepared)
{
    return loadAndActivate(CODE_INFOFRAME, prepared, false, ACTIVATE_INFOFRAME, false);
}

BoxClient::PacketResult BoxClient::loadAvi(const QByteArray &prepared)
{
    return loadAndActivate(CODE_AVI, prepared, false, ACTIVATE_AVI, true);
}

const BoxClient::Step *BoxClient::firstFailure(const Steps &steps)
{
    for (const Step &step : steps) {
        if (!step.result.ok())
            return &step;
    }
    return nullptr;
}

BoxClient::Steps BoxClient::packetSteps(const QString &what, const PacketResult &packet)
{
    Steps steps { { what + QStringLiteral(" (load)"), packet.load } };
    if (packet.activateSent)
        steps.append({ what + QStringLiteral(" (activate)"), packet.activate });
    return steps;
}

BoxClient::Steps BoxClient::sendHdrInfoFrame(const QByteArray &prepared, bool forceHdr)
{
    Steps steps
        = packetSteps(QStringLiteral("loading the HDR InfoFrame"), loadHdrInfoFrame(prepared));
    if (forceHdr)
        steps.append(
            { QStringLiteral("setting force-hdr=on"), writeSetting(Settings::Id::ForceHdr, 1) });
    return steps;
}

BoxClient::Steps BoxClient::sendAviInfoFrame(const QByteArray &prepared, bool replace)
{
    Steps steps = packetSteps(QStringLiteral("loading the AVI InfoFrame"), loadAvi(prepared));
    const quint8 persistent = replace ? 1 : 0;
    if (!firstFailure(steps))
        steps.append({ QStringLiteral("setting replace-avi"),
            writeSetting(Settings::Id::ReplaceAvi, persistent) });
    if (replace)
        steps.append({ QStringLiteral("setting replace-avi=on"),
            writeSetting(Settings::Id::ReplaceAvi, persistent) });
    return steps;
}
