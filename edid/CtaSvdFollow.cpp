// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/CtaSvdFollow.h"

#include "edid/EdidEditContext.h"
#include "edid/HdmiBlockDecoder.h"

#include <algorithm>
#include <set>

namespace {

// The new place of bit `k` of a list that had oldToNew.size() descriptors. Bits past the end of
// the list (which describe nothing) keep their distance from its end.
int movedBit(int k, const QVector<int> &oldToNew, int newCount)
{
    const int oldCount = int(oldToNew.size());
    return k < oldCount ? oldToNew[k] : k - oldCount + newCount;
}

bool followMap(EdidEditContext &c, QByteArray &d, const QVector<int> &oldToNew, int newCount,
    const QVector<CtaSvdFollow::Added> &added, bool &remove)
{
    const QByteArray bits = d.mid(2);
    const bool allMarked = bits.isEmpty();
    const bool addsUnmarked = std::any_of(
        added.begin(), added.end(), [](const CtaSvdFollow::Added &a) { return !a.ycbcr420; });
    // An empty map marks every descriptor; it stays so unless one arrives that it must not mark.
    if (allMarked && !addsUnmarked) {
        remove = newCount == 0;
        return true;
    }
    std::set<int> marked;
    bool hadMarks = false;
    const int oldBits = allMarked ? int(oldToNew.size()) : int(bits.size()) * 8;
    for (int k = 0; k < oldBits; ++k) {
        if (!allMarked && !(quint8(bits.at(k / 8)) >> (k % 8) & 1))
            continue;
        hadMarks = true;
        const int n = movedBit(k, oldToNew, newCount);
        if (n >= 0)
            marked.insert(n);
    }
    for (const CtaSvdFollow::Added &a : added)
        if (a.ycbcr420)
            marked.insert(a.position);
    // A map that no longer marks anything says nothing: it goes with its last VIC.
    if (hadMarks && marked.empty()) {
        remove = true;
        return true;
    }
    int size = allMarked ? (newCount + 7) / 8 : int(bits.size());
    if (!marked.empty())
        size = std::max(size, *marked.rbegin() / 8 + 1);
    QByteArray out(size, '\0');
    for (int n : marked)
        out[n / 8] = char(quint8(out.at(n / 8)) | 1 << (n % 8));
    d = d.left(2) + out;
    return c.fixLength(d, QStringLiteral("YCbCr 4:2:0 capability map"));
}

// Where the HDMI block's video fields are, as offsets in the whole data block (header and OUI
// first), as the decoder finds them; false when the block has none or they run past its end.
using HdmiVideoFields = HdmiBlockDecoder::VideoLayout;
constexpr int VSDB_PAYLOAD = 4; // the header byte and the OUI

bool hdmiVideoFields(const QByteArray &d, HdmiVideoFields &f)
{
    if (d.size() <= VSDB_PAYLOAD)
        return false;
    f = HdmiBlockDecoder::videoLayout(
        reinterpret_cast<const quint8 *>(d.constData()) + VSDB_PAYLOAD,
        int(d.size()) - VSDB_PAYLOAD);
    if (f.flagsAt < 0)
        return false;
    f.flagsAt += VSDB_PAYLOAD;
    f.vicStart += VSDB_PAYLOAD;
    f.d3Start += VSDB_PAYLOAD;
    return f.vicStart <= d.size() && f.d3Start + f.d3Length <= d.size();
}

bool follow3d(EdidEditContext &c, QByteArray &d, const QVector<int> &oldToNew, int newCount)
{
    HdmiVideoFields f;
    if (!hdmiVideoFields(d, f))
        return true; // none, or not laid out soundly: nothing can be followed
    const int multi = quint8(d.at(f.flagsAt)) >> 5 & 3;
    int at = f.d3Start;
    const int end = f.d3Start + f.d3Length;
    if (multi == 1 || multi == 2)
        at += 2; // the 3D structures every listed format has
    const auto lost = [&c](int k) {
        return c.refuse(QStringLiteral("the HDMI block's 3D fields name the VIC at position %1, "
                                       "and they reach only the first 16 VICs")
                            .arg(k + 1));
    };
    if (multi == 2 && at + 2 <= end) {
        const quint16 mask = quint16(quint8(d.at(at)) << 8 | quint8(d.at(at + 1)));
        quint16 moved = 0;
        for (int k = 0; k < 16; ++k) {
            if (!(mask >> k & 1))
                continue;
            const int n = movedBit(k, oldToNew, newCount);
            if (n > 15)
                return lost(k);
            if (n >= 0)
                moved = quint16(moved | 1 << n);
        }
        d[at] = char(moved >> 8);
        d[at + 1] = char(moved);
        at += 2;
    }
    // Entries: the position of a VIC and its 3D structure, with a detail byte for structures
    // from 8 on.
    QByteArray entries;
    while (at < end) {
        const quint8 e = quint8(d.at(at));
        const int size = (e & 0x0F) >= 8 ? 2 : 1;
        if (at + size > end) {
            entries.append(d.mid(at, end - at));
            break;
        }
        const int n = movedBit(e >> 4, oldToNew, newCount);
        if (n > 15)
            return lost(e >> 4);
        if (n >= 0) {
            entries.append(char(n << 4 | (e & 0x0F)));
            entries.append(d.mid(at + 1, size - 1));
        }
        at += size;
    }
    const int start = f.d3Start + (multi == 1 ? 2 : multi == 2 ? 4 : 0);
    const int newLength = f.d3Length - (end - start) + int(entries.size());
    d.replace(start, end - start, entries);
    d[f.flagsAt + 1] = char((quint8(d.at(f.flagsAt + 1)) & 0xE0) | (newLength & 0x1F));
    return c.fixLength(d, QStringLiteral("HDMI vendor-specific block"));
}

} // namespace

namespace CtaSvdFollow {

bool follow(EdidEditContext &c, CtaLayout &cta, const QVector<int> &oldToNew, int newCount,
    const QVector<Added> &added)
{
    const CtaBlockSelector map(CtaBlockSelector::Ycbcr420Map);
    const CtaBlockSelector hdmi(CtaBlockSelector::Hdmi);
    for (int i = 0; i < cta.dataBlocks.size(); ++i) {
        QByteArray &d = cta.dataBlocks[i];
        if (map.matches(d)) {
            bool remove = false;
            if (!followMap(c, d, oldToNew, newCount, added, remove))
                return false;
            if (remove)
                cta.dataBlocks.removeAt(i--);
        } else if (hdmi.matches(d) && !follow3d(c, d, oldToNew, newCount)) {
            return false;
        }
    }
    return true;
}

bool removeHdmiVic(QByteArray &d, int hdmiVic)
{
    HdmiVideoFields f;
    if (hdmiVic == 0 || !hdmiVideoFields(d, f))
        return false;
    for (int i = f.vicStart; i < f.vicStart + f.vicCount; ++i) {
        if (quint8(d.at(i)) != hdmiVic)
            continue;
        d.remove(i, 1);
        d[f.flagsAt + 1] = char(((f.vicCount - 1) << 5) | f.d3Length);
        d[0] = char((quint8(d.at(0)) & 0xE0) | ((d.size() - 1) & 0x1F));
        return true;
    }
    return false;
}

} // namespace CtaSvdFollow
