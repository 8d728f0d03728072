// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/CtaBlockSelector.h"

namespace {

constexpr quint32 OUI_HDMI = 0x000C03;
constexpr quint32 OUI_HDMI_FORUM = 0xC45DD8;

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
    return tag(d) == 7 && d.size() >= 2 ? quint8(d.at(1)) : -1;
}

quint32 CtaBlockSelector::vendorOui(const QByteArray &d)
{
    if (tag(d) != 3 || d.size() < 4)
        return 0;
    return quint32(quint8(d.at(1))) | quint32(quint8(d.at(2))) << 8
        | quint32(quint8(d.at(3))) << 16;
}

CtaBlockSelector CtaBlockSelector::of(const QByteArray &d)
{
    CtaBlockSelector s;
    switch (tag(d)) {
    case 1:
        s.kind = Audio;
        return s;
    case 2:
        s.kind = Video;
        return s;
    case 3:
        s.oui = vendorOui(d);
        s.kind = s.oui == OUI_HDMI ? Hdmi : s.oui == OUI_HDMI_FORUM ? HdmiForum : Vendor;
        return s;
    case 4:
        s.kind = Speakers;
        return s;
    case 7:
        s.code = extendedTag(d);
        switch (s.code) {
        case 0:
            s.kind = VideoCapability;
            break;
        case 5:
            s.kind = Colorimetry;
            break;
        case 6:
            s.kind = HdrStatic;
            break;
        case 7:
            s.kind = HdrDynamic;
            break;
        case 14:
            s.kind = Ycbcr420Video;
            break;
        case 15:
            s.kind = Ycbcr420Map;
            break;
        case 0x79:
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
        return tag(d) == 3 && vendorOui(d) == oui;
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
