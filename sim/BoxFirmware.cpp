// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/BoxFirmware.h"

#include "link/Clock.h"
#include "protocol/EdidTransfer.h"
#include "protocol/SettingsTable.h"
#include "sim/BoxFactory.h"
#include "sim/LivelySource.h"

#include <algorithm>

namespace {

constexpr quint8 kResetEdid = quint8(Settings::Reset::Edid);
constexpr quint8 kResetSettings = quint8(Settings::Reset::Settings);
constexpr int kEdidChunkWrite = EdidTransfer::WRITE_CHUNK;

QByteArray ack(quint8 code)
{
    QByteArray reply(2, '\0');
    reply[0] = char(code);
    return reply;
}

quint8 byteAt(const QByteArray &bytes, int i)
{
    return i < bytes.size() ? quint8(bytes.at(i)) : 0;
}

// The payload of a write frame: `count` bytes from byte 3, as far as the frame reaches.
QByteArray payload(const QByteArray &frame)
{
    return frame.mid(3, byteAt(frame, 1));
}

} // namespace

BoxFirmware::BoxFirmware(Clock &clock)
    : m_clock(clock)
{
    // The EDID tables live in this static library's resource; without the call the linker would
    // drop the unreferenced resource object.
    Q_INIT_RESOURCE(sim_edid);

    m_status = BoxFactory::statusBlock();
    m_blocks = BoxFactory::blocks(m_firmware);
    m_factoryEdid = BoxFactory::factoryEdid();
    m_boxEdid = m_factoryEdid;
    m_customEdid = m_factoryEdid;
    m_transfer = m_boxEdid;
    m_tvEdid[0] = BoxFactory::tvEdidA();
    m_tvEdid[1] = BoxFactory::tvEdidB();
    m_infoFrame = BoxFactory::customInfoFrame();
    m_aviFrame = BoxFactory::customAvi();
}

QByteArray BoxFirmware::answer(const QByteArray &frame)
{
    if (frame.size() < 3 || m_silent)
        return {};
    const quint8 code = byteAt(frame, 2);
    auto silentFor = m_silentFor.find(code);
    if (silentFor != m_silentFor.end() && *silentFor > 0) {
        --*silentFor;
        return {};
    }

    QByteArray reply;
    if (byteAt(frame, 0) == FRAME_READ)
        reply = answerRead(frame);
    else if (byteAt(frame, 0) == FRAME_WRITE)
        reply = answerWrite(frame);
    if (reply.isEmpty())
        return reply;

    if (m_wrongCodeReplies > 0) {
        --m_wrongCodeReplies;
        reply[0] = char(~quint8(reply.at(0)));
    }
    if (m_shortReplyLength >= 0) {
        reply.truncate(m_shortReplyLength);
        m_shortReplyLength = -1;
    }
    if (m_extraBytes > 0)
        reply.append(QByteArray(m_extraBytes, char(0xA5)));
    return reply;
}

QByteArray BoxFirmware::answerRead(const QByteArray &frame)
{
    // The box answers at most one USB packet.
    const int count = std::min<int>(byteAt(frame, 1), MAX_REPLY);
    switch (byteAt(frame, 2)) {
    case CODE_REGISTERS:
        if (frame.size() < 4)
            return {};
        return blockReply(count, byteAt(frame, 3));
    case CODE_STATUS:
        return statusReply(count);
    case CODE_EDID_DATA:
        if (frame.size() < 4)
            return {};
        return edidChunkReply(count, byteAt(frame, 3));
    default:
        return {};
    }
}

QByteArray BoxFirmware::answerWrite(const QByteArray &frame)
{
    const quint8 code = byteAt(frame, 2);
    switch (code) {
    case CODE_REGISTERS:
        if (frame.size() < 5)
            return {};
        applyRegister(byteAt(frame, 3), byteAt(frame, 4));
        return ack(code);
    case CODE_REGISTER_BLOCK:
        if (frame.size() < 3 + STATUS_BLOCK_LEN)
            return {};
        std::copy_n(reinterpret_cast<const quint8 *>(frame.constData()) + 3, STATUS_BLOCK_LEN,
            m_status.begin());
        return ack(code);
    case CODE_EDID_FETCH_BOX:
    case CODE_EDID_FETCH_TV_A:
    case CODE_EDID_FETCH_TV_B:
        m_transfer = code == CODE_EDID_FETCH_BOX ? m_boxEdid
            : code == CODE_EDID_FETCH_TV_A       ? m_tvEdid[0]
                                                 : m_tvEdid[1];
        startBusy(m_fetchBusyReads);
        return ack(code);
    case CODE_EDID_DATA: {
        if (frame.size() < 4 + kEdidChunkWrite)
            return {};
        const int offset = byteAt(frame, 3);
        const int n = std::min(kEdidChunkWrite, EDID_SIZE - offset);
        std::copy_n(
            reinterpret_cast<const quint8 *>(frame.constData()) + 4, n, m_upload.begin() + offset);
        if (m_failChunkWrites.contains(offset / kEdidChunkWrite))
            return ack(quint8(~code));
        return ack(code);
    }
    case CODE_EDID_COMMIT:
        m_boxEdid = m_upload;
        m_customEdid = m_upload;
        return ack(code);
    case CODE_CEC_SEND:
        m_lastCec = payload(frame);
        return ack(code);
    case CODE_CEC_STORE_1:
    case CODE_CEC_STORE_2: {
        QByteArray text = payload(frame);
        if (text.startsWith("CEC "))
            text.remove(0, 4);
        m_cec[code == CODE_CEC_STORE_1 ? 0 : 1] = text;
        return ack(code);
    }
    case CODE_INFOFRAME:
        m_infoFrame = payload(frame);
        m_blocks[Block::CUSTOM_INFOFRAME] = BoxFactory::asBlock(m_infoFrame);
        return ack(code);
    case CODE_AVI:
        m_aviFrame = payload(frame);
        m_blocks[Block::CUSTOM_AVI] = BoxFactory::asBlock(m_aviFrame);
        return ack(code);
    case CODE_ACTIVATE:
        if (frame.size() < 4)
            return {};
        m_activations.append(byteAt(frame, 3));
        return ack(code);
    default:
        return {};
    }
}

