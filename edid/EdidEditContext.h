// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/CtaBlockSelector.h"
#include "edid/EdidLayout.h"

#include <QString>
#include <QVector>

#include <initializer_list>

// What one edit works on: the table laid out, and the refusal when the edit cannot be made. The
// edit changes the layout freely; EdidEditor puts it back together only when the edit succeeded,
// so a refused edit never leaves a trace.
class EdidEditContext
{
public:
    EdidLayout layout;
    QString refusal;

    // Sets the refusal; returns false so an operation can `return c.refuse(...)`.
    bool refuse(const QString &why);

    // The 128 bytes of the base block, edited in place.
    QByteArray &base() { return layout.blocks[0].bytes; }

    // The blocks laid out as CTA-861 extensions, in order.
    QVector<int> ctaBlocks() const;
    CtaLayout &cta(int block) { return layout.blocks[block].cta; }
    // The CTA block a new data block goes into: the first one. -1, with the refusal set, when
    // the table has none that can be edited.
    int ctaForNewBlock();
    // Refuses for a table with no CTA block that can be edited; true when there is one.
    bool needCta();

    // The first data block of `cta` that `selector` matches, or -1.
    static int find(const CtaLayout &cta, const CtaBlockSelector &selector);
    // Puts `dataBlock` among the others by its kind (CtaBlockSelector::rank) and returns its
    // index.
    static int insert(CtaLayout &cta, const QByteArray &dataBlock);
    // A data block with `tag` (and `extendedTag` for tag 7) holding `payload`.
    static QByteArray makeBlock(int tag, const QByteArray &payload, int extendedTag = -1);
    // Bytes from values 0..255: QByteArray has no list constructor.
    static QByteArray bytes(std::initializer_list<quint32> values);
    // Writes the length of `dataBlock` into its first byte; false (with the refusal) when it
    // has grown past the 31 bytes a data block can hold. `what` names it for the message.
    bool fixLength(QByteArray &dataBlock, const QString &what);
};
