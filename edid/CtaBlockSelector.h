// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A data block of a CTA-861 extension, named by what it holds: for removing blocks by kind, and
// for finding the place a new block goes.
struct CtaBlockSelector
{
    enum Kind {
        Video,
        Audio,
        Speakers,
        Hdmi, // the HDMI 1.4 vendor-specific block
        HdmiForum, // the HDMI Forum VSDB, or its sink capability block (extended tag 0x79)
        Vendor, // another vendor-specific block: `oui`
        VideoCapability,
        Colorimetry,
        HdrStatic,
        HdrDynamic,
        Ycbcr420Video,
        Ycbcr420Map,
        Extended, // any other extended tag: `code`
        Tag, // any block with tag `code` (1..7)
    };
    Kind kind = Video;
    int code = 0;
    quint32 oui = 0;

    CtaBlockSelector(Kind k = Video, int c = 0, quint32 o = 0)
        : kind(k)
        , code(c)
        , oui(o)
    {
    }

    bool matches(const QByteArray &dataBlock) const;

    // "video", "hdmi-forum", "vendor:00d046", "extended:1", "tag:6"; false for other text.
    static bool fromName(const QString &name, CtaBlockSelector &selector);
    // The name fromName takes for it.
    QString name() const;
    // Every name fromName takes, the ones with an argument in their form ("vendor:OUI").
    static QStringList names();
    // What a person calls it: "the HDR static metadata block".
    QString description() const;

    // The kind a data block is, as specific as it goes.
    static CtaBlockSelector of(const QByteArray &dataBlock);
    // Where a block of this kind goes among the others, in the order tables are usually written
    // (video, audio, speakers, vendor blocks, then the extended ones).
    int rank() const;

    static int tag(const QByteArray &dataBlock);
    // -1 unless the block has tag 7 and an extended tag byte.
    static int extendedTag(const QByteArray &dataBlock);
    // 0 unless a vendor-specific block long enough to hold one.
    static quint32 vendorOui(const QByteArray &dataBlock);
};
