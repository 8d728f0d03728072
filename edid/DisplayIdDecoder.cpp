// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/DisplayIdDecoder.h"

namespace {

// Data block tags with detailed timings, 20 bytes each: type I in DisplayID 1.x counts the pixel
// clock in units of 10 kHz, type VII in 2.x in units of 1 kHz.
constexpr int TAG_TYPE1_TIMINGS = 0x03;
constexpr int TAG_TYPE7_TIMINGS = 0x22;
constexpr int TIMING_SIZE = 20;
// The section starts after the extension tag; its header is five bytes (version, bytes, product
// type, extension count) and a checksum byte follows its data.
constexpr int SECTION_START = 1;
constexpr int SECTION_HEADER = 4;
// The last byte of the EDID block is the block's own checksum.
constexpr int SECTION_END = 127;

int word(const quint8 *p)
{
    return p[0] | p[1] << 8;
}

DisplayIdTiming timing(const quint8 *t, int clockUnitKHz)
{
    DisplayIdTiming out;
    EdidDetailedTiming &d = out.timing;
    // Every field is stored less one.
    d.pixelClockKHz = (quint32(t[0] | t[1] << 8 | t[2] << 16) + 1) * quint32(clockUnitKHz);
    out.preferred = t[3] & 0x80;
    out.stereo = t[3] >> 5 & 0x03;
    d.interlaced = t[3] & 0x10;
    out.aspect = t[3] & 0x0F;
    d.hActive = word(t + 4) + 1;
    d.hBlank = word(t + 6) + 1;
    d.hSyncOffset = (word(t + 8) & 0x7FFF) + 1;
    d.hSyncPositive = t[9] & 0x80;
    d.hSyncWidth = word(t + 10) + 1;
    d.vActive = word(t + 12) + 1;
    d.vBlank = word(t + 14) + 1;
    d.vSyncOffset = (word(t + 16) & 0x7FFF) + 1;
    d.vSyncPositive = t[17] & 0x80;
    d.vSyncWidth = word(t + 18) + 1;
    d.digitalSeparateSync = true;
    return out;
}

} // namespace

DisplayIdBlock DisplayIdDecoder::decode(const quint8 *b, int blockIndex, DecodeWarnings &warnings)
{
    DisplayIdBlock out;
    out.blockIndex = blockIndex;
    const quint8 *section = b + SECTION_START;
    out.version = section[0] >> 4;
    out.revision = section[0] & 0x0F;
    out.sectionLength = section[1];
    out.productType = section[2];
    out.extensionCount = section[3];

    // The section's bytes and its checksum byte must fit before the block's checksum.
    int end = SECTION_START + SECTION_HEADER + out.sectionLength;
    if (end + 1 > SECTION_END) {
        addWarning(warnings, DecodeWarning::LengthPastBlock, blockIndex, SECTION_START + 1,
            out.sectionLength, SECTION_END - 1 - SECTION_START - SECTION_HEADER);
        end = SECTION_END - 1;
    } else {
        quint8 sum = 0;
        for (int i = SECTION_START; i <= end; ++i)
            sum = quint8(sum + b[i]);
        out.sectionChecksumOk = sum == 0;
        if (!out.sectionChecksumOk)
            addWarning(warnings, DecodeWarning::BadChecksum, blockIndex, end, b[end],
                quint8(b[end] - sum));
    }

    int offset = SECTION_START + SECTION_HEADER;
    while (offset + 3 <= end) {
        const int tag = b[offset];
        const int revision = b[offset + 1];
        int length = b[offset + 2];
        // Zeros after the last data block are padding, not a block of tag 0.
        if (tag == 0 && length == 0)
            break;
        if (offset + 3 + length > end) {
            addWarning(warnings, DecodeWarning::LengthPastBlock, blockIndex, offset + 2, length,
                end - offset - 3);
            length = end - offset - 3;
        }
        const quint8 *payload = b + offset + 3;
        if (tag == TAG_TYPE1_TIMINGS || tag == TAG_TYPE7_TIMINGS) {
            const int unitKHz = tag == TAG_TYPE1_TIMINGS ? 10 : 1;
            for (int i = 0; i + TIMING_SIZE <= length; i += TIMING_SIZE)
                out.timings.append(timing(payload + i, unitKHz));
        } else {
            out.others.append(DisplayIdOtherBlock { tag, revision, length });
        }
        offset += 3 + length;
    }
    return out;
}
