// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidLayout.h"

namespace {

constexpr quint8 CTA_TAG = 0x02;
const char kHeader[8]
    = { 0, char(0xFF), char(0xFF), char(0xFF), char(0xFF), char(0xFF), char(0xFF), 0 };

quint8 at(const QByteArray &bytes, int i)
{
    return quint8(bytes.at(i));
}

// Takes a CTA block apart; false, with why, when its lengths do not add up.
bool parseCta(const QByteArray &b, CtaLayout &cta, QString &why)
{
    cta.revision = at(b, 1);
    cta.flags = at(b, 3);
    cta.checksum = at(b, 127);
    const int dtdStart = at(b, 2);
    if (cta.revision < 3) {
        why = QStringLiteral("its CTA-861 revision %1 has no data blocks").arg(cta.revision);
        return false;
    }
    if (dtdStart == 0) {
        cta.noOffset = true;
        cta.padding = b.mid(4, EdidLayout::CTA_SPACE - 4);
        return true;
    }
    if (dtdStart < 4 || dtdStart > EdidLayout::CTA_SPACE) {
        why = QStringLiteral("its detailed timings would start at byte %1").arg(dtdStart);
        return false;
    }
    int offset = 4;
    while (offset < dtdStart) {
        const int length = at(b, offset) & 0x1F;
        if (offset + 1 + length > dtdStart) {
            why = QStringLiteral("its data block at byte %1 runs into the detailed timings at %2")
                      .arg(offset)
                      .arg(dtdStart);
            return false;
        }
        cta.dataBlocks.append(b.mid(offset, 1 + length));
        offset += 1 + length;
    }
    // A timing with a zero pixel clock ends the list, as in the base block.
    while (offset + EdidLayout::TIMING_SIZE <= EdidLayout::CTA_SPACE
        && (at(b, offset) || at(b, offset + 1))) {
        cta.timings.append(b.mid(offset, EdidLayout::TIMING_SIZE));
        offset += EdidLayout::TIMING_SIZE;
    }
    cta.padding = b.mid(offset, EdidLayout::CTA_SPACE - offset);
    return true;
}

} // namespace

int CtaLayout::contentSize() const
{
    int size = 4;
    for (const QByteArray &d : dataBlocks)
        size += int(d.size());
    return size + int(timings.size()) * EdidLayout::TIMING_SIZE;
}

bool EdidLayout::parse(const QByteArray &table, EdidLayout &layout, QString *why)
{
    const auto fail = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    if (table.isEmpty() || table.size() % BLOCK_SIZE)
        return fail(QStringLiteral("an EDID table is a whole number of 128-byte blocks, not %1 "
                                   "bytes")
                        .arg(table.size()));
    if (!table.startsWith(QByteArray::fromRawData(kHeader, sizeof kHeader)))
        return fail(QStringLiteral("the table does not start with the EDID header"));

    layout.blocks.clear();
    for (int start = 0; start < table.size(); start += BLOCK_SIZE) {
        EdidLayoutBlock block;
        block.bytes = table.mid(start, BLOCK_SIZE);
        if (start == 0) {
            block.kind = EdidLayoutBlock::Base;
        } else if (at(block.bytes, 0) == CTA_TAG) {
            QString reason;
            if (parseCta(block.bytes, block.cta, reason)) {
                block.kind = EdidLayoutBlock::Cta;
            } else {
                block.cta = CtaLayout();
                block.whyNotCta = reason;
            }
        }
        layout.blocks.append(block);
    }
    return true;
}

bool EdidLayout::encodeCta(const CtaLayout &cta, QByteArray &block, QString *why)
{
    const int content = cta.contentSize();
    if (content > CTA_SPACE) {
        if (why)
            *why = QStringLiteral("its data blocks and detailed timings would need %1 bytes, and "
                                  "a CTA-861 block holds %2 in front of its checksum")
                       .arg(content)
                       .arg(CTA_SPACE);
        return false;
    }
    block.clear();
    block.reserve(BLOCK_SIZE);
    int dataEnd = 4;
    for (const QByteArray &d : cta.dataBlocks)
        dataEnd += int(d.size());
    const bool empty = cta.dataBlocks.isEmpty() && cta.timings.isEmpty();
    block.append(char(CTA_TAG));
    block.append(char(cta.revision));
    block.append(char(empty && cta.noOffset ? 0 : dataEnd));
    block.append(char(cta.flags));
    for (const QByteArray &d : cta.dataBlocks)
        block.append(d);
    for (const QByteArray &t : cta.timings)
        block.append(t);
    // The padding as found where it still fits; when the content shrank, more of what the
    // padding was made of (zeros in a sound block).
    const int room = CTA_SPACE - int(block.size());
    const QByteArray kept = cta.padding.left(room);
    const bool uniform
        = !cta.padding.isEmpty() && cta.padding.count(cta.padding.at(0)) == cta.padding.size();
    block.append(kept);
    block.append(QByteArray(room - int(kept.size()), uniform ? cta.padding.at(0) : '\0'));
    block.append(char(cta.checksum));
    return true;
}

QByteArray EdidLayout::encode(QString *why) const
{
    QByteArray table;
    table.reserve(int(blocks.size()) * BLOCK_SIZE);
    for (const EdidLayoutBlock &b : blocks) {
        if (b.kind != EdidLayoutBlock::Cta) {
            table.append(b.bytes);
            continue;
        }
        QByteArray bytes;
        if (!encodeCta(b.cta, bytes, why))
            return QByteArray();
        table.append(bytes);
    }
    return table;
}
