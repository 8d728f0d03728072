// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>

// One axis of a video timing: the blanking is the front porch, the sync pulse and the back porch.
struct CtaAxisTiming
{
    quint16 front;
    quint16 sync;
    quint16 back;
    bool positive; // sync polarity
    constexpr int blank() const { return front + sync + back; }
};

// The video formats CTA-861 numbers with a Video Identification Code (VIC 1 to 127 and 193 to
// 219), with the whole timing of each, so that a detailed timing can be made from a VIC. Our own
// table: the firmware's list in the signal text has its quirks and stays with it.
struct CtaVideoFormat
{
    quint8 vic;
    quint16 width;
    quint16 height; // frame lines, also for interlaced formats
    bool interlaced;
    quint32 refreshMilliHz; // field rate for interlaced formats
    quint16 aspectH;
    quint16 aspectV;
    quint32 pixelClockKHz;
    CtaAxisTiming h; // pixels
    CtaAxisTiming v; // lines, of one field for interlaced formats (the odd field has half a line
                     // more, which a detailed timing cannot say)
};

namespace CtaVideoFormats {

// The format of `vic`, or nullptr for a reserved or unassigned code. A look-up in a table made at
// compile time: nothing is built when the program starts.
const CtaVideoFormat *find(int vic);

// "3840x2160p 60 Hz 16:9", or "reserved VIC 130" when the code names no format.
QString name(int vic);

// HDMI_VIC 1 to 4 of the HDMI block are the 4K formats CTA-861 later gave VICs 95, 94, 93 and
// 98: the VIC of an HDMI VIC, and the HDMI VIC of a VIC (0 for any other).
int vicOfHdmiVic(int hdmiVic);
int hdmiVicOf(int vic);

// Every format, by VIC.
const CtaVideoFormat *all();
int count();

} // namespace CtaVideoFormats
