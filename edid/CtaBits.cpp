// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/CtaBits.h"

namespace CtaBits {

const char *const audioFormats[16]
    = { "Reserved", "Linear PCM", "AC-3", "MPEG-1", "MP3", "MPEG-2", "AAC LC", "DTS", "ATRAC",
          "One Bit Audio", "Enhanced AC-3", "DTS-HD", "MAT (MLP)", "DST", "WMA Pro", "Extended" };
const char *const sampleRatesKHz[7] = { "32", "44.1", "48", "88.2", "96", "176.4", "192" };

const CtaFlagBit<CtaSpeakers> speakers[21] = {
    { 0, &CtaSpeakers::flFr, "FL/FR" },
    { 1, &CtaSpeakers::lfe1, "LFE1" },
    { 2, &CtaSpeakers::fc, "FC" },
    { 3, &CtaSpeakers::blBr, "BL/BR" },
    { 4, &CtaSpeakers::bc, "BC" },
    { 5, &CtaSpeakers::flcFrc, "FLc/FRc" },
    { 6, &CtaSpeakers::rlcRrc, "RLC/RRC" },
    { 7, &CtaSpeakers::flwFrw, "FLw/FRw" },
    { 8, &CtaSpeakers::tpflTpfr, "TpFL/TpFR" },
    { 9, &CtaSpeakers::tpc, "TpC" },
    { 10, &CtaSpeakers::tpfc, "TpFC" },
    { 11, &CtaSpeakers::lsRs, "LS/RS" },
    { 12, &CtaSpeakers::lfe2, "LFE2" },
    { 13, &CtaSpeakers::tpbc, "TpBC" },
    { 14, &CtaSpeakers::silSir, "SiL/SiR" },
    { 15, &CtaSpeakers::tpsilTpsir, "TpSiL/TpSiR" },
    { 16, &CtaSpeakers::tpblTpbr, "TpBL/TpBR" },
    { 17, &CtaSpeakers::btfc, "BtFC" },
    { 18, &CtaSpeakers::btflBtfr, "BtFL/BtFR" },
    { 19, &CtaSpeakers::tplsTprs, "TpLS/TpRS" },
    { 20, &CtaSpeakers::lsdRsd, "LSd/RSd" },
};

const CtaFlagBit<CtaEotfs> eotfs[4] = {
    { 0, &CtaEotfs::sdr, "SDR" },
    { 1, &CtaEotfs::traditionalHdr, "traditional HDR" },
    { 2, &CtaEotfs::pq, "SMPTE ST 2084 (PQ)" },
    { 3, &CtaEotfs::hlg, "HLG" },
};

const CtaFlagBit<CtaColorimetry> colorimetry[16] = {
    { 0, &CtaColorimetry::xvYcc601, "xvYCC601" },
    { 1, &CtaColorimetry::xvYcc709, "xvYCC709" },
    { 2, &CtaColorimetry::sYcc601, "sYCC601" },
    { 3, &CtaColorimetry::opYcc601, "opYCC601" },
    { 4, &CtaColorimetry::opRgb, "opRGB" },
    { 5, &CtaColorimetry::bt2020cYcc, "BT2020cYCC" },
    { 6, &CtaColorimetry::bt2020Ycc, "BT2020YCC" },
    { 7, &CtaColorimetry::bt2020Rgb, "BT2020RGB" },
    { 8, &CtaColorimetry::md0, "MD0" },
    { 9, &CtaColorimetry::md1, "MD1" },
    { 10, &CtaColorimetry::md2, "MD2" },
    { 11, &CtaColorimetry::md3, "MD3" },
    { 12, &CtaColorimetry::defaultRgb, "defaultRGB" },
    { 13, &CtaColorimetry::sRgb, "sRGB" },
    { 14, &CtaColorimetry::ictcp, "ICtCp" },
    { 15, &CtaColorimetry::dciP3, "DCI-P3" },
};

const CtaFlagBit<Cta3dStructures> structures3d[9] = {
    { 0, &Cta3dStructures::framePacking, "frame packing" },
    { 1, &Cta3dStructures::fieldAlternative, "field alternative" },
    { 2, &Cta3dStructures::lineAlternative, "line alternative" },
    { 3, &Cta3dStructures::sideBySideFull, "side-by-side (full)" },
    { 4, &Cta3dStructures::lDepth, "L + depth" },
    { 5, &Cta3dStructures::lDepthGraphics, "L + depth + graphics + graphics-depth" },
    { 6, &Cta3dStructures::topAndBottom, "top-and-bottom" },
    { 8, &Cta3dStructures::sideBySideHalf, "side-by-side (half)" },
    { 15, &Cta3dStructures::sideBySideHalfQuincunx, "side-by-side (half, quincunx)" },
};

} // namespace CtaBits
