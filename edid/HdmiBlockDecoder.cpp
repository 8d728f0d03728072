// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/HdmiBlockDecoder.h"

#include "edid/CtaBits.h"

namespace {

// 3D_MASK has a bit for each of the first sixteen video descriptors.
constexpr int kMaskedVics = 16;

} // namespace

CtaHdmiVsdb HdmiBlockDecoder::vsdb(const quint8 *p, int n)
{
    auto at = [p, n](int i) { return i < n ? p[i] : quint8(0); };
    CtaHdmiVsdb h;
    h.physicalAddress = quint16(at(0) << 8 | at(1));
    if (n >= 3) {
        h.supportsAi = at(2) & 0x80;
        h.dc48 = at(2) & 0x40;
        h.dc36 = at(2) & 0x20;
        h.dc30 = at(2) & 0x10;
        h.dcY444 = at(2) & 0x08;
        h.dviDual = at(2) & 0x01;
    }
    if (n >= 4)
        h.maxTmdsMHz = at(3) * 5;
    if (n < 5)
        return h;
    const quint8 flags = at(4);
    h.cncGraphics = flags & 0x01;
    h.cncPhoto = flags & 0x02;
    h.cncCinema = flags & 0x04;
    h.cncGame = flags & 0x08;
    h.hasLatency = flags & 0x80;
    if (h.hasLatency) {
        h.videoLatency = at(5);
        h.audioLatency = at(6);
        h.hasInterlacedLatency = flags & 0x40;
        if (h.hasInterlacedLatency) {
            h.interlacedVideoLatency = at(7);
            h.interlacedAudioLatency = at(8);
        }
    }
    const VideoLayout layout = videoLayout(p, n);
    h.hasVideo = layout.flagsAt >= 0;
    if (!h.hasVideo)
        return h;
    const quint8 video = at(layout.flagsAt);
    h.present3d = video & 0x80;
    h.multi3d = video >> 5 & 0x03;
    h.imageSize = video >> 3 & 0x03;
    int i = layout.vicStart;
    const int end3d = layout.d3Start + layout.d3Length;
    for (int k = 0; k < layout.vicCount && i < n; ++k)
        h.hdmiVics.append(at(i++));
    // 3D_Multi_present 1 and 2 bring 3D_Structure_ALL, 2 also 3D_MASK; 3 is reserved.
    if ((h.multi3d == 1 || h.multi3d == 2) && i + 2 <= qMin(n, end3d)) {
        const quint16 all = quint16(at(i) << 8 | at(i + 1));
        i += 2;
        h.hasStructures3d = true;
        CtaBits::read(h.structures3d, all, CtaBits::structures3d);
        h.structures3d.reservedBits = all & 0x7E80;
    }
    if (h.multi3d == 2 && i + 2 <= qMin(n, end3d)) {
        const quint16 mask = quint16(at(i) << 8 | at(i + 1));
        i += 2;
        h.hasMask3d = true;
        // Indexes for now, VICs once resolveVics() knows the video descriptors.
        for (int bit = 0; bit < kMaskedVics; ++bit)
            if (mask >> bit & 1)
                h.maskVics3d.append(bit);
    }
    while (i < qMin(n, end3d)) {
        Cta3dVic v;
        v.vicIndex = at(i) >> 4;
        v.structure = at(i) & 0x0F;
        ++i;
        if (v.structure >= 8) {
            v.detail = at(i) >> 4;
            ++i;
        }
        h.vics3d.append(v);
    }
    return h;
}

HdmiBlockDecoder::VideoLayout HdmiBlockDecoder::videoLayout(const quint8 *p, int n)
{
    VideoLayout layout;
    if (n < 5 || !(p[4] & 0x20))
        return layout;
    // The latencies come first when the block has them; the interlaced ones only with the
    // progressive ones.
    int i = 5;
    if (p[4] & 0x80)
        i += p[4] & 0x40 ? 4 : 2;
    if (i >= n)
        return layout;
    const quint8 lengths = i + 1 < n ? p[i + 1] : 0;
    layout.flagsAt = i;
    layout.vicStart = i + 2;
    layout.vicCount = lengths >> 5;
    layout.d3Start = layout.vicStart + layout.vicCount;
    layout.d3Length = lengths & 0x1F;
    return layout;
}

void HdmiBlockDecoder::resolveVics(CtaHdmiVsdb &vsdb, const QVector<int> &videoCodes)
{
    const auto vicAt
        = [&videoCodes](int index) { return index < videoCodes.size() ? videoCodes[index] : 0; };
    QVector<int> masked;
    for (int index : vsdb.maskVics3d)
        if (vicAt(index) > 0)
            masked.append(vicAt(index));
    vsdb.maskVics3d = masked;
    for (Cta3dVic &v : vsdb.vics3d)
        v.vic = vicAt(v.vicIndex);
}

CtaHdmiForum HdmiBlockDecoder::forum(const quint8 *p, int n, bool sinkCapabilityBlock)
{
    auto at = [p, n](int i) { return i < n ? p[i] : quint8(0); };
    CtaHdmiForum f;
    f.sinkCapabilityBlock = sinkCapabilityBlock;
    f.version = at(0);
    f.maxTmdsCharacterRateMHz = at(1) * 5;
    f.scdcPresent = at(2) & 0x80;
    f.readRequest = at(2) & 0x40;
    f.scrambling340 = at(2) & 0x08;
    f.maxFrlRate = at(3) >> 4;
    f.dc48_420 = at(3) & 0x04;
    f.dc36_420 = at(3) & 0x02;
    f.dc30_420 = at(3) & 0x01;
    f.allm = at(4) & 0x02;
    f.vrrMinHz = at(5) & 0x3F;
    f.vrrMaxHz = (at(5) & 0xC0) << 2 | at(6);
    f.dsc12 = at(7) & 0x80;
    f.dscNative420 = at(7) & 0x40;
    f.dscAllBpp = at(7) & 0x08;
    f.dsc16bpc = at(7) & 0x04;
    f.dsc12bpc = at(7) & 0x02;
    f.dsc10bpc = at(7) & 0x01;
    f.dscMaxFrlRate = at(8) >> 4;
    f.dscMaxSlices = at(8) & 0x0F;
    f.dscTotalChunkKBytes = at(9) & 0x3F;
    return f;
}
