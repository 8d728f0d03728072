// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>

// The video formats CTA-861 numbers with a Video Identification Code (VIC 1 to 127 and 193 to
// 219). Our own table: the firmware's list in the signal text has its quirks and stays with it.
struct CtaVideoFormat
{
    quint8 vic;
    quint16 width;
    quint16 height; // frame lines, also for interlaced formats
    bool interlaced;
    quint32 refreshMilliHz; // field rate for interlaced formats
    quint16 aspectH;
    quint16 aspectV;
};

namespace CtaVideoFormats {

// The format of `vic`, or nullptr for a reserved or unassigned code.
const CtaVideoFormat *find(int vic);

// "3840x2160p 60 Hz 16:9", or "reserved VIC 130" when the code names no format.
QString name(int vic);

} // namespace CtaVideoFormats
