// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidDecoder.h"

#include "edid/CtaDecoder.h"
#include "edid/DisplayIdDecoder.h"
#include "edid/EdidChecksum.h"
#include "edid/EdidImage.h"

#include <QString>
#include <algorithm>
#include <array>

namespace {

using Block = std::array<quint8, 128>;

QString manufacturerId(quint16 packed, DecodeWarnings &warnings)
{
    QString id;
    for (int shift : { 10, 5, 0 }) {
        const int letter = (packed >> shift) & 0x1F;
        if (letter < 1 || letter > 26) {
            addWarning(warnings, DecodeWarning::BadManufacturer, 0, 8, letter);
            id += QLatin1Char('?');
        } else {
            id += QLatin1Char(char('A' + letter - 1));
        }
    }
    return id;
}

// Descriptor text: up to 13 characters, ended by a line feed and padded with spaces.
QString descriptorText(const quint8 *d)
{
    QString text;
    for (int i = 5; i < 18 && d[i] != 0x0A; ++i)
        text += (d[i] >= 0x20 && d[i] < 0x7F) ? QChar(d[i]) : QChar(u'?');
    return text.trimmed();
}

EdidRangeLimits rangeLimits(const quint8 *d, int version)
{
    EdidRangeLimits r;
    // EDID 1.4 may add 255 to the rates through the flags in byte 4.
    const quint8 flags = version >= 4 ? d[4] : 0;
    r.minVHz = d[5] + ((flags & 0x03) == 0x03 ? 255 : 0);
    r.maxVHz = d[6] + ((flags & 0x02) ? 255 : 0);
    r.minHKHz = d[7] + ((flags & 0x0C) == 0x0C ? 255 : 0);
    r.maxHKHz = d[8] + ((flags & 0x08) ? 255 : 0);
    r.maxPixelClockMHz = d[9] * 10;
    return r;
}

void decodeDescriptor(const quint8 *d, EdidBaseBlock &base)
{
    if (d[0] || d[1]) {
        base.detailedTimings.append(EdidDecoder::detailedTiming(d));
        return;
    }
    switch (d[3]) {
    case 0xFC:
        base.displayName = descriptorText(d);
        break;
    case 0xFF:
        base.displaySerial = descriptorText(d);
        break;
    case 0xFD:
        base.hasRangeLimits = true;
        base.rangeLimits = rangeLimits(d, base.revision);
        break;
    default:
        break;
    }
}

EdidStandardTiming standardTiming(quint8 first, quint8 second, int revision)
{
    EdidStandardTiming t;
    t.width = (first + 31) * 8;
    switch (second >> 6) {
    case 0: // 16:10 since EDID 1.3, 1:1 before
        t.height = revision >= 3 ? t.width * 10 / 16 : t.width;
        break;
    case 1:
        t.height = t.width * 3 / 4;
        break;
    case 2:
        t.height = t.width * 4 / 5;
        break;
    default:
        t.height = t.width * 9 / 16;
        break;
    }
    t.refreshHz = (second & 0x3F) + 60;
    return t;
}

EdidBaseBlock decodeBase(const Block &b, DecodeWarnings &warnings)
{
    EdidBaseBlock base;
    base.headerOk = std::equal(EDID_HEADER.begin(), EDID_HEADER.end(), b.begin());
    if (!base.headerOk)
        addWarning(warnings, DecodeWarning::BadHeader, 0, 0);
    base.manufacturer = manufacturerId(quint16(b[8] << 8 | b[9]), warnings);
    base.productCode = quint16(b[10] | b[11] << 8);
    base.serialNumber
        = quint32(b[12]) | quint32(b[13]) << 8 | quint32(b[14]) << 16 | quint32(b[15]) << 24;
    base.week = b[16];
    base.year = 1990 + b[17];
    base.version = b[18];
    base.revision = b[19];
    base.digital = b[20] & 0x80;
    base.widthCm = b[21];
    base.heightCm = b[22];
    base.establishedTimings = quint32(b[35]) << 16 | quint32(b[36]) << 8 | b[37];
    for (int i = 38; i < 54; i += 2) {
        if (b[i] == 0x01 && b[i + 1] == 0x01)
            continue; // unused slot
        if (b[i] == 0x00) {
            addWarning(warnings, DecodeWarning::ReservedValue, 0, i, 0);
            continue;
        }
        base.standardTimings.append(standardTiming(b[i], b[i + 1], base.revision));
    }
    for (int offset : { 54, 72, 90, 108 })
        decodeDescriptor(b.data() + offset, base);
    base.extensionCount = b[126];
    return base;
}

} // namespace

