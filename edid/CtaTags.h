// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

// The codes that say what a CTA-861 data block holds: its tag (byte 0, bits 5..7), the extended
// tag of tag 7 (byte 1), and the IEEE OUIs of the vendor-specific blocks the decoder reads. The
// decoder, the block selector and the edits name blocks by these.
namespace CtaTag {
enum : int { Audio = 1, Video = 2, Vendor = 3, Speakers = 4, Extended = 7 };
} // namespace CtaTag

namespace CtaExtendedTag {
enum : int {
    VideoCapability = 0,
    Colorimetry = 5,
    HdrStatic = 6,
    HdrDynamic = 7,
    Ycbcr420Video = 14,
    Ycbcr420Map = 15,
    HdmiForumOverride = 0x78, // HF-EEODB: must stay the first data block
    HdmiForumSink = 0x79,
};
} // namespace CtaExtendedTag

namespace CtaOui {
constexpr quint32 HDMI = 0x000C03;
constexpr quint32 HDMI_FORUM = 0xC45DD8;
} // namespace CtaOui
