// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/EdidEditTree.h"

#include "edid/CtaBits.h"
#include "edid/CtaBlockSelector.h"
#include "edid/CtaVideoFormats.h"
#include "edid/EdidBaseEdits.h"
#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"
#include "edid/EdidEditWords.h"
#include "edid/EdidLayout.h"

#include <QTreeWidget>

namespace {

// What an item edits: the option and what goes in front of the typed value; for check boxes the
// option and value for checked and for unchecked; for the context menu, label, option and value.
constexpr int ROLE_EDIT = Qt::UserRole;
constexpr int ROLE_CHECK = Qt::UserRole + 1;
constexpr int ROLE_ACTIONS = Qt::UserRole + 2;
// Check boxes whose edit names the whole set of their siblings (the EOTFs).
const QString kEotfSet = QStringLiteral("eotf-set");

QTreeWidgetItem *item(QTreeWidgetItem *parent, const QString &field, const QString &value = {})
{
    auto *i = new QTreeWidgetItem(parent, { field, value });
    i->setToolTip(EdidEditTree::ValueColumn, value);
    return i;
}

QTreeWidgetItem *editable(QTreeWidgetItem *parent, const QString &field, const QString &value,
    const QString &option, const QString &prefix = {})
{
    QTreeWidgetItem *i = item(parent, field, value);
    i->setData(EdidEditTree::ValueColumn, ROLE_EDIT, QStringList { option, prefix });
    i->setFlags(i->flags() | Qt::ItemIsEditable);
    return i;
}

QTreeWidgetItem *checkable(QTreeWidgetItem *parent, const QString &field, const QString &value,
    bool on, const QStringList &check)
{
    QTreeWidgetItem *i = item(parent, field, value);
    i->setData(EdidEditTree::ValueColumn, ROLE_CHECK, check);
    i->setFlags(i->flags() | Qt::ItemIsUserCheckable);
    i->setCheckState(EdidEditTree::ValueColumn, on ? Qt::Checked : Qt::Unchecked);
    return i;
}

void addAction(
    QTreeWidgetItem *i, const QString &label, const QString &option, const QString &value = {})
{
    QStringList actions = i->data(EdidEditTree::FieldColumn, ROLE_ACTIONS).toStringList();
    actions << label << option << value;
    i->setData(EdidEditTree::FieldColumn, ROLE_ACTIONS, actions);
}

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

void fillBase(QTreeWidget *tree, const QByteArray &table, const EdidDecoded &d, int &timing)
{
    const EdidBaseBlock &b = d.base;
    auto *base = new QTreeWidgetItem(tree,
        { QStringLiteral("Block 0"),
            QStringLiteral("base EDID %1.%2").arg(b.version).arg(b.revision) });
    editable(
        base, QStringLiteral("Manufacturer"), b.manufacturer, QStringLiteral("--manufacturer"));
    editable(base, QStringLiteral("Product code"), QString::number(b.productCode),
        QStringLiteral("--product"));
    editable(base, QStringLiteral("Serial number"),
        EdidBaseEdits::keepsSerialAsText(table) ? b.displaySerial : QString::number(b.serialNumber),
        QStringLiteral("--serial"));
    editable(base, QStringLiteral("Week"), QString::number(b.week), QStringLiteral("--week"));
    editable(base, QStringLiteral("Year"), QString::number(b.year), QStringLiteral("--year"));
    editable(base, QStringLiteral("Display name"), b.displayName, QStringLiteral("--name"));
    for (const EdidDetailedTiming &t : b.detailedTimings) {
        ++timing;
        QTreeWidgetItem *i = editable(base, QStringLiteral("Detailed timing %1").arg(timing),
            EdidDescriber::timingText(t), QStringLiteral("--dtd"),
            QStringLiteral("%1=").arg(timing));
        i->setToolTip(EdidEditTree::ValueColumn,
            QStringLiteral("Type a VIC to give this timing the VIC's timing"));
    }
}

QString audioText(const CtaShortAudio &a)
{
    QStringList rates;
    for (int bit = 0; bit < 7; ++bit)
        if (a.rates >> bit & 1)
            rates << EdidEditWords::rateWord(bit);
    return QStringLiteral("%1, %2 channels, %3 kHz")
        .arg(EdidEditWords::audioFormatName(a.format))
        .arg(a.channels)
        .arg(rates.join(QLatin1Char(' ')));
}

void fillVideo(QTreeWidgetItem *parent, const CtaBlock &cta)
{
    QTreeWidgetItem *video = item(parent, QStringLiteral("Video"),
        QStringLiteral("%1 VICs; checked: native").arg(cta.videos.size()));
    for (int i = 0; i < cta.videos.size(); ++i) {
        const CtaShortVideo &v = cta.videos[i];
        const QString vic = QString::number(v.vic);
        const QString field = QStringLiteral("VIC %1").arg(v.vic);
        QTreeWidgetItem *it = v.vic <= 64
            ? checkable(video, field, CtaVideoFormats::name(v.vic), v.native,
                { QStringLiteral("--native"), vic, QStringLiteral("--clear-native"), vic })
            : item(video, field, CtaVideoFormats::name(v.vic));
        if (cta.ycbcr420Capable.contains(v.vic))
            it->setText(EdidEditTree::ValueColumn,
                it->text(EdidEditTree::ValueColumn) + QStringLiteral(", also 4:2:0"));
        addAction(
            it, QStringLiteral("Remove VIC %1").arg(v.vic), QStringLiteral("--remove-vic"), vic);
        if (i > 0)
            addAction(it, QStringLiteral("Move up"), QStringLiteral("--move-vic"),
                QStringLiteral("%1:%2").arg(v.vic).arg(i));
        if (i + 1 < cta.videos.size())
            addAction(it, QStringLiteral("Move down"), QStringLiteral("--move-vic"),
                QStringLiteral("%1:%2").arg(v.vic).arg(i + 2));
    }
    for (int vic : cta.ycbcr420Only) {
        QTreeWidgetItem *it = item(video, QStringLiteral("VIC %1").arg(vic),
            CtaVideoFormats::name(vic) + QStringLiteral(", 4:2:0 only"));
        addAction(it, QStringLiteral("Remove VIC %1").arg(vic), QStringLiteral("--remove-vic"),
            QString::number(vic));
    }
    editable(video, QStringLiteral("Add VIC"), QString(), QStringLiteral("--add-vic"))
        ->setToolTip(EdidEditTree::ValueColumn,
            QStringLiteral("VIC[:POSITION][:native][:420], such as 16:1:native"));
}

void fillAudio(QTreeWidgetItem *parent, const CtaBlock &cta)
{
    QTreeWidgetItem *audio = item(parent, QStringLiteral("Audio"));
    for (const CtaShortAudio &a : cta.audios) {
        QTreeWidgetItem *it = item(audio, EdidEditWords::audioFormatName(a.format), audioText(a));
        const QString word = EdidEditWords::audioFormatWord(a.format);
        if (!word.isEmpty())
            addAction(it,
                QStringLiteral("Remove %1 audio").arg(EdidEditWords::audioFormatName(a.format)),
                QStringLiteral("--remove-audio"), word);
    }
    addAction(audio, QStringLiteral("Remove all audio"), QStringLiteral("--remove-audio"),
        QStringLiteral("all"));
    editable(audio, QStringLiteral("Add audio"), QString(), QStringLiteral("--add-audio"))
        ->setToolTip(EdidEditTree::ValueColumn,
            QStringLiteral("FORMAT:CHANNELS:RATES[:SIZES|KBITS], such as lpcm:2:32,44.1,48"));
    QStringList speakers;
    for (int bit = 0; bit < EdidEditWords::SPEAKER_BITS; ++bit)
        if (CtaBits::bits(cta.speakers, CtaBits::speakers) >> bit & 1)
            speakers << EdidEditWords::speakerWord(bit);
    editable(audio, QStringLiteral("Speakers"), speakers.join(QLatin1Char(',')),
        QStringLiteral("--speakers"));
}

void fillFeatures(QTreeWidgetItem *parent, const CtaBlock &cta)
{
    QTreeWidgetItem *hdr = item(parent, QStringLiteral("HDR static metadata"),
        cta.hasHdrStatic ? QString() : QStringLiteral("none; check an EOTF to add it"));
    for (int bit = 0; bit < EdidEditWords::EOTF_BITS; ++bit)
        checkable(hdr, QStringLiteral("EOTF %1").arg(EdidEditWords::eotfWord(bit)), QString(),
            cta.hasHdrStatic && (CtaBits::bits(cta.hdrStatic.eotfs, CtaBits::eotfs) >> bit & 1),
            { kEotfSet, EdidEditWords::eotfWord(bit) });
    if (cta.hasHdrStatic) {
        const CtaHdrStatic &h = cta.hdrStatic;
        const auto cdm2
            = [](bool has, double v) { return has ? QString::number(v, 'f', 3) : QString(); };
        editable(hdr, QStringLiteral("Max luminance (cd/m2)"), cdm2(h.hasMax, h.maxCdm2),
            QStringLiteral("--hdr-luminance"), QStringLiteral("max="));
        editable(hdr, QStringLiteral("Max frame-average luminance (cd/m2)"),
            cdm2(h.hasAverage, h.averageCdm2), QStringLiteral("--hdr-luminance"),
            QStringLiteral("avg="));
        editable(hdr, QStringLiteral("Min luminance (cd/m2)"), cdm2(h.hasMin, h.minCdm2),
            QStringLiteral("--hdr-luminance"), QStringLiteral("min="));
        addAction(hdr, QStringLiteral("Remove the HDR block"), QStringLiteral("--remove-hdr"));
    }
    QTreeWidgetItem *colorimetry = item(parent, QStringLiteral("Colorimetry"),
        cta.hasColorimetry ? QString() : QStringLiteral("none; check one to add the block"));
    for (int bit = 0; bit < 16; ++bit) {
        const QString word = EdidEditWords::colorimetryWord(bit);
        if (!word.isEmpty())
            checkable(colorimetry, word, QString(),
                CtaBits::bits(cta.colorimetry, CtaBits::colorimetry) >> bit & 1,
                { QStringLiteral("--colorimetry"), QLatin1Char('+') + word,
                    QStringLiteral("--colorimetry"), QLatin1Char('-') + word });
    }
    if (cta.hasHdmi || cta.hasHdmiForum) {
        QTreeWidgetItem *hdmi = item(parent, QStringLiteral("HDMI"));
        if (cta.hasHdmi)
            editable(hdmi, QStringLiteral("Physical address"),
                EdidDescriber::physicalAddressText(cta.hdmi.physicalAddress),
                QStringLiteral("--physical-address"));
        const int rate = cta.hasHdmiForum && cta.hdmiForum.maxTmdsCharacterRateMHz
            ? cta.hdmiForum.maxTmdsCharacterRateMHz
            : cta.hdmi.maxTmdsMHz;
        editable(hdmi, QStringLiteral("Max TMDS rate (MHz)"),
            rate ? QString::number(rate) : QString(), QStringLiteral("--max-tmds"))
            ->setToolTip(EdidEditTree::ValueColumn,
                QStringLiteral("A lower rate limits both HDMI blocks and takes FRL away"));
    }
}

void fillCta(QTreeWidget *tree, const EdidLayoutBlock &block, const CtaBlock &cta, int &timing)
{
    auto *top = new QTreeWidgetItem(tree,
        { QStringLiteral("Block %1").arg(cta.blockIndex),
            QStringLiteral("CTA-861 extension, revision %1").arg(cta.revision) });
    if (block.kind != EdidLayoutBlock::Cta) {
        top->setText(EdidEditTree::ValueColumn,
            QStringLiteral("CTA-861, cannot be edited: %1").arg(block.whyNotCta));
        timing += cta.detailedTimings.size();
        return;
    }
    checkable(top, QStringLiteral("YCbCr 4:4:4"), QString(), cta.ycbcr444,
        { QStringLiteral("--ycbcr444"), onOff(true), QStringLiteral("--ycbcr444"), onOff(false) });
    checkable(top, QStringLiteral("YCbCr 4:2:2"), QString(), cta.ycbcr422,
        { QStringLiteral("--ycbcr422"), onOff(true), QStringLiteral("--ycbcr422"), onOff(false) });
    fillVideo(top, cta);
    fillAudio(top, cta);
    fillFeatures(top, cta);
    QTreeWidgetItem *blocks = item(top, QStringLiteral("Data blocks"));
    for (const QByteArray &d : block.cta.dataBlocks) {
        const CtaBlockSelector s = CtaBlockSelector::of(d);
        QTreeWidgetItem *it
            = item(blocks, s.description(), QStringLiteral("%1 bytes").arg(d.size() - 1));
        addAction(it, QStringLiteral("Remove every %1").arg(s.description()),
            QStringLiteral("--remove-block"), s.name());
    }
    for (const EdidDetailedTiming &t : cta.detailedTimings) {
        ++timing;
        editable(top, QStringLiteral("Detailed timing %1").arg(timing),
            EdidDescriber::timingText(t), QStringLiteral("--dtd"),
            QStringLiteral("%1=").arg(timing));
    }
}

} // namespace