double EdidDetailedTiming::refreshHz() const
{
    const double hTotal = hActive + hBlank;
    const double vTotal = vActive + vBlank;
    if (hTotal <= 0 || vTotal <= 0)
        return 0;
    if (interlaced)
        return pixelClockKHz * 2000.0 / (hTotal * (2 * vTotal + 1));
    return pixelClockKHz * 1000.0 / (hTotal * vTotal);
}

EdidDetailedTiming EdidDecoder::detailedTiming(const quint8 *d)
{
    EdidDetailedTiming t;
    t.pixelClockKHz = quint32(d[0] | d[1] << 8) * 10;
    t.hActive = d[2] | (d[4] & 0xF0) << 4;
    t.hBlank = d[3] | (d[4] & 0x0F) << 8;
    t.vActive = d[5] | (d[7] & 0xF0) << 4;
    t.vBlank = d[6] | (d[7] & 0x0F) << 8;
    t.hSyncOffset = d[8] | (d[11] & 0xC0) << 2;
    t.hSyncWidth = d[9] | (d[11] & 0x30) << 4;
    t.vSyncOffset = (d[10] >> 4) | (d[11] & 0x0C) << 2;
    t.vSyncWidth = (d[10] & 0x0F) | (d[11] & 0x03) << 4;
    t.hImageMm = d[12] | (d[14] & 0xF0) << 4;
    t.vImageMm = d[13] | (d[14] & 0x0F) << 8;
    t.interlaced = d[17] & 0x80;
    t.digitalSeparateSync = (d[17] & 0x18) == 0x18;
    if (t.digitalSeparateSync) {
        t.vSyncPositive = d[17] & 0x04;
        t.hSyncPositive = d[17] & 0x02;
    }
    return t;
}

EdidDecoded EdidDecoder::decode(const QByteArray &bytes)
{
    EdidDecoded out;
    out.inputSize = int(bytes.size());
    DecodeWarnings &warnings = out.warnings;
    if (bytes.size() < EDID_BLOCK_SIZE)
        addWarning(warnings, DecodeWarning::TruncatedInput, 0, int(bytes.size()), int(bytes.size()),
            EDID_BLOCK_SIZE);
    else if (bytes.size() % EDID_BLOCK_SIZE)
        addWarning(warnings, DecodeWarning::OddSize, -1, -1, int(bytes.size()));

    int blockCount = qMax(1, int((bytes.size() + EDID_BLOCK_SIZE - 1) / EDID_BLOCK_SIZE));
    if (blockCount > MAX_BLOCKS) {
        addWarning(warnings, DecodeWarning::TooLarge, MAX_BLOCKS, -1, int(bytes.size()));
        blockCount = MAX_BLOCKS;
    }

    for (int index = 0; index < blockCount; ++index) {
        // Each block is copied into a zero-filled buffer, so a short last block can be read
        // like a whole one without reading past the input.
        Block b {};
        const int start = index * EDID_BLOCK_SIZE;
        const int available = qMin(EDID_BLOCK_SIZE, int(bytes.size()) - start);
        if (available > 0)
            std::copy_n(
                reinterpret_cast<const quint8 *>(bytes.constData()) + start, available, b.begin());

        EdidBlockState state;
        state.index = index;
        state.tag = b[0];
        state.complete = available == EDID_BLOCK_SIZE;
        state.checksum = b[127];
        state.expected = edidChecksum(b.data());
        out.blocks.append(state);
        if (state.complete && !state.checksumOk())
            addWarning(
                warnings, DecodeWarning::BadChecksum, index, 127, state.checksum, state.expected);
        if (!state.complete && index > 0)
            addWarning(warnings, DecodeWarning::TruncatedInput, index, qMax(0, available),
                available, EDID_BLOCK_SIZE);

        if (index == 0)
            out.base = decodeBase(b, warnings);
        else if (b[0] == CTA_EXTENSION_TAG)
            out.cta.append(CtaDecoder::decode(b.data(), index, warnings));
        else if (b[0] == DISPLAYID_EXTENSION_TAG)
            out.displayId.append(DisplayIdDecoder::decode(b.data(), index, warnings));
    }
    if (out.base.extensionCount != blockCount - 1 && blockCount < MAX_BLOCKS)
        addWarning(warnings, DecodeWarning::ExtensionCountMismatch, 0, 126, out.base.extensionCount,
            blockCount - 1);
    return out;
}
