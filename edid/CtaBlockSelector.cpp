// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/CtaBlockSelector.h"

#include "edid/CtaTags.h"

namespace {

struct Named
{
    const char *name;
    CtaBlockSelector::Kind kind;
    const char *description;
};

// In the order of the kinds, so the description of a kind is kNames[kind].
const Named kNames[] = {
    { "video", CtaBlockSelector::Video, "video data block" },
    { "audio", CtaBlockSelector::Audio, "audio data block" },
    { "speakers", CtaBlockSelector::Speakers, "speaker allocation block" },
    { "hdmi", CtaBlockSelector::Hdmi, "HDMI vendor-specific block" },
    { "hdmi-forum", CtaBlockSelector::HdmiForum, "HDMI Forum block" },
    { "vendor", CtaBlockSelector::Vendor, "vendor-specific block" },
    { "video-capability", CtaBlockSelector::VideoCapability, "video capability block" },
    { "colorimetry", CtaBlockSelector::Colorimetry, "colorimetry block" },
    { "hdr-static", CtaBlockSelector::HdrStatic, "HDR static metadata block" },
    { "hdr-dynamic", CtaBlockSelector::HdrDynamic, "HDR dynamic metadata block" },
    { "ycbcr420-video", CtaBlockSelector::Ycbcr420Video, "YCbCr 4:2:0 video data block" },
    { "ycbcr420-map", CtaBlockSelector::Ycbcr420Map, "YCbCr 4:2:0 capability map block" },
    { "extended", CtaBlockSelector::Extended, "data block with extended tag" },
    { "tag", CtaBlockSelector::Tag, "data block with tag" },
};

bool parseNumber(const QString &text, int max, int &value)
{
    bool ok = false;
    const int v = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
        ? text.mid(2).toInt(&ok, 16)
        : text.toInt(&ok, 10);
    if (!ok || v < 0 || v > max)
        return false;
    value = v;
    return true;
}

} // namespace

int CtaBlockSelector::tag(const QByteArray &d)
{
    return d.isEmpty() ? 0 : quint8(d.at(0)) >> 5;
}

int CtaBlockSelector::extendedTag(const QByteArray &d)
{
    return tag(d) == CtaTag::Extended && d.size() >= 2 ? quint8(d.at(1)) : -1;
}

quint32 CtaBlockSelector::vendorOui(const QByteArray &d)
{
    if (tag(d) != CtaTag::Vendor || d.size() < 4)
        return 0;
    return quint32(quint8(d.at(1))) | quint32(quint8(d.at(2))) << 8
        | quint32(quint8(d.at(3))) << 16;
}

CtaBlockSelector CtaBlockSelector::of(const QByteArray &d)
{
    CtaBlockSelector s;
    switch (tag(d)) {
    case CtaTag::Audio:
        s.kind = Audio;
        return s;
    case CtaTag::Video:
        s.kind = Video;
        return s;
    case CtaTag::Vendor:
        s.oui = vendorOui(d);
        s.kind = s.oui == CtaOui::HDMI ? Hdmi : s.oui == CtaOui::HDMI_FORUM ? HdmiForum : Vendor;
        return s;
    case CtaTag::Speakers:
        s.kind = Speakers;
        return s;
    case CtaTag::Extended:
        s.code = extendedTag(d);
        switch (s.code) {
        case CtaExtendedTag::VideoCapability:
            s.kind = VideoCapability;
            break;
        case CtaExtendedTag::Colorimetry:
            s.kind = Colorimetry;
            break;
        case CtaExtendedTag::HdrStatic:
            s.kind = HdrStatic;
            break;
        case CtaExtendedTag::HdrDynamic:
            s.kind = HdrDynamic;
            break;
        case CtaExtendedTag::Ycbcr420Video:
            s.kind = Ycbcr420Video;
            break;
        case CtaExtendedTag::Ycbcr420Map:
            s.kind = Ycbcr420Map;
            break;
        case CtaExtendedTag::HdmiForumSink:
            s.kind = HdmiForum;
            break;
        default:
            s.kind = Extended;
            break;
        }
        return s;
    default:
        s.kind = Tag;
        s.code = tag(d);
        return s;
    }
}

bool CtaBlockSelector::matches(const QByteArray &d) const
{
    switch (kind) {
    case Tag:
        return tag(d) == code;
    case Extended:
        return extendedTag(d) == code;
    case Vendor:
        return tag(d) == CtaTag::Vendor && vendorOui(d) == oui;
    default:
        return of(d).kind == kind;
    }
}

bool CtaBlockSelector::fromName(const QString &name, CtaBlockSelector &selector)
{
    const QString lower = name.trimmed().toLower();
    const QString word = lower.section(QLatin1Char(':'), 0, 0);
    const QString argument = lower.section(QLatin1Char(':'), 1);
    for (const Named &n : kNames) {
        if (word != QLatin1String(n.name))
            continue;
        CtaBlockSelector s;
        s.kind = n.kind;
        switch (n.kind) {
        case Vendor: {
            QString digits = argument;
            digits.remove(QLatin1Char('-'));
            bool ok = false;
            s.oui = digits.toUInt(&ok, 16);
            if (!ok || digits.size() != 6)
                return false;
            break;
        }
        case Extended:
            if (!parseNumber(argument, 255, s.code))
                return false;
            break;
        case Tag:
            if (!parseNumber(argument, 7, s.code) || s.code == 0)
                return false;
            break;
        default:
            if (lower.contains(QLatin1Char(':')))
                return false;
            break;
        }
        selector = s;
        return true;
    }
    return false;
}

QString CtaBlockSelector::name() const
{
    const QString word = QLatin1String(kNames[kind].name);
    switch (kind) {
    case Vendor:
        return word + QStringLiteral(":%1").arg(oui, 6, 16, QLatin1Char('0'));
    case Extended:
    case Tag:
        return word + QStringLiteral(":%1").arg(code);
    default:
        return word;
    }
}

QStringList CtaBlockSelector::names()
{
    QStringList list;
    for (const Named &n : kNames) {
        const QString word = QLatin1String(n.name);
        list << (n.kind == Vendor                     ? word + QStringLiteral(":OUI")
                : n.kind == Extended || n.kind == Tag ? word + QStringLiteral(":N")
                                                      : word);
    }
    return list;
}

QString CtaBlockSelector::description() const
{
    const QString text = QLatin1String(kNames[kind].description);
    switch (kind) {
    case Vendor:
        return text + QStringLiteral(" with OUI %1").arg(oui, 6, 16, QLatin1Char('0'));
    case Extended:
    case Tag:
        return text + QStringLiteral(" %1").arg(code);
    default:
        return text;
    }
}

int CtaBlockSelector::rank() const
{
    // The kinds are declared in that order, but for the 4:2:0 blocks, which follow everything
    // whose VICs they refer to, and blocks known only by their tag, which go last.
    switch (kind) {
    case Ycbcr420Video:
    case Ycbcr420Map:
        return int(Extended) + 1;
    case Tag:
        return int(Extended) + 2;
    default:
        return int(kind);
    }
}