QByteArray BoxFirmware::blockReply(int length, quint8 block)
{
    QByteArray reply(length, '\0');
    if (length > 0)
        reply[0] = char(CODE_REGISTERS);
    if (length > 1)
        reply[1] = char(block);
    const QByteArray &data = this->block(block);
    for (int i = 2; i < length; ++i)
        reply[i] = data.at(i - 2);
    return reply;
}

QByteArray BoxFirmware::statusReply(int length)
{
    ++m_statusReads;
    liveTick();
    bool busy = m_busyForever;
    if (m_busyReads > 0) {
        --m_busyReads;
        busy = true;
    }
    QByteArray full;
    full.append(char(CODE_STATUS));
    full.append(char(busy ? STATUS_FLAG_BUSY : 0));
    full.append(reinterpret_cast<const char *>(m_status.data()), STATUS_BLOCK_LEN);
    QByteArray reply = full.left(length);
    reply.append(QByteArray(length - reply.size(), '\0'));
    return reply;
}

QByteArray BoxFirmware::edidChunkReply(int length, int offset)
{
    if (length > 0 && m_failChunkReads.contains(offset / length))
        return {};
    const int n = std::max(0, std::min(length, EDID_SIZE - offset));
    return QByteArray(reinterpret_cast<const char *>(m_transfer.data()) + offset, n);
}

void BoxFirmware::applyRegister(quint8 reg, quint8 value)
{
    if (reg == Settings::REG_FACTORY_RESET) {
        factoryReset(value);
        return;
    }
    const int position = Settings::positionOfRegister(reg);
    if (position >= 0)
        m_status[position] = value;
    if (reg == Settings::setting(Settings::Id::EdidMode).reg) {
        // The box rebuilds the EDID it shows its sources; the simulated mix simply takes the
        // TV on output A.
        if (value == Settings::EDID_MODE_AUTOMIX)
            m_boxEdid = m_tvEdid[0];
        else if (value == Settings::EDID_MODE_FIXED)
            m_boxEdid = m_factoryEdid;
        else if (value == Settings::EDID_MODE_CUSTOM)
            m_boxEdid = m_customEdid;
        startBusy(m_fetchBusyReads);
    }
}

void BoxFirmware::factoryReset(quint8 what)
{
    if (what < kResetEdid || what > (kResetEdid | kResetSettings))
        return;
    if (what & kResetEdid) {
        m_boxEdid = m_factoryEdid;
        m_customEdid = m_factoryEdid;
    }
    if (what & kResetSettings)
        m_status = BoxFactory::statusBlock();
}

void BoxFirmware::startBusy(int reads)
{
    m_busyReads = std::max(m_busyReads, reads);
}

// --- lively mode --------------------------------------------------------------------------------

void BoxFirmware::setLively(bool on)
{
    m_lively = on;
    m_lastChangeMs = m_clock.tickMs();
}

// Judged at status reads, which the window makes every few seconds: after 12 to 18 s of clock time
// the box changes one thing by itself, taking turns between the input, the source's format and
// its HDR state.
void BoxFirmware::liveTick()
{
    if (!m_lively)
        return;
    const quint32 now = m_clock.tickMs();
    if (now - m_lastChangeMs < m_nextChangeAfterMs)
        return;
    m_lastChangeMs = now;
    m_nextChangeAfterMs = m_liveStep % 2 ? 12000 : 18000;

    LivelySource::change(m_liveStep++, m_status, block(Block::SIGNAL), block(Block::HDR_CAPTURE));
}

void BoxFirmware::setFirmwareVersion(quint8 a, quint8 b, quint8 c, quint8 d)
{
    const quint8 version[4] = { a, b, c, d };
    QByteArray &data = block(Block::FIRMWARE);
    for (int i = 0; i < 4; ++i) {
        m_firmware[i] = version[i];
        data[i] = char(version[i]);
    }
}

QByteArray &BoxFirmware::block(quint8 n)
{
    auto it = m_blocks.find(n);
    if (it == m_blocks.end())
        it = m_blocks.insert(n, QByteArray(BoxFactory::kBlockDataSize, '\0'));
    return *it;
}

void BoxFirmware::resetMisbehaviour()
{
    m_silent = false;
    m_silentFor.clear();
    m_wrongCodeReplies = 0;
    m_shortReplyLength = -1;
    m_extraBytes = 0;
    m_busyForever = false;
    m_failChunkReads.clear();
    m_failChunkWrites.clear();
}
