// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidDecoded.h"

#include <cstddef>

// The flag bytes of CTA-861 and HDMI blocks, one table per byte group: which bit sets which
// field of EdidDecoded and the short name the describers print for it. The decoder reads the
// bits through these tables and the describers name them through the same ones, so a bit and its
// name are written down once; an editor writes the bits back with bits().
template <typename Flags> struct CtaFlagBit
{
    int bit; // in the group's little-endian value: byte 1 bit 0 is bit 0, byte 2 bit 0 is bit 8
    bool Flags::*field;
    const char *name;
};

namespace CtaBits {

// Short audio descriptors: the name of each format code (0 and 15 are "Reserved" and
// "Extended"), and the sample rate of each bit of byte 2, in kHz.
extern const char *const audioFormats[16];
extern const char *const sampleRatesKHz[7];

// Speaker allocation: bytes 1 to 3 (bits 0..20).
extern const CtaFlagBit<CtaSpeakers> speakers[21];
// HDR static metadata byte 3 (bits 0..3).
extern const CtaFlagBit<CtaEotfs> eotfs[4];
// Colorimetry bytes 3 and 4 (bits 0..15).
extern const CtaFlagBit<CtaColorimetry> colorimetry[16];
// HDMI 3D_Structure_ALL_15..0 (bits 0..6, 8 and 15). The same numbers are the codes of a
// 3D_Structure_X entry.
extern const CtaFlagBit<Cta3dStructures> structures3d[9];

// Sets every field of `table` from `value`.
template <typename Flags, std::size_t N>
void read(Flags &flags, quint32 value, const CtaFlagBit<Flags> (&table)[N])
{
    for (const CtaFlagBit<Flags> &b : table)
        flags.*b.field = value >> b.bit & 1;
}

// The bits the fields of `table` stand for.
template <typename Flags, std::size_t N>
quint32 bits(const Flags &flags, const CtaFlagBit<Flags> (&table)[N])
{
    quint32 value = 0;
    for (const CtaFlagBit<Flags> &b : table)
        value |= quint32(flags.*b.field ? 1 : 0) << b.bit;
    return value;
}

} // namespace CtaBits
