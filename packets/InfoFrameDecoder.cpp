// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "packets/InfoFrameDecoder.h"

namespace {

bool knownType(quint8 b)
{
    return b == InfoFrameDecoded::Avi || b == InfoFrameDecoded::Hdr;
}

// The payload, zero-filled up to `size` so the field reads below stay inside it.
struct Payload
{
    QByteArray bytes;
    quint8 at(int i) const { return i < bytes.size() ? quint8(bytes[i]) : 0; }
    quint16 word(int i) const { return quint16(at(i) | at(i + 1) << 8); }
};

HdrInfoFrame hdr(const Payload &p, InfoFrameDecoded &out)
{
    HdrInfoFrame h;
    h.eotf = p.at(0) & 0x07;
    h.metadataId = p.at(1) & 0x07;
    if (h.eotf > 3)
        addWarning(out.warnings, DecodeWarning::ReservedValue, -1, 0, h.eotf);
    if (h.metadataId != 0)
        addWarning(out.warnings, DecodeWarning::ReservedValue, -1, 1, h.metadataId);
    for (int c = 0; c < 3; ++c) {
        h.primaryX[c] = p.word(2 + 4 * c);
        h.primaryY[c] = p.word(4 + 4 * c);
    }
    h.whiteX = p.word(14);
    h.whiteY = p.word(16);
    h.maxMasteringLuminance = p.word(18);
    h.minMasteringLuminance = p.word(20);
    h.maxCll = p.word(22);
    h.maxFall = p.word(24);
    return h;
}

AviInfoFrame avi(const Payload &p, InfoFrameDecoded &out)
{
    AviInfoFrame a;
    a.colourFormat = p.at(0) >> 5 & 0x07;
    a.activeFormatPresent = p.at(0) & 0x10;
    a.barInfo = p.at(0) >> 2 & 0x03;
    a.scanInfo = p.at(0) & 0x03;
    a.colorimetry = p.at(1) >> 6;
    a.pictureAspect = p.at(1) >> 4 & 0x03;
    a.activeFormatAspect = p.at(1) & 0x0F;
    a.itContent = p.at(2) & 0x80;
    a.extendedColorimetry = p.at(2) >> 4 & 0x07;
    a.quantisationRange = p.at(2) >> 2 & 0x03;
    a.scaling = p.at(2) & 0x03;
    a.vic = p.at(3);
    a.ycbcrQuantisationRange = p.at(4) >> 6;
    a.contentType = p.at(4) >> 4 & 0x03;
    a.pixelRepetition = p.at(4) & 0x0F;
    a.topBarEnd = p.word(5);
    a.bottomBarStart = p.word(7);
    a.leftBarEnd = p.word(9);
    a.rightBarStart = p.word(11);
    a.additionalColorimetry = p.at(13) >> 4;
    // Colour formats 4..6 are reserved (7 is defined by the IDO, left alone here).
    if (a.colourFormat >= 4 && a.colourFormat <= 6)
        addWarning(out.warnings, DecodeWarning::ReservedValue, -1, 0, a.colourFormat);
    if (a.pictureAspect == 3)
        addWarning(out.warnings, DecodeWarning::ReservedValue, -1, 1, a.pictureAspect);
    if (a.quantisationRange == 3)
        addWarning(out.warnings, DecodeWarning::ReservedValue, -1, 2, a.quantisationRange);
    return a;
}

InfoFrameDecoded::Type payloadGuess(const QByteArray &bytes)
{
    const quint8 first = bytes.isEmpty() ? 0 : quint8(bytes[0]);
    return (first <= 7 && bytes.size() != InfoFrameDecoder::AVI_PAYLOAD_MAX)
        ? InfoFrameDecoded::Hdr
        : InfoFrameDecoded::Avi;
}

// Splits off a header: sets type, form, version, length and checksum, returns the payload.
QByteArray header(const QByteArray &bytes, InfoFrameDecoded &out)
{
    const auto at = [&bytes](int i) { return i < bytes.size() ? quint8(bytes[i]) : quint8(0); };
    out.typeCode = at(0);
    // A version (1..4) in the second byte, with a length after it that an InfoFrame can have,
    // is the full form; the captured form has the length there (26 for HDR, 13 for AVI).
    const bool full = at(1) >= 1 && at(1) <= 4 && at(2) <= 31 && bytes.size() >= 4;
    int start = full ? 4 : 2;
    out.form = full ? InfoFrameDecoded::Full : InfoFrameDecoded::Captured;
    out.version = full ? at(1) : 0;
    out.length = full ? at(2) : at(1);
    if (out.length > 31)
        addWarning(out.warnings, DecodeWarning::LengthPastBlock, -1, full ? 2 : 1, out.length, 31);
    const int have = qMax(0, int(bytes.size()) - start);
    if (have < out.length)
        addWarning(
            out.warnings, DecodeWarning::TruncatedInput, -1, int(bytes.size()), have, out.length);
    // Bytes after the payload are fine when they are the zero padding of a box block.
    for (int i = start + out.length; i < bytes.size(); ++i) {
        if (bytes[i] != 0) {
            addWarning(out.warnings, DecodeWarning::LengthMismatch, -1, i, out.length, have);
            break;
        }
    }
    const QByteArray payload = bytes.mid(start, qMin(have, out.length));
    if (full) {
        out.hasChecksum = true;
        out.checksum = at(3);
        quint8 sum = quint8(at(0) + at(1) + at(2));
        for (char c : payload)
            sum = quint8(sum + quint8(c));
        out.expectedChecksum = quint8(0x100 - sum);
        if (have >= out.length && !out.checksumOk())
            addWarning(out.warnings, DecodeWarning::BadChecksum, -1, 3, out.checksum,
                out.expectedChecksum);
    }
    return payload;
}

} // namespace

