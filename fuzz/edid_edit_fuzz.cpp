// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// clang-format off
// FUZZ_SOURCES: edid/EdidLayout.cpp edid/EdidEditor.cpp edid/EdidEditContext.cpp edid/EdidBaseEdits.cpp edid/CtaVideoEdits.cpp edid/CtaSvdFollow.cpp edid/CtaAudioEdits.cpp edid/CtaFeatureEdits.cpp edid/CtaBlockSelector.cpp edid/EdidEditWords.cpp edid/EdidEditParser.cpp edid/EdidChecksum.cpp edid/CtaVideoFormats.cpp edid/CtaBits.cpp edid/CtaDecoder.cpp edid/HdmiBlockDecoder.cpp edid/EdidDecoder.cpp edid/DisplayIdDecoder.cpp
// clang-format on
// Random tables and random sequences of edits. Whatever the bytes, an edit either is refused and
// leaves the table as it was, or gives a table of the same size whose changed blocks have good
// checksums, whose other blocks are untouched, and that the layout gives back byte for byte.
#include "edid/EdidChecksum.h"
#include "edid/EdidEditParser.h"
#include "edid/EdidEditor.h"

#include <cstdlib>

namespace {

constexpr int EDIT_SIZE = 16;

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// The input's first byte shapes the table, so most inputs reach the edits rather than the
// header check: 1 to 4 blocks, the EDID header, and extension blocks that carry the CTA tag and
// revision 3 and data blocks whose lengths add up.
QByteArray table(const quint8 *data, size_t size, size_t &used)
{
    const quint8 shape = size ? data[0] : 0;
    const int blocks = 1 + (shape & 3);
    QByteArray t(blocks * 128, '\0');
    const size_t n = qMin(size > 0 ? size - 1 : 0, size_t(t.size()));
    if (n)
        std::copy(data + 1, data + 1 + n, t.begin());
    used = 1 + n;
    const char header[8]
        = { 0, char(0xFF), char(0xFF), char(0xFF), char(0xFF), char(0xFF), char(0xFF), 0 };
    std::copy(header, header + 8, t.begin());
    for (int b = 1; b < blocks && (shape & 4); ++b) {
        char *block = t.data() + b * 128;
        block[0] = 0x02;
        block[1] = 0x03;
        if (shape & 8) {
            // Whole data blocks up to some point, the timings from there.
            const int limit = 4 + quint8(block[2]) % 100;
            int offset = 4;
            while (offset < limit && offset + 1 + (quint8(block[offset]) & 0x1F) <= limit)
                offset += 1 + (quint8(block[offset]) & 0x1F);
            block[2] = char(offset);
        }
    }
    for (int b = 0; b < blocks && (shape & 16); ++b)
        t[b * 128 + 127]
            = char(edidChecksum(reinterpret_cast<const quint8 *>(t.constData()) + b * 128));
    return t;
}

EdidEdit edit(const quint8 *r)
{
    EdidEdit e;
    e.kind = EdidEdit::Kind(r[0] % (EdidEdit::ReplaceTiming + 1));
    e.vic = r[1];
    e.position = r[2] % 40;
    e.flag = r[3] & 1;
    e.flag2 = r[3] & 2;
    e.number = quint32(r[4]) | quint32(r[5]) << 8 | quint32(r[6]) << 16 | quint32(r[7]) << 24;
    if (r[3] & 4)
        e.number &= 0xFF; // small numbers: weeks, formats, speaker and EOTF bits
    e.mask = quint32(r[8]) | quint32(r[9]) << 8;
    e.sad = QByteArray(reinterpret_cast<const char *>(r + 10), 3);
    static const char alphabet[] = "ABCXYZ az09-_\x7f\x01";
    for (int i = 0; i < r[13] % 16; ++i)
        e.text += QLatin1Char(alphabet[r[(13 + i) % EDIT_SIZE] % (sizeof alphabet - 1)]);
    e.maxCdm2 = r[3] & 8 ? r[4] * 60.0 : -1;
    e.averageCdm2 = r[3] & 16 ? r[5] * 40.0 : -1;
    e.minCdm2 = r[3] & 32 ? r[6] / 100.0 : -1;
    e.block.kind = CtaBlockSelector::Kind(r[8] % (CtaBlockSelector::Tag + 1));
    e.block.code = r[9];
    e.block.oui = e.number & 0xFFFFFF;
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    size_t used = 0;
    QByteArray t = table(data, size, used);
    for (size_t at = used; at + EDIT_SIZE <= size; at += EDIT_SIZE) {
        const EdidEdit e = edit(data + at);
        EdidEditParser::optionText(e);
        const QByteArray before = t;
        const EdidEditResult r = EdidEditor::apply(t, e);
        check(t.size() == before.size());
        if (!r.ok) {
            check(t == before && !r.message.isEmpty() && r.touchedBlocks.isEmpty());
            continue;
        }
        for (int b = 0; b < t.size() / 128; ++b) {
            const QByteArray block = t.mid(b * 128, 128);
            if (r.touchedBlocks.contains(b))
                check(quint8(block.at(127))
                    == edidChecksum(reinterpret_cast<const quint8 *>(block.constData())));
            else
                check(block == before.mid(b * 128, 128));
        }
        QByteArray again;
        check(EdidEditor::roundTrip(t, again, nullptr) && again == t);
    }
    return 0;
}
