// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidDecoded.h"

// The payloads of the HDMI blocks of a CTA-861 extension: the HDMI 1.4 VSDB (after its OUI) and
// the fields the HDMI Forum VSDB and HF-SCDB share (from their version byte on). `n` is the
// bytes present; a field past them reads as zero, as the blocks' own rule for a short block
// says.
namespace HdmiBlockDecoder {

// The 3D mask and 2D_VIC_order entries name short video descriptors by their place in the
// block's video data blocks; `videoCodes` are those descriptors' VICs in order (0 for a
// reserved code), which CtaDecoder hands over once it has read every data block.
CtaHdmiVsdb vsdb(const quint8 *p, int n);
void resolveVics(CtaHdmiVsdb &vsdb, const QVector<int> &videoCodes);

CtaHdmiForum forum(const quint8 *p, int n, bool sinkCapabilityBlock);

// Where the video fields of an HDMI VSDB's payload lie, as offsets in it: the byte with the 3D
// flags, then the byte with the lengths of the HDMI VIC list and of the 3D fields, then both.
// `flagsAt` is -1 when the block says it has none or ends before them. The lengths are the ones
// the block gives; the fields may run past its end.
struct VideoLayout
{
    int flagsAt = -1;
    int vicStart = 0, vicCount = 0;
    int d3Start = 0, d3Length = 0;
};
VideoLayout videoLayout(const quint8 *p, int n);

} // namespace HdmiBlockDecoder
