// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/CtaVideoEdits.h"

#include "edid/CtaSvdFollow.h"
#include "edid/CtaTags.h"
#include "edid/CtaVideoFormats.h"
#include "edid/EdidDecoded.h"
#include "edid/EdidEditContext.h"

namespace {

// The VIC of a short video descriptor's code; 0 for a reserved code.
int vicOfCode(quint8 code)
{
    CtaShortVideo svd;
    return CtaShortVideo::fromCode(code, svd) ? svd.vic : 0;
}

bool isNative(quint8 code)
{
    CtaShortVideo svd;
    return CtaShortVideo::fromCode(code, svd) && svd.native;
}

QString vicName(int vic)
{
    return QStringLiteral("VIC %1 (%2)").arg(vic).arg(CtaVideoFormats::name(vic));
}

// The short video descriptors of one CTA block as one list, in the order the 4:2:0 map and the
// HDMI 3D fields count them: every video data block's, one after the other.
struct Svds
{
    QVector<int> blocks; // the data block index of each video data block
    QVector<int> sizes; // how many descriptors each holds
    QByteArray codes;
    QVector<int> ids; // the position each descriptor had when read; -1 for a new one

    int count() const { return int(codes.size()); }
    int find(int vic) const
    {
        for (int i = 0; i < codes.size(); ++i)
            if (vicOfCode(quint8(codes.at(i))) == vic)
                return i;
        return -1;
    }
    void removeAt(int i)
    {
        int v = 0;
        for (int end = sizes[0]; i >= end; end += sizes[++v]) { }
        --sizes[v];
        codes.remove(i, 1);
        ids.removeAt(i);
    }
    // Into the video data block that holds position `i`, or the last one at the end.
    void insertAt(int i, quint8 code)
    {
        int v = 0;
        for (int end = sizes[0]; i >= end && v + 1 < sizes.size(); end += sizes[++v]) { }
        ++sizes[v];
        codes.insert(i, char(code));
        ids.insert(i, -1);
    }
};

Svds read(const CtaLayout &cta)
{
    Svds s;
    for (int i = 0; i < cta.dataBlocks.size(); ++i) {
        const QByteArray &d = cta.dataBlocks[i];
        if (CtaBlockSelector::tag(d) != CtaTag::Video)
            continue;
        s.blocks.append(i);
        s.sizes.append(int(d.size()) - 1);
        s.codes.append(d.mid(1));
    }
    for (int i = 0; i < s.codes.size(); ++i)
        s.ids.append(i);
    return s;
}

// Writes the lists back (a video data block left empty goes) and has the blocks that count
// descriptors by position follow.
bool write(EdidEditContext &c, CtaLayout &cta, const Svds &s,
    const QVector<CtaSvdFollow::Added> &added = {})
{
    QVector<int> oldToNew(read(cta).count(), -1);
    for (int i = 0; i < s.ids.size(); ++i)
        if (s.ids[i] >= 0)
            oldToNew[s.ids[i]] = i;
    for (int v = int(s.blocks.size()) - 1; v >= 0; --v) {
        int start = 0;
        for (int u = 0; u < v; ++u)
            start += s.sizes[u];
        QByteArray &d = cta.dataBlocks[s.blocks[v]];
        d = d.left(1) + s.codes.mid(start, s.sizes[v]);
        if (!c.fixLength(d, QStringLiteral("video data block")))
            return false;
        if (s.sizes[v] == 0)
            cta.dataBlocks.removeAt(s.blocks[v]);
    }
    return CtaSvdFollow::follow(c, cta, oldToNew, s.count(), added);
}

bool listedAsOnly(const CtaLayout &cta, int vic)
{
    const CtaBlockSelector only(CtaBlockSelector::Ycbcr420Video);
    for (const QByteArray &d : cta.dataBlocks)
        for (int k = 2; only.matches(d) && k < d.size(); ++k)
            if (vicOfCode(quint8(d.at(k))) == vic)
                return true;
    return false;
}

bool removeFromOnlyList(CtaLayout &cta, int vic)
{
    bool found = false;
    const CtaBlockSelector only(CtaBlockSelector::Ycbcr420Video);
    for (int i = 0; i < cta.dataBlocks.size(); ++i) {
        QByteArray &d = cta.dataBlocks[i];
        if (!only.matches(d))
            continue;
        for (int k = int(d.size()) - 1; k >= 2; --k) {
            if (vicOfCode(quint8(d.at(k))) == vic) {
                d.remove(k, 1);
                found = true;
            }
        }
        if (d.size() <= 2)
            cta.dataBlocks.removeAt(i--);
        else
            d[0] = char(0xE0 | (d.size() - 1));
    }
    return found;
}

bool removeHdmiVic(CtaLayout &cta, int vic)
{
    bool found = false;
    const CtaBlockSelector hdmi(CtaBlockSelector::Hdmi);
    for (QByteArray &d : cta.dataBlocks)
        if (hdmi.matches(d))
            found = CtaSvdFollow::removeHdmiVic(d, CtaVideoFormats::hdmiVicOf(vic)) || found;
    return found;
}

bool removeVic(EdidEditContext &c, int vic)
{
    if (!c.needCta())
        return false;
    bool found = false;
    for (int block : c.ctaBlocks()) {
        CtaLayout &cta = c.cta(block);
        Svds s = read(cta);
        bool changed = false;
        for (int i = s.count() - 1; i >= 0; --i) {
            if (vicOfCode(quint8(s.codes.at(i))) == vic) {
                s.removeAt(i);
                changed = true;
            }
        }
        if (changed && !write(c, cta, s))
            return false;
        const bool onlyList = removeFromOnlyList(cta, vic);
        const bool hdmiVic = removeHdmiVic(cta, vic);
        found = found || changed || onlyList || hdmiVic;
    }
    if (!found)
        return c.refuse(QStringLiteral("%1 is not in the table").arg(vicName(vic)));
    return true;
}

// Native is one format: marking one takes the mark off the others.
void clearNative(EdidEditContext &c)
{
    for (int block : c.ctaBlocks()) {
        for (QByteArray &d : c.cta(block).dataBlocks) {
            if (CtaBlockSelector::tag(d) != CtaTag::Video)
                continue;
            for (int i = 1; i < d.size(); ++i)
                if (isNative(quint8(d.at(i))))
                    d[i] = char(quint8(d.at(i)) & 0x7F);
        }
    }
}

bool addVic(EdidEditContext &c, const EdidEdit &e)
{
    const int vic = e.vic;
    if (!CtaVideoFormats::find(vic))
        return c.refuse(QStringLiteral("VIC %1 names no video format").arg(vic));
    if (e.flag && (vic < 1 || vic > 64))
        return c.refuse(QStringLiteral("only VICs 1 to 64 can be marked native, not %1").arg(vic));
    if (!c.needCta())
        return false;
    int target = -1;
    for (int block : c.ctaBlocks()) {
        const CtaLayout &cta = c.cta(block);
        if (read(cta).find(vic) >= 0)
            return c.refuse(QStringLiteral("%1 is already listed").arg(vicName(vic)));
        if (listedAsOnly(cta, vic))
            return c.refuse(QStringLiteral("%1 is listed as a YCbCr 4:2:0-only format; remove it "
                                           "there first")
                                .arg(vicName(vic)));
        if (target < 0 && !read(cta).blocks.isEmpty())
            target = block;
    }
    if (target < 0) {
        target = c.ctaForNewBlock();
        EdidEditContext::insert(
            c.cta(target), EdidEditContext::makeBlock(CtaTag::Video, QByteArray()));
    }
    CtaLayout &cta = c.cta(target);
    Svds s = read(cta);
    const int at = e.position == 0 ? s.count() : e.position - 1;
    if (at < 0 || at > s.count())
        return c.refuse(QStringLiteral("position %1 is not among the %2 VICs of the table")
                            .arg(e.position)
                            .arg(s.count()));
    if (e.flag)
        clearNative(c);
    s = read(cta);
    s.insertAt(at, quint8(e.flag ? vic | 0x80 : vic));
    if (!write(c, cta, s, { { at, e.flag2 } }))
        return false;
    // No map yet: one that marks the new format alone.
    if (e.flag2
        && EdidEditContext::find(cta, CtaBlockSelector(CtaBlockSelector::Ycbcr420Map)) < 0) {
        QByteArray bits(at / 8 + 1, '\0');
        bits[at / 8] = char(1 << (at % 8));
        EdidEditContext::insert(
            cta, EdidEditContext::makeBlock(CtaTag::Extended, bits, CtaExtendedTag::Ycbcr420Map));
    }
    return true;
}

// The first CTA block that lists `vic` in a video data block, or -1 with the refusal set.
int blockListing(EdidEditContext &c, int vic)
{
    if (!c.needCta())
        return -1;
    for (int block : c.ctaBlocks())
        if (read(c.cta(block)).find(vic) >= 0)
            return block;
    c.refuse(QStringLiteral("%1 is not in the video data block").arg(vicName(vic)));
    return -1;
}

bool moveVic(EdidEditContext &c, int vic, int position)
{
    const int block = blockListing(c, vic);
    if (block < 0)
        return false;
    CtaLayout &cta = c.cta(block);
    Svds s = read(cta);
    if (position < 1 || position > s.count())
        return c.refuse(QStringLiteral("position %1 is not among the %2 VICs of the table")
                            .arg(position)
                            .arg(s.count()));
    // Each video data block keeps its size; the descriptor moves through the one list.
    const int from = s.find(vic);
    const char code = s.codes.at(from);
    const int id = s.ids.at(from);
    s.codes.remove(from, 1);
    s.ids.removeAt(from);
    s.codes.insert(position - 1, code);
    s.ids.insert(position - 1, id);
    return write(c, cta, s);
}

bool setNative(EdidEditContext &c, int vic, bool on)
{
    const int block = blockListing(c, vic);
    if (block < 0)
        return false;
    if (on && vic > 64)
        return c.refuse(QStringLiteral("only VICs 1 to 64 can be marked native, not %1").arg(vic));
    if (on)
        clearNative(c);
    for (int b : c.ctaBlocks()) {
        for (QByteArray &d : c.cta(b).dataBlocks) {
            if (CtaBlockSelector::tag(d) != CtaTag::Video)
                continue;
            for (int i = 1; i < d.size(); ++i)
                if (vicOfCode(quint8(d.at(i))) == vic)
                    d[i] = char(on ? vic | 0x80 : vic);
        }
    }
    return true;
}

} // namespace

bool CtaVideoEdits::apply(EdidEditContext &c, const EdidEdit &e)
{
    switch (e.kind) {
    case EdidEdit::RemoveVic:
        return removeVic(c, e.vic);
    case EdidEdit::AddVic:
        return addVic(c, e);
    case EdidEdit::MoveVic:
        return moveVic(c, e.vic, e.position);
    case EdidEdit::SetNative:
        return setNative(c, e.vic, e.flag);
    default:
        return c.refuse(QStringLiteral("not an edit of the video data block"));
    }
}

bool CtaVideoEdits::removeAll(EdidEditContext &c)
{
    bool found = false;
    for (int block : c.ctaBlocks()) {
        CtaLayout &cta = c.cta(block);
        Svds s = read(cta);
        if (s.blocks.isEmpty())
            continue;
        found = true;
        for (int i = s.count() - 1; i >= 0; --i) {
            removeHdmiVic(cta, vicOfCode(quint8(s.codes.at(i))));
            s.removeAt(i);
        }
        if (!write(c, cta, s))
            return false;
    }
    return found;
}
