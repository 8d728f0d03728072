// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidEditContext.h"

#include "edid/CtaTags.h"

bool EdidEditContext::refuse(const QString &why)
{
    refusal = why;
    return false;
}

QVector<int> EdidEditContext::ctaBlocks() const
{
    QVector<int> found;
    for (int i = 0; i < layout.blocks.size(); ++i)
        if (layout.blocks[i].kind == EdidLayoutBlock::Cta)
            found.append(i);
    return found;
}

bool EdidEditContext::needCta()
{
    if (!ctaBlocks().isEmpty())
        return true;
    // Say why the CTA blocks there are cannot be edited, if there are any.
    for (int i = 1; i < layout.blocks.size(); ++i)
        if (!layout.blocks[i].whyNotCta.isEmpty())
            return refuse(QStringLiteral("block %1 cannot be edited: %2")
                              .arg(i)
                              .arg(layout.blocks[i].whyNotCta));
    return refuse(QStringLiteral("the table has no CTA-861 extension block"));
}

int EdidEditContext::ctaForNewBlock()
{
    return needCta() ? ctaBlocks().first() : -1;
}

int EdidEditContext::find(const CtaLayout &cta, const CtaBlockSelector &selector)
{
    for (int i = 0; i < cta.dataBlocks.size(); ++i)
        if (selector.matches(cta.dataBlocks[i]))
            return i;
    return -1;
}

int EdidEditContext::insert(CtaLayout &cta, const QByteArray &dataBlock)
{
    const int rank = CtaBlockSelector::of(dataBlock).rank();
    // After the last block that comes before it or with it; the HDMI Forum override block
    // (extended tag 0x78) stays first, where it must be.
    int at = 0;
    for (int i = 0; i < cta.dataBlocks.size(); ++i) {
        const QByteArray &d = cta.dataBlocks[i];
        if (CtaBlockSelector::of(d).rank() <= rank
            || CtaBlockSelector::extendedTag(d) == CtaExtendedTag::HdmiForumOverride)
            at = i + 1;
    }
    cta.dataBlocks.insert(at, dataBlock);
    return at;
}

QByteArray EdidEditContext::makeBlock(int tag, const QByteArray &payload, int extendedTag)
{
    QByteArray d;
    d.append(char(0));
    if (extendedTag >= 0)
        d.append(char(extendedTag));
    d.append(payload);
    d[0] = char(tag << 5 | ((d.size() - 1) & 0x1F));
    return d;
}

bool EdidEditContext::fixLength(QByteArray &dataBlock, const QString &what)
{
    const int length = int(dataBlock.size()) - 1;
    if (length > EdidLayout::MAX_PAYLOAD)
        return refuse(QStringLiteral("the %1 would need %2 bytes, and a data block holds at "
                                     "most %3")
                          .arg(what)
                          .arg(length)
                          .arg(EdidLayout::MAX_PAYLOAD));
    dataBlock[0] = char((quint8(dataBlock.at(0)) & 0xE0) | length);
    return true;
}

QByteArray EdidEditContext::bytes(std::initializer_list<quint32> values)
{
    QByteArray b;
    for (quint32 v : values)
        b.append(char(v));
    return b;
}
