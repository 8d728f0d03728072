// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "box/SignalInfo.h"

#include "protocol/Blocks.h"

#include <algorithm>

namespace {

quint8 dataByte(const Reply &reply, int offset)
{
    return reply[Block::BLOCK_DATA + offset];
}

// A name ends at its first zero byte or at its field's width.
QString fieldText(const Reply &reply, int offset, int width)
{
    const quint8 *start = reply.data() + Block::BLOCK_DATA + offset;
    const int length = int(std::find(start, start + width, 0) - start);
    return QString::fromLatin1(reinterpret_cast<const char *>(start), length);
}

} // namespace

SignalInfo SignalInfo::decode(const Reply &block6, const Reply &block21, const Reply &block30)
{
    namespace S = Block::Signal;
    namespace C = Block::Capture;
    SignalInfo s;
    s.vic = dataByte(block6, S::VIC);
    s.hdmi = dataByte(block6, S::LINK_FLAGS) & 0x10;
    s.linkMode = dataByte(block6, S::LINK_MODE);
    const quint8 outputs = dataByte(block6, S::OUTPUTS);
    s.onOutputA = outputs & 0x20;
    s.onOutputB = outputs & 0x40;
    s.hdmiVsdb = dataByte(block6, S::HDMI_VSDB);
    const quint8 format = dataByte(block6, S::HDMI_FORMAT);
    s.hdmiFormat = format == 0x20 ? HdmiFormat::ExtendedResolution
        : format == 0x40          ? HdmiFormat::ThreeD
                                  : HdmiFormat::None;
    s.colourFormat = ColourFormat((dataByte(block6, S::AVI_1) & 0x60) >> 5);
    s.colorimetry = (dataByte(block6, S::AVI_2) & 0xC0) >> 6;
    s.extendedColorimetry = (dataByte(block6, S::AVI_3) & 0x70) >> 4;

    s.sourceVendor = fieldText(block21, Block::SourceInfo::VENDOR, Block::SourceInfo::VENDOR_LEN);
    s.sourceProduct
        = fieldText(block21, Block::SourceInfo::PRODUCT, Block::SourceInfo::PRODUCT_LEN);

    s.hdrType = dataByte(block30, C::TYPE);
    s.hdrEotf = dataByte(block30, C::DATA);
    // A length byte larger than the reply can carry keeps what the reply holds, no more.
    const int length = dataByte(block30, C::LENGTH);
    if (s.hdrType == C::HDR_INFOFRAME && length >= 1) {
        const int count = std::min(length, C::MAX_DATA);
        s.hdrInfoFrame = QByteArray(
            reinterpret_cast<const char *>(block30.data() + Block::BLOCK_DATA + C::DATA), count);
    }
    return s;
}
