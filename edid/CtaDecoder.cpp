// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/CtaDecoder.h"

#include "edid/CtaBits.h"
#include "edid/CtaTags.h"
#include "edid/EdidDecoder.h"
#include "edid/HdmiBlockDecoder.h"

#include <cmath>

namespace {

class Reader
{
public:
    Reader(const quint8 *block, int index, DecodeWarnings &warnings, CtaBlock &out)
        : b(block)
        , blockIndex(index)
        , w(warnings)
        , cta(out)
    {
    }

    void dataBlock(int offset, int length)
    {
        const quint8 *p = b + offset + 1; // the payload, after the tag and length byte
        const int tag = b[offset] >> 5;
        switch (tag) {
        case CtaTag::Audio:
            for (int i = 0; i + 3 <= length; i += 3)
                cta.audios.append(audio(p + i, offset + 1 + i));
            return;
        case CtaTag::Video:
            for (int i = 0; i < length; ++i) {
                CtaShortVideo svd;
                if (CtaShortVideo::fromCode(p[i], svd))
                    cta.videos.append(svd);
                else
                    addWarning(w, DecodeWarning::ReservedValue, blockIndex, offset + 1 + i, p[i]);
                // The 4:2:0 capability map counts every descriptor, reserved ones too.
                allVideoCodes.append(svd.vic);
            }
            return;
        case CtaTag::Vendor:
            vendor(p, length, offset);
            return;
        case CtaTag::Speakers:
            if (length >= 3) {
                cta.hasSpeakers = true;
                CtaBits::read(cta.speakers,
                    quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16, CtaBits::speakers);
                cta.speakers.reservedBits = p[2] & 0xE0;
            }
            return;
        case CtaTag::Extended:
            if (length >= 1) {
                extended(p[0], p + 1, length - 1, offset);
                return;
            }
            break;
        default:
            break;
        }
        cta.others.append(CtaOtherBlock { tag, -1, 0, length });
    }

    void finish()
    {
        if (cta.hasHdmi)
            HdmiBlockDecoder::resolveVics(cta.hdmi, allVideoCodes);
        if (!mapPresent)
            return;
        cta.hasYcbcr420Map = true;
        for (int i = 0; i < allVideoCodes.size(); ++i) {
            // An empty map marks every video descriptor.
            const bool marked
                = map.isEmpty() || (i / 8 < map.size() && (quint8(map[i / 8]) >> (i % 8)) & 1);
            if (marked && allVideoCodes[i] > 0)
                cta.ycbcr420Capable.append(allVideoCodes[i]);
        }
    }

private:
    CtaShortAudio audio(const quint8 *p, int offset)
    {
        CtaShortAudio a;
        a.format = CtaShortAudio::formatOf(p[0]);
        a.channels = (p[0] & 0x07) + 1;
        a.rates = p[1] & 0x7F;
        a.detail = p[2];
        if (a.format == 0)
            addWarning(w, DecodeWarning::ReservedValue, blockIndex, offset, p[0]);
        return a;
    }

    void vendor(const quint8 *p, int length, int offset)
    {
        if (length < 3) {
            addWarning(w, DecodeWarning::TruncatedInput, blockIndex, offset, length, 3);
            cta.others.append(CtaOtherBlock { CtaTag::Vendor, -1, 0, length });
            return;
        }
        const quint32 oui = quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16;
        if (oui == CtaOui::HDMI && length >= 5) {
            cta.hasHdmi = true;
            cta.hdmi = HdmiBlockDecoder::vsdb(p + 3, length - 3);
        } else if (oui == CtaOui::HDMI_FORUM && length >= 5) {
            cta.hasHdmiForum = true;
            cta.hdmiForum = HdmiBlockDecoder::forum(p + 3, length - 3, false);
        } else {
            cta.others.append(CtaOtherBlock { CtaTag::Vendor, -1, oui, length });
        }
    }

    void extended(quint8 extTag, const quint8 *p, int n, int offset)
    {
        switch (extTag) {
        case CtaExtendedTag::VideoCapability:
            if (n >= 1) {
                cta.hasVideoCapability = true;
                CtaVideoCapability &c = cta.videoCapability;
                c.ycbcrQuantisationSelectable = p[0] & 0x80;
                c.rgbQuantisationSelectable = p[0] & 0x40;
                c.ptScan = p[0] >> 4 & 3;
                c.itScan = p[0] >> 2 & 3;
                c.ceScan = p[0] & 3;
                return;
            }
            break;
        case CtaExtendedTag::Colorimetry:
            if (n >= 2) {
                cta.hasColorimetry = true;
                CtaBits::read(cta.colorimetry, quint32(p[0] | p[1] << 8), CtaBits::colorimetry);
                return;
            }
            break;
        case CtaExtendedTag::HdrStatic:
            if (n >= 2) {
                cta.hasHdrStatic = true;
                cta.hdrStatic = hdrStatic(p, n);
                return;
            }
            break;
        case CtaExtendedTag::HdrDynamic:
            cta.hasHdrDynamic = true;
            cta.hdrDynamic = hdrDynamic(p, n, offset);
            return;
        case CtaExtendedTag::Ycbcr420Video:
            for (int i = 0; i < n; ++i) {
                CtaShortVideo svd;
                if (CtaShortVideo::fromCode(p[i], svd))
                    cta.ycbcr420Only.append(svd.vic);
                else
                    addWarning(w, DecodeWarning::ReservedValue, blockIndex, offset + 2 + i, p[i]);
            }
            return;
        case CtaExtendedTag::Ycbcr420Map:
            mapPresent = true;
            map = QByteArray(reinterpret_cast<const char *>(p), n);
            return;
        case CtaExtendedTag::HdmiForumSink:
            if (n >= 3) {
                cta.hasHdmiForum = true;
                cta.hdmiForum = HdmiBlockDecoder::forum(p + 2, n - 2, true);
                return;
            }
            break;
        default:
            break;
        }
        cta.others.append(CtaOtherBlock { CtaTag::Extended, extTag, 0, n + 1 });
    }

