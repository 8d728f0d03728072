// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/CtaFeatureEdits.h"

#include "edid/CtaTags.h"
#include "edid/CtaVideoEdits.h"
#include "edid/EdidDecoded.h"
#include "edid/EdidEditContext.h"
#include "edid/EdidEditWords.h"

#include <cmath>

namespace {

constexpr quint8 STATIC_METADATA_TYPE1 = 0x01;
constexpr int HDMI_1X_MAX_MHZ = 340;
constexpr int HDMI_TMDS_MAX_MHZ = 600;

// The first data block of that kind in any CTA block, or nullptr.
QByteArray *firstBlock(EdidEditContext &c, CtaBlockSelector::Kind kind)
{
    for (int block : c.ctaBlocks()) {
        CtaLayout &cta = c.cta(block);
        const int i = EdidEditContext::find(cta, CtaBlockSelector(kind));
        if (i >= 0)
            return &cta.dataBlocks[i];
    }
    return nullptr;
}

// The first data block of that kind, made with `payload` (after its extended tag) when the table
// has none. nullptr, with the refusal set, when there is no CTA block to put it in.
QByteArray *blockOrNew(
    EdidEditContext &c, CtaBlockSelector::Kind kind, int extendedTag, const QByteArray &payload)
{
    if (QByteArray *d = firstBlock(c, kind))
        return d;
    const int target = c.ctaForNewBlock();
    if (target < 0)
        return nullptr;
    CtaLayout &cta = c.cta(target);
    return &cta.dataBlocks[EdidEditContext::insert(
        cta, EdidEditContext::makeBlock(CtaTag::Extended, payload, extendedTag))];
}

bool setEotfs(EdidEditContext &c, quint32 bits)
{
    if (bits == 0 || bits >= 1u << EdidEditWords::EOTF_BITS)
        return c.refuse(QStringLiteral("an HDR static metadata block names one or more of the "
                                       "EOTFs %1")
                            .arg(EdidEditWords::eotfWords().join(QStringLiteral(", "))));
    QByteArray *d = blockOrNew(c, CtaBlockSelector::HdrStatic, CtaExtendedTag::HdrStatic,
        EdidEditContext::bytes({ bits, STATIC_METADATA_TYPE1 }));
    if (!d)
        return false;
    if (d->size() < 4)
        *d = d->left(2) + EdidEditContext::bytes({ bits, STATIC_METADATA_TYPE1 });
    (*d)[2] = char(bits);
    return c.fixLength(*d, QStringLiteral("HDR static metadata block"));
}

// Maximum and average luminance: 50 * 2^(code / 32) cd/m2.
bool luminanceCode(EdidEditContext &c, double cdm2, const QString &what, quint8 &code)
{
    const double exact = 32.0 * std::log2(cdm2 / 50.0);
    if (!(cdm2 > 0) || !(exact > -0.5 && exact < 255.5))
        return c.refuse(
            QStringLiteral("the %1 luminance is 50 to 12525 cd/m2, not %2").arg(what).arg(cdm2));
    code = quint8(std::lround(exact));
    return true;
}

bool setLuminance(EdidEditContext &c, const EdidEdit &e)
{
    if (!c.needCta())
        return false;
    QByteArray *found = firstBlock(c, CtaBlockSelector::HdrStatic);
    if (!found || found->size() < 4)
        return c.refuse(QStringLiteral("the table has no HDR static metadata block; give its "
                                       "EOTFs first"));
    QByteArray d = *found;
    // The three luminances follow the EOTFs and the descriptor types in this order, and each
    // may only be given when those before it are.
    const bool setMax = e.maxCdm2 >= 0, setAverage = e.averageCdm2 >= 0, setMin = e.minCdm2 >= 0;
    if (!setMax && !setAverage && !setMin)
        return c.refuse(QStringLiteral("no luminance given"));
    quint8 code = 0;
    if (setMax) {
        if (!luminanceCode(c, e.maxCdm2, QStringLiteral("maximum"), code))
            return false;
        // The minimum is given as a fraction of the maximum: unless it is given too, it keeps
        // its value in cd/m2 under the new maximum.
        if (!setMin && d.size() >= 7) {
            const double minimum = CtaHdrStatic::minimumCdm2(
                CtaHdrStatic::luminanceCdm2(quint8(d.at(4))), quint8(d.at(6)));
            const double exact
                = 255.0 * std::sqrt(minimum * 100.0 / CtaHdrStatic::luminanceCdm2(code));
            if (!(exact < 255.5))
                return c.refuse(QStringLiteral("the minimum luminance of %1 cd/m2 is above a "
                                               "hundredth of the new maximum; give it anew")
                                    .arg(minimum, 0, 'f', 3));
            d[6] = char(std::lround(exact));
        }
        d = d.left(4) + char(code) + d.mid(5);
    }
    if (setAverage) {
        if (d.size() < 5)
            return c.refuse(QStringLiteral("the block gives no maximum luminance; give it with "
                                           "the average"));
        if (!luminanceCode(c, e.averageCdm2, QStringLiteral("frame-average"), code))
            return false;
        d = d.left(5) + char(code) + d.mid(6);
    }
    if (setMin) {
        if (d.size() < 6)
            return c.refuse(QStringLiteral("the block gives no maximum and average luminance; "
                                           "give them with the minimum"));
        // Minimum: maximum * (code / 255)^2 / 100.
        const double maximum = CtaHdrStatic::luminanceCdm2(quint8(d.at(4)));
        const double exact = 255.0 * std::sqrt(e.minCdm2 * 100.0 / maximum);
        if (!(exact < 255.5))
            return c.refuse(QStringLiteral("the minimum luminance is 0 to %1 cd/m2 (a hundredth "
                                           "of the maximum), not %2")
                                .arg(maximum / 100.0, 0, 'f', 3)
                                .arg(e.minCdm2));
        d = d.left(6) + char(std::lround(exact)) + d.mid(7);
    }
    if (!c.fixLength(d, QStringLiteral("HDR static metadata block")))
        return false;
    *found = d;
    return true;
}

bool setColorimetry(EdidEditContext &c, quint32 bits, quint32 mask)
{
    if (mask == 0 || (mask & ~EdidEditWords::COLORIMETRY_BITS))
        return c.refuse(QStringLiteral("the colorimetry block names %1")
                            .arg(EdidEditWords::colorimetryWords().join(QStringLiteral(", "))));
    QByteArray *d = blockOrNew(
        c, CtaBlockSelector::Colorimetry, CtaExtendedTag::Colorimetry, QByteArray(2, '\0'));
    if (!d)
        return false;
    while (d->size() < 4)
        d->append('\0');
    const quint32 old = quint32(quint8(d->at(2))) | quint32(quint8(d->at(3))) << 8;
    const quint32 value = (old & ~mask) | (bits & mask);
    (*d)[2] = char(value);
    (*d)[3] = char(value >> 8);
    return c.fixLength(*d, QStringLiteral("colorimetry block"));
}

bool setHeaderFlag(EdidEditContext &c, quint8 bit, bool on)
{
    if (!c.needCta())
        return false;
    for (int block : c.ctaBlocks()) {
        quint8 &flags = c.cta(block).flags;
        flags = on ? quint8(flags | bit) : quint8(flags & ~bit);
    }
    return true;
}

bool setPhysicalAddress(EdidEditContext &c, quint32 address)
{
    // a.b.c.d: once a digit is 0, the ones after it are too (f.f.f.f: no address).
    bool zeroSeen = false, valid = address <= 0xFFFF;
    for (int shift = 12; shift >= 0 && address != 0xFFFF; shift -= 4) {
        const bool zero = (address >> shift & 0xF) == 0;
        valid = valid && !(zeroSeen && !zero);
        zeroSeen = zeroSeen || zero;
    }
    if (!valid)
        return c.refuse(QStringLiteral("%1.%2.%3.%4 is not a physical address: after a 0 every "
                                       "digit is 0")
                            .arg(address >> 12 & 0xF, 0, 16)
                            .arg(address >> 8 & 0xF, 0, 16)
                            .arg(address >> 4 & 0xF, 0, 16)
                            .arg(address & 0xF, 0, 16));
    if (!c.needCta())
        return false;
    QByteArray *d = firstBlock(c, CtaBlockSelector::Hdmi);
    if (!d || d->size() < 6)
        return c.refuse(QStringLiteral("the table has no HDMI vendor-specific block, which holds "
                                       "the physical address"));
    (*d)[4] = char(address >> 8);
    (*d)[5] = char(address);
    return true;
}

bool limitTmds(EdidEditContext &c, quint32 mhz)
{
    if (mhz < 25 || mhz > quint32(HDMI_TMDS_MAX_MHZ))
        return c.refuse(
            QStringLiteral("a TMDS rate is 25 to %1 MHz, not %2").arg(HDMI_TMDS_MAX_MHZ).arg(mhz));
    if (!c.needCta())
        return false;
    const int code = int(mhz / 5);
    QByteArray *hdmi = firstBlock(c, CtaBlockSelector::Hdmi);
    QByteArray *forum = firstBlock(c, CtaBlockSelector::HdmiForum);
    if (!hdmi && !forum)
        return c.refuse(QStringLiteral("the table has no HDMI block that gives a TMDS rate"));
    // The HDMI block gives the clock up to 340 MHz; 0 or no byte at all means "not said", which
    // a limit below 340 MHz must say.
    if (hdmi && hdmi->size() >= 6) {
        const int old = hdmi->size() >= 8 ? quint8(hdmi->at(7)) : 0;
        if ((old == 0 && mhz < quint32(HDMI_1X_MAX_MHZ)) || old > code) {
            while (hdmi->size() < 8)
                hdmi->append('\0');
            (*hdmi)[7] = char(code);
            if (!c.fixLength(*hdmi, QStringLiteral("HDMI vendor-specific block")))
                return false;
        }
    }
    // The HDMI Forum block gives the character rate above 340 MHz (0: not above) at the same
    // place in both its forms, and the fastest FRL link; a link limited to TMDS has no FRL.
    if (forum && forum->size() >= 6) {
        const int old = quint8(forum->at(5));
        (*forum)[5] = char(mhz <= quint32(HDMI_1X_MAX_MHZ) ? 0 : qMin(old, code));
        if (forum->size() >= 8)
            (*forum)[7] = char(quint8(forum->at(7)) & 0x0F);
    }
    return true;
}

bool removeBlock(EdidEditContext &c, const CtaBlockSelector &s)
{
    if (!c.needCta())
        return false;
    if (s.kind == CtaBlockSelector::Video) {
        if (!CtaVideoEdits::removeAll(c))
            return c.refuse(QStringLiteral("the table has no %1").arg(s.description()));
        return true;
    }
    bool found = false;
    for (int block : c.ctaBlocks()) {
        QVector<QByteArray> &blocks = c.cta(block).dataBlocks;
        for (int i = int(blocks.size()) - 1; i >= 0; --i) {
            if (s.matches(blocks[i])) {
                blocks.removeAt(i);
                found = true;
            }
        }
    }
    if (!found)
        return c.refuse(QStringLiteral("the table has no %1").arg(s.description()));
    return true;
}

} // namespace

bool CtaFeatureEdits::apply(EdidEditContext &c, const EdidEdit &e)
{
    switch (e.kind) {
    case EdidEdit::HdrEotfs:
        return setEotfs(c, e.number);
    case EdidEdit::HdrLuminance:
        return setLuminance(c, e);
    case EdidEdit::Colorimetry:
        return setColorimetry(c, e.number, e.mask);
    case EdidEdit::Ycbcr444:
        return setHeaderFlag(c, 0x20, e.flag);
    case EdidEdit::Ycbcr422:
        return setHeaderFlag(c, 0x10, e.flag);
    case EdidEdit::PhysicalAddress:
        return setPhysicalAddress(c, e.number);
    case EdidEdit::MaxTmds:
        return limitTmds(c, e.number);
    case EdidEdit::RemoveBlock:
        return removeBlock(c, e.block);
    default:
        return c.refuse(QStringLiteral("not an edit of a CTA-861 block"));
    }
}