InfoFrameDecoded InfoFrameDecoder::decode(const QByteArray &bytes, Hint hint)
{
    InfoFrameDecoded out;
    const bool withHeader = hint == Hint::WithHeader
        || (hint == Hint::Detect && !bytes.isEmpty() && knownType(quint8(bytes[0])));

    Payload p;
    if (withHeader) {
        p.bytes = header(bytes, out);
        out.type = knownType(quint8(out.typeCode)) ? InfoFrameDecoded::Type(out.typeCode)
                                                   : InfoFrameDecoded::Unknown;
        if (out.type == InfoFrameDecoded::Unknown)
            addWarning(out.warnings, DecodeWarning::UnknownType, -1, 0, out.typeCode);
    } else {
        out.form = InfoFrameDecoded::Payload;
        out.type = hint == Hint::HdrPayload ? InfoFrameDecoded::Hdr
            : hint == Hint::AviPayload      ? InfoFrameDecoded::Avi
                                            : payloadGuess(bytes);
        out.typeCode = out.type;
        p.bytes = bytes;
        out.length = int(bytes.size());
        const int max = out.type == InfoFrameDecoded::Hdr ? HDR_PAYLOAD_MAX : AVI_PAYLOAD_MAX;
        if (bytes.size() > max)
            addWarning(
                out.warnings, DecodeWarning::LengthMismatch, -1, max, int(bytes.size()), max);
    }

    const int needed = out.type == InfoFrameDecoded::Hdr ? HDR_STATIC_SIZE : AVI_PAYLOAD_MAX;
    if (out.form == InfoFrameDecoded::Payload && p.bytes.size() < needed)
        addWarning(out.warnings, DecodeWarning::TruncatedInput, -1, int(p.bytes.size()),
            int(p.bytes.size()), needed);
    if (out.type == InfoFrameDecoded::Hdr)
        out.hdr = hdr(p, out);
    else if (out.type == InfoFrameDecoded::Avi)
        out.avi = avi(p, out);
    return out;
}

InfoFrameDecoded InfoFrameDecoder::decodeAs(InfoFrameDecoded::Type kind, const QByteArray &bytes)
{
    if (kind == InfoFrameDecoded::Unknown)
        return decode(bytes, Hint::Detect);
    if (!bytes.isEmpty() && quint8(bytes[0]) == kind)
        return decode(bytes, Hint::WithHeader);
    return decode(bytes, kind == InfoFrameDecoded::Hdr ? Hint::HdrPayload : Hint::AviPayload);
}
