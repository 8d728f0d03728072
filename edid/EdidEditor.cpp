// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidEditor.h"

#include "edid/CtaAudioEdits.h"
#include "edid/CtaFeatureEdits.h"
#include "edid/CtaVideoEdits.h"
#include "edid/EdidBaseEdits.h"
#include "edid/EdidChecksum.h"
#include "edid/EdidEditContext.h"

namespace {

bool dispatch(EdidEditContext &c, const EdidEdit &e)
{
    switch (e.kind) {
    case EdidEdit::DisplayName:
    case EdidEdit::Serial:
    case EdidEdit::Manufacturer:
    case EdidEdit::ProductCode:
    case EdidEdit::Week:
    case EdidEdit::Year:
    case EdidEdit::ReplaceTiming:
        return EdidBaseEdits::apply(c, e);
    case EdidEdit::RemoveVic:
    case EdidEdit::AddVic:
    case EdidEdit::MoveVic:
    case EdidEdit::SetNative:
        return CtaVideoEdits::apply(c, e);
    case EdidEdit::RemoveAudio:
    case EdidEdit::AddAudio:
    case EdidEdit::Speakers:
        return CtaAudioEdits::apply(c, e);
    default:
        return CtaFeatureEdits::apply(c, e);
    }
}

EdidEditResult refused(const QString &why)
{
    EdidEditResult r;
    r.message = why;
    return r;
}

} // namespace

namespace EdidEditor {

EdidEditResult apply(QByteArray &table, const EdidEdit &edit)
{
    EdidEditContext c;
    QString why;
    if (!EdidLayout::parse(table, c.layout, &why))
        return refused(why);
    if (!dispatch(c, edit))
        return refused(c.refusal);

    QByteArray out = table;
    EdidEditResult result;
    for (int i = 0; i < c.layout.blocks.size(); ++i) {
        const EdidLayoutBlock &b = c.layout.blocks[i];
        QByteArray bytes = b.bytes;
        if (b.kind == EdidLayoutBlock::Cta && !EdidLayout::encodeCta(b.cta, bytes, &why))
            return refused(QStringLiteral("block %1 has no room for that: %2").arg(i).arg(why));
        const int start = i * EdidLayout::BLOCK_SIZE;
        // Only a block whose content changed gets a new checksum.
        if (bytes.left(EdidLayout::CTA_SPACE) == table.mid(start, EdidLayout::CTA_SPACE))
            continue;
        bytes[EdidLayout::CTA_SPACE]
            = char(edidChecksum(reinterpret_cast<const quint8 *>(bytes.constData())));
        out.replace(start, EdidLayout::BLOCK_SIZE, bytes);
        result.touchedBlocks.append(i);
    }
    result.ok = true;
    table = out;
    return result;
}

bool roundTrip(const QByteArray &table, QByteArray &out, QString *why)
{
    EdidLayout layout;
    if (!EdidLayout::parse(table, layout, why))
        return false;
    out = layout.encode(why);
    return !out.isEmpty();
}

} // namespace EdidEditor
