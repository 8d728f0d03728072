#include "SimulatedBox.h"

#include "BoxFactory.h"
#include "Clock.h"

#include <algorithm>

namespace {

// Register number -> position in the status block; -1 for registers without a position.
int positionOfRegister(quint8 reg)
{
    switch (reg) {
    case 0: return 0;
    case 1: return 6;
    case 2: return 1;
    case 3: return 3;
    case 4: return 4;
    case 5: return 2;
    case 8: return 13;
    case 9: return 14;
    case 10: return 15;
    case 11: return 16;
    case 12: return 17;
    case 13: return 18;
    case 14: return 19;
    case 16: return 21;
    case 17: return 22;
    case 19: return 24;
    case 22: return 26;
    case 23: return 27;
    case 24: return 28;
    case 26: return 29;
    case 27: return 5;
    case 28: return 30;
    case 29: return 31;
    case 32: return 32;
    case 33: return 33;
    default: return -1;
    }
}

constexpr quint8 kRegisterEdidMode = 5;
constexpr quint8 kRegisterFactoryReset = 25;
constexpr quint8 kResetEdid = 1;
constexpr quint8 kResetSettings = 2;
constexpr int kEdidChunkWrite = 8;

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

SimulatedBox::SimulatedBox(Clock &clock) : m_clock(clock)
{
    // The EDID tables live in this static library's resource; without the call the linker would
    // drop the unreferenced resource object.
    Q_INIT_RESOURCE(sim_edid);

    m_serials = {QByteArrayLiteral("2023")};
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

SimulatedBox::~SimulatedBox() = default;

// --- the ten operations -----------------------------------------------------------------------

bool SimulatedBox::injectedFailure(Operation op, quint32 *status)
{
    auto it = m_failures.find(int(op));
    if (it == m_failures.end() || it->times == 0)
        return false;
    *status = it->status;
    if (it->times > 0)
        --it->times;
    return true;
}

bool SimulatedBox::handleValid(UsbHandle handle) const
{
    return m_openHandle != kClosedHandle && handle == m_openHandle;
}

quint32 SimulatedBox::getNumDevices(quint32 *count)
{
    log(QStringLiteral("GetNumDevices"));
    quint32 status;
    if (injectedFailure(Operation::GetNumDevices, &status)) {
        *count = 0;
        return status;
    }
    *count = quint32(m_serials.size());
    return UsbStatus::Success;
}

quint32 SimulatedBox::getProductString(quint32 index, char *buffer, quint32 kind)
{
    log(QStringLiteral("GetProductString"));
    if (!buffer)
        return UsbStatus::InvalidParameter;
    buffer[0] = '\0';
    quint32 status;
    if (injectedFailure(Operation::GetProductString, &status))
        return status;
    if (index >= quint32(m_serials.size()) || m_failingProductStrings.contains(index))
        return UsbStatus::DeviceNotFound;

    QByteArray text;
    switch (kind) {
    case ProductString::SerialNumber: text = m_serials.at(int(index)); break;
    case ProductString::Description: text = QByteArrayLiteral("ZELVARIN"); break;
    case ProductString::LinkName:
        text = QByteArrayLiteral("sim:zelvarin#") + QByteArray::number(index);
        break;
    case ProductString::Vid: text = QByteArrayLiteral("10C4"); break;
    case ProductString::Pid: text = QByteArrayLiteral("EA61"); break;
    default: return UsbStatus::InvalidParameter;
    }
    const int n = std::min<int>(int(text.size()), ProductString::kBufferSize - 1);
    std::copy_n(text.constData(), n, buffer);
    buffer[n] = '\0';
    return UsbStatus::Success;
}

quint32 SimulatedBox::open(quint32 index, UsbHandle *handle)
{
    log(QStringLiteral("Open"));
    quint32 status;
    if (injectedFailure(Operation::Open, &status))
        return status;
    if (!handle)
        return UsbStatus::InvalidParameter;
    if (index >= quint32(m_serials.size()))
        return UsbStatus::DeviceNotFound;
    // The device can be opened by one user at a time, as the real one.
    if (m_openHandle != kClosedHandle)
        return UsbStatus::DeviceIoFailed;
    m_openHandle = m_nextHandle++;
    m_pending.clear();
    *handle = m_openHandle;
    return UsbStatus::Success;
}

quint32 SimulatedBox::close(UsbHandle handle)
{
    log(QStringLiteral("Close"));
    quint32 status;
    if (injectedFailure(Operation::Close, &status))
        return status;
    if (!handleValid(handle))
        return UsbStatus::InvalidHandle;
    m_openHandle = kClosedHandle;
    m_pending.clear();
    return UsbStatus::Success;
}

quint32 SimulatedBox::read(UsbHandle handle, quint8 *buffer, quint32 wanted, quint32 *got)
{
    log(QStringLiteral("Read"));
    *got = 0;
    quint32 status;
    if (injectedFailure(Operation::Read, &status))
        return status;
    if (!handleValid(handle))
        return UsbStatus::InvalidHandle;
    if (m_pending.isEmpty())
        return UsbStatus::ReadTimedOut;
    const quint32 n = std::min<quint32>(wanted, quint32(m_pending.size()));
    std::copy_n(reinterpret_cast<const quint8 *>(m_pending.constData()), n, buffer);
    m_pending.remove(0, int(n));
    *got = n;
    return UsbStatus::Success;
}

quint32 SimulatedBox::write(UsbHandle handle, const quint8 *buffer, quint32 length,
                            quint32 *written)
{
    log(QStringLiteral("Write"));
    *written = 0;
    quint32 status;
    // A failed write never reached the box: nothing is recorded and nothing is answered.
    if (injectedFailure(Operation::Write, &status))
        return status;
    if (!handleValid(handle))
        return UsbStatus::InvalidHandle;
    const QByteArray frame(reinterpret_cast<const char *>(buffer), int(length));
    m_frames.append(frame);
    *written = length;
    m_pending.append(answer(frame));
    return UsbStatus::Success;
}

quint32 SimulatedBox::getTimeouts(quint32 *readMs, quint32 *writeMs)
{
    log(QStringLiteral("GetTimeouts"));
    quint32 status;
    if (injectedFailure(Operation::GetTimeouts, &status))
        return status;
    *readMs = m_readTimeout;
    *writeMs = m_writeTimeout;
    return UsbStatus::Success;
}

quint32 SimulatedBox::setTimeouts(quint32 readMs, quint32 writeMs)
{
    log(QStringLiteral("SetTimeouts %1 %2").arg(readMs).arg(writeMs));
    quint32 status;
    if (injectedFailure(Operation::SetTimeouts, &status))
        return status;
    m_readTimeout = readMs;
    m_writeTimeout = writeMs;
    return UsbStatus::Success;
}

quint32 SimulatedBox::flushBuffers(UsbHandle handle, quint8, quint8 flushReceive)
{
    log(QStringLiteral("Flush"));
    quint32 status;
    if (injectedFailure(Operation::Flush, &status))
        return status;
    if (!handleValid(handle))
        return UsbStatus::InvalidHandle;
    if (flushReceive)
        m_pending.clear();
    return UsbStatus::Success;
}

quint32 SimulatedBox::checkRxQueue(UsbHandle handle, quint32 *bytesInQueue, quint32 *queueStatus)
{
    log(QStringLiteral("CheckRxQueue"));
    *bytesInQueue = 0;
    if (queueStatus)
        *queueStatus = 0;
    quint32 status;
    if (injectedFailure(Operation::CheckRxQueue, &status))
        return status;
    if (!handleValid(handle))
        return UsbStatus::InvalidHandle;
    if (m_pending.isEmpty()) {
        // A driver waits a little before it reports an empty queue; so does the simulation, so
        // that a silent box costs a poller time on the clock instead of a spinning core.
        m_clock.sleepMs(1);
        return UsbStatus::Success;
    }
    *bytesInQueue = quint32(m_pending.size());
    if (queueStatus)
        *queueStatus = 0x02; // the vendor's "receive ready"
    return UsbStatus::Success;
}

// --- the firmware -----------------------------------------------------------------------------

QByteArray SimulatedBox::answer(const QByteArray &frame)
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

QByteArray SimulatedBox::answerRead(const QByteArray &frame)
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

QByteArray SimulatedBox::answerWrite(const QByteArray &frame)
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
        m_transfer = code == CODE_EDID_FETCH_BOX   ? m_boxEdid
                     : code == CODE_EDID_FETCH_TV_A ? m_tvEdid[0]
                                                    : m_tvEdid[1];
        startBusy(m_fetchBusyReads);
        return ack(code);
    case CODE_EDID_DATA: {
        if (frame.size() < 4 + kEdidChunkWrite)
            return {};
        const int offset = byteAt(frame, 3);
        const int n = std::min(kEdidChunkWrite, EDID_SIZE - offset);
        std::copy_n(reinterpret_cast<const quint8 *>(frame.constData()) + 4, n,
                    m_upload.begin() + offset);
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
        m_blocks[BoxFactory::kBlockCustomInfoFrame] = BoxFactory::asBlock(m_infoFrame);
        return ack(code);
    case CODE_AVI:
        m_aviFrame = payload(frame);
        m_blocks[BoxFactory::kBlockCustomAvi] = BoxFactory::asBlock(m_aviFrame);
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

QByteArray SimulatedBox::blockReply(int length, quint8 block)
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

QByteArray SimulatedBox::statusReply(int length)
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

QByteArray SimulatedBox::edidChunkReply(int length, int offset)
{
    if (length > 0 && m_failChunkReads.contains(offset / length))
        return {};
    const int n = std::max(0, std::min(length, EDID_SIZE - offset));
    return QByteArray(reinterpret_cast<const char *>(m_transfer.data()) + offset, n);
}

void SimulatedBox::applyRegister(quint8 reg, quint8 value)
{
    if (reg == kRegisterFactoryReset) {
        factoryReset(value);
        return;
    }
    const int position = positionOfRegister(reg);
    if (position >= 0)
        m_status[position] = value;
    if (reg == kRegisterEdidMode) {
        // The box rebuilds the EDID it shows its sources; the simulated mix simply takes the
        // TV on output A.
        if (value == 1)
            m_boxEdid = m_tvEdid[0];
        else if (value == 2)
            m_boxEdid = m_factoryEdid;
        else if (value == 3)
            m_boxEdid = m_customEdid;
        startBusy(m_fetchBusyReads);
    }
}

void SimulatedBox::factoryReset(quint8 what)
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

void SimulatedBox::startBusy(int reads)
{
    m_busyReads = std::max(m_busyReads, reads);
}

// --- lively mode --------------------------------------------------------------------------------

void SimulatedBox::setLively(bool on)
{
    m_lively = on;
    m_lastChangeMs = m_clock.tickMs();
}

// Judged at status reads, which the window makes every few seconds: after 12 to 18 s of clock time
// the box changes one thing by itself, taking turns between the input, the source's format and
// its HDR state.
void SimulatedBox::liveTick()
{
    if (!m_lively)
        return;
    const quint32 now = m_clock.tickMs();
    if (now - m_lastChangeMs < m_nextChangeAfterMs)
        return;
    m_lastChangeMs = now;
    m_nextChangeAfterMs = m_liveStep % 2 ? 12000 : 18000;

    namespace S = BoxFactory::Signal;
    QByteArray &signal = block(BoxFactory::kBlockSignal);
    QByteArray &hdr = block(BoxFactory::kBlockHdrCapture);
    switch (m_liveStep++ % 3) {
    case 0:
        // Automatic switching follows whichever port has a signal; without it nothing moves.
        if (m_status[6] == 1)
            m_status[0] = m_status[0] == 1 ? 2 : 1;
        break;
    case 1: {
        // 4K60 4:4:4 BT.2020 at 600 MHz <-> 1080p60 RGB BT.709.
        const bool uhd = quint8(signal[S::Vic]) == 97;
        signal[S::Vic] = char(uhd ? 16 : 97);
        signal[S::AviVic] = signal[S::Vic];
        signal[S::LinkMode] = char(uhd ? 0 : 2);
        signal[S::AviDb1] = char(uhd ? 0x10 : 0x50);
        signal[S::AviDb2] = char(uhd ? 0xA8 : 0xE8);
        signal[S::AviDb3] = char(uhd ? 0x00 : 0x60);
        break;
    }
    default: {
        // HDR10 <-> SDR: the captured InfoFrame's EOTF (first data byte) flips.
        const bool hdrOn = quint8(hdr[2]) == 2;
        const QByteArray metadata = BoxFactory::hdrMetadata(hdrOn ? 0 : 2);
        hdr.replace(2, metadata.size(), metadata);
        break;
    }
    }
}

// --- misbehaviour -------------------------------------------------------------------------------

void SimulatedBox::failNext(Operation op, quint32 status, int times)
{
    m_failures[int(op)] = Failure{status, std::max(0, times)};
}

void SimulatedBox::failAlways(Operation op, quint32 status)
{
    m_failures[int(op)] = Failure{status, status == UsbStatus::Success ? 0 : -1};
}

void SimulatedBox::failProductStringFor(quint32 index)
{
    m_failingProductStrings.append(index);
}

void SimulatedBox::setDevices(const QList<QByteArray> &serials)
{
    m_serials = serials;
}

void SimulatedBox::setSilent(bool on) { m_silent = on; }
void SimulatedBox::setSilentFor(quint8 code, int times) { m_silentFor[code] = times; }
void SimulatedBox::setWrongCodeNext(int times) { m_wrongCodeReplies = times; }
void SimulatedBox::setShortReplyNext(int length) { m_shortReplyLength = std::max(0, length); }
void SimulatedBox::setExtraBytes(int n) { m_extraBytes = std::max(0, n); }
void SimulatedBox::setBusyForever(bool on) { m_busyForever = on; }
void SimulatedBox::setBusyStatusReads(int n) { m_busyReads = std::max(0, n); }
void SimulatedBox::failEdidChunkRead(int chunkIndex) { m_failChunkReads.append(chunkIndex); }
void SimulatedBox::failEdidChunkWrite(int chunkIndex) { m_failChunkWrites.append(chunkIndex); }

void SimulatedBox::setFirmwareVersion(quint8 a, quint8 b, quint8 c, quint8 d)
{
    const quint8 version[4] = {a, b, c, d};
    QByteArray &data = block(BoxFactory::kBlockFirmware);
    for (int i = 0; i < 4; ++i) {
        m_firmware[i] = version[i];
        data[i] = char(version[i]);
    }
}

void SimulatedBox::resetMisbehaviour()
{
    m_failures.clear();
    m_failingProductStrings.clear();
    m_silent = false;
    m_silentFor.clear();
    m_wrongCodeReplies = 0;
    m_shortReplyLength = -1;
    m_extraBytes = 0;
    m_busyForever = false;
    m_failChunkReads.clear();
    m_failChunkWrites.clear();
}

// --- state ----------------------------------------------------------------------------------------

QByteArray &SimulatedBox::block(quint8 n)
{
    auto it = m_blocks.find(n);
    if (it == m_blocks.end())
        it = m_blocks.insert(n, QByteArray(BoxFactory::kBlockDataSize, '\0'));
    return *it;
}

QByteArray SimulatedBox::cecStore(int slot) const
{
    return m_cec[slot == 2 ? 1 : 0];
}

RegisterImage SimulatedBox::defaultStatusBlock()
{
    return BoxFactory::statusBlock();
}