    static CtaHdrStatic hdrStatic(const quint8 *p, int n)
    {
        CtaHdrStatic h;
        CtaBits::read(h.eotfs, p[0], CtaBits::eotfs);
        h.eotfs.reservedBits = p[0] & 0xF0;
        h.staticMetadataType1 = p[1] & 0x01;
        h.reservedDescriptors = p[1] & 0xFE;
        h.hasMax = n >= 3;
        h.hasAverage = n >= 4;
        h.hasMin = n >= 5;
        if (h.hasMax) {
            h.maxCode = p[2];
            h.maxCdm2 = CtaHdrStatic::luminanceCdm2(p[2]);
        }
        if (h.hasAverage) {
            h.averageCode = p[3];
            h.averageCdm2 = CtaHdrStatic::luminanceCdm2(p[3]);
        }
        if (h.hasMin) {
            h.minCode = p[4];
            h.minCdm2 = CtaHdrStatic::minimumCdm2(h.maxCdm2, p[4]);
        }
        return h;
    }

    // Descriptors of a length byte, a 16-bit type and, for the types that have one, a support byte
    // with the version in its low bits.
    QVector<CtaHdrDynamicType> hdrDynamic(const quint8 *p, int n, int offset)
    {
        QVector<CtaHdrDynamicType> types;
        int i = 0;
        while (i < n) {
            const int length = p[i];
            if (length < 2 || i + 1 + length > n) {
                addWarning(w, DecodeWarning::LengthPastBlock, blockIndex, offset + 2 + i, length,
                    n - i - 1);
                break;
            }
            CtaHdrDynamicType t;
            t.type = p[i + 1] | p[i + 2] << 8;
            t.hasVersion = (t.type == 1 || t.type == 2 || t.type == 4) && length >= 3;
            if (t.hasVersion)
                t.version = p[i + 3] & 0x0F;
            types.append(t);
            i += 1 + length;
        }
        return types;
    }

    const quint8 *b;
    int blockIndex;
    DecodeWarnings &w;
    CtaBlock &cta;
    QVector<int> allVideoCodes;
    bool mapPresent = false;
    QByteArray map;
};

} // namespace

CtaBlock CtaDecoder::decode(const quint8 *b, int blockIndex, DecodeWarnings &warnings)
{
    CtaBlock cta;
    cta.blockIndex = blockIndex;
    cta.revision = b[1];
    int dtdStart = b[2];
    if (cta.revision >= 2) {
        cta.underscan = b[3] & 0x80;
        cta.basicAudio = b[3] & 0x40;
        cta.ycbcr444 = b[3] & 0x20;
        cta.ycbcr422 = b[3] & 0x10;
        cta.nativeTimings = b[3] & 0x0F;
    }
    if (dtdStart == 0)
        return cta; // neither data blocks nor detailed timings
    if (dtdStart < 4 || dtdStart > 127) {
        addWarning(warnings, DecodeWarning::LengthPastBlock, blockIndex, 2, dtdStart);
        dtdStart = qBound(4, dtdStart, 127);
    }

    // Data blocks exist from revision 3 on.
    Reader reader(b, blockIndex, warnings, cta);
    int offset = 4;
    while (cta.revision >= 3 && offset < dtdStart) {
        int length = b[offset] & 0x1F;
        if (offset + 1 + length > dtdStart) {
            addWarning(warnings, DecodeWarning::LengthPastBlock, blockIndex, offset, length,
                dtdStart - offset - 1);
            length = dtdStart - offset - 1;
        }
        reader.dataBlock(offset, length);
        offset += 1 + length;
    }
    reader.finish();

    for (const int at : detailedTimingOffsets(b))
        cta.detailedTimings.append(EdidDecoder::detailedTiming(b + at));
    return cta;
}

double CtaHdrStatic::luminanceCdm2(quint8 code)
{
    return 50.0 * std::pow(2.0, code / 32.0);
}

QVector<int> CtaDecoder::detailedTimingOffsets(const quint8 *b)
{
    QVector<int> offsets;
    if (b[2] == 0)
        return offsets;
    // Detailed timings run from their start to the padding before the checksum.
    for (int offset = qBound(4, int(b[2]), 127); offset + 18 <= 127; offset += 18) {
        if (b[offset] == 0 && b[offset + 1] == 0)
            break;
        offsets.append(offset);
    }
    return offsets;
}