namespace EdidEditTree {

void fill(QTreeWidget *tree, const QByteArray &table)
{
    tree->clear();
    const EdidDecoded d = EdidDecoder::decode(table);
    EdidLayout layout;
    EdidLayout::parse(table, layout, nullptr);
    int timing = 0;
    fillBase(tree, table, d, timing);
    for (const CtaBlock &cta : d.cta)
        if (cta.blockIndex < layout.blocks.size())
            fillCta(tree, layout.blocks[cta.blockIndex], cta, timing);
}

bool isEditable(const QTreeWidgetItem *i)
{
    return i && !i->data(ValueColumn, ROLE_EDIT).toStringList().isEmpty();
}

bool isCheckable(const QTreeWidgetItem *i)
{
    return i && !i->data(ValueColumn, ROLE_CHECK).toStringList().isEmpty();
}

Words wordsFor(const QTreeWidgetItem *i)
{
    const QStringList edit = i->data(ValueColumn, ROLE_EDIT).toStringList();
    if (edit.size() == 2)
        return { edit[0], edit[1] + i->text(ValueColumn).trimmed() };
    const QStringList check = i->data(ValueColumn, ROLE_CHECK).toStringList();
    if (check.value(0) == kEotfSet) {
        QStringList on;
        for (int k = 0; i->parent() && k < i->parent()->childCount(); ++k) {
            const QTreeWidgetItem *sibling = i->parent()->child(k);
            const QStringList c = sibling->data(ValueColumn, ROLE_CHECK).toStringList();
            if (c.value(0) == kEotfSet && sibling->checkState(ValueColumn) == Qt::Checked)
                on << c.value(1);
        }
        return { QStringLiteral("--hdr-eotf"), on.join(QLatin1Char(',')) };
    }
    if (check.size() == 4) {
        const bool on = i->checkState(ValueColumn) == Qt::Checked;
        return { check[on ? 0 : 2], check[on ? 1 : 3] };
    }
    return {};
}

QVector<Action> actionsFor(const QTreeWidgetItem *i)
{
    QVector<Action> actions;
    const QStringList a = i ? i->data(FieldColumn, ROLE_ACTIONS).toStringList() : QStringList();
    for (int k = 0; k + 2 < a.size(); k += 3)
        actions.append({ a[k], { a[k + 1], a[k + 2] } });
    return actions;
}

QString path(const QTreeWidgetItem *i)
{
    QStringList parts;
    for (; i; i = i->parent())
        parts.prepend(i->text(FieldColumn));
    return parts.join(QLatin1Char('/'));
}

QTreeWidgetItem *find(QTreeWidget *tree, const QString &wanted)
{
    QTreeWidgetItemIterator it(tree);
    for (; *it; ++it)
        if (path(*it) == wanted)
            return *it;
    return nullptr;
}

} // namespace EdidEditTree
