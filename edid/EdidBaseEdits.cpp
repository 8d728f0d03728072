// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidBaseEdits.h"

#include "edid/CtaDecoder.h"
#include "edid/CtaVideoFormats.h"
#include "edid/EdidDecoder.h"
#include "edid/EdidEditContext.h"

namespace {

constexpr int DESCRIPTOR_OFFSETS[4] = { 54, 72, 90, 108 };
constexpr quint8 TAG_NAME = 0xFC;
constexpr quint8 TAG_SERIAL = 0xFF;
constexpr quint8 TAG_DUMMY = 0x10;
constexpr int TEXT_LENGTH = 13;

bool isDisplayDescriptor(const QByteArray &b, int offset)
{
    return b.at(offset) == 0 && b.at(offset + 1) == 0 && b.at(offset + 2) == 0;
}

// The offset of the base block's descriptor with `tag`, or -1.
int descriptor(const QByteArray &b, quint8 tag)
{
    for (int offset : DESCRIPTOR_OFFSETS)
        if (isDisplayDescriptor(b, offset) && quint8(b.at(offset + 3)) == tag)
            return offset;
    return -1;
}

// Descriptor text: up to 13 printable ASCII characters, ended by a line feed and padded with
// spaces when shorter.
bool checkText(EdidEditContext &c, const QString &text, const QString &what)
{
    if (text.isEmpty() || text.size() > TEXT_LENGTH)
        return c.refuse(QStringLiteral("a %1 has 1 to %2 characters; \"%3\" has %4")
                            .arg(what)
                            .arg(TEXT_LENGTH)
                            .arg(text)
                            .arg(text.size()));
    for (const QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() > 0x7E)
            return c.refuse(QStringLiteral("a %1 holds printable ASCII characters only, not "
                                           "\"%2\"")
                                .arg(what, text));
    return true;
}

void writeText(QByteArray &b, int offset, quint8 tag, const QString &text)
{
    b[offset + 3] = char(tag);
    b[offset + 4] = 0;
    const QByteArray latin = text.toLatin1();
    for (int i = 0; i < TEXT_LENGTH; ++i) {
        char ch = ' ';
        if (i < latin.size())
            ch = latin.at(i);
        else if (i == latin.size())
            ch = '\n';
        b[offset + 5 + i] = ch;
    }
}

bool setName(EdidEditContext &c, const QString &name)
{
    if (!checkText(c, name, QStringLiteral("display name")))
        return false;
    QByteArray &b = c.base();
    int offset = descriptor(b, TAG_NAME);
    if (offset < 0)
        offset = descriptor(b, TAG_DUMMY);
    if (offset < 0)
        return c.refuse(QStringLiteral("the base block has no name descriptor and no unused one "
                                       "to put a name into"));
    writeText(b, offset, TAG_NAME, name);
    return true;
}

bool setSerial(EdidEditContext &c, const QString &serial)
{
    QByteArray &b = c.base();
    const int offset = descriptor(b, TAG_SERIAL);
    if (offset >= 0) {
        if (!checkText(c, serial, QStringLiteral("serial number")))
            return false;
        writeText(b, offset, TAG_SERIAL, serial);
        return true;
    }
    bool ok = false;
    const quint32 number = serial.toUInt(&ok, 10);
    if (!ok)
        return c.refuse(QStringLiteral("the table keeps its serial number as a number from 0 to "
                                       "4294967295, not \"%1\"")
                            .arg(serial));
    for (int i = 0; i < 4; ++i)
        b[12 + i] = char(number >> (8 * i));
    return true;
}

bool setManufacturer(EdidEditContext &c, const QString &id)
{
    const QString upper = id.toUpper();
    bool letters = upper.size() == 3;
    for (const QChar ch : upper)
        letters = letters && ch >= QLatin1Char('A') && ch <= QLatin1Char('Z');
    if (!letters)
        return c.refuse(
            QStringLiteral("a manufacturer is three letters A to Z, not \"%1\"").arg(id));
    // Five bits a letter, A being 1, the first letter highest.
    quint16 packed = 0;
    for (const QChar ch : upper)
        packed = quint16(packed << 5 | (ch.unicode() - 'A' + 1));
    c.base()[8] = char(packed >> 8);
    c.base()[9] = char(packed);
    return true;
}

bool isEdid14(const QByteArray &b)
{
    return b.at(18) == 1 && b.at(19) >= 4;
}

bool setWeek(EdidEditContext &c, quint32 week)
{
    if (week == 0xFF && !isEdid14(c.base()))
        return c.refuse(QStringLiteral("week 255 (the year is a model year) needs EDID 1.4; "
                                       "this table is EDID %1.%2")
                            .arg(int(c.base().at(18)))
                            .arg(int(c.base().at(19))));
    if (week > 54 && week != 0xFF)
        return c.refuse(QStringLiteral("the week is 1 to 54 (0: not given, 255: model year), "
                                       "not %1")
                            .arg(week));
    c.base()[16] = char(week);
    return true;
}

bool setYear(EdidEditContext &c, quint32 year)
{
    if (year < 1990 || year > 2245)
        return c.refuse(QStringLiteral("the year is 1990 to 2245, not %1").arg(year));
    c.base()[17] = char(year - 1990);
    return true;
}

// Where the detailed timings of the table are, numbered as decoders number them: those of the
// base block, then those of each CTA block. In the base block and in CTA blocks that are not
// laid out (an older revision, or lengths that do not add up) a timing is replaced where it
// stands, which moves nothing.
struct TimingRef
{
    int block;
    int offset; // within the block's bytes; -1 for a laid-out CTA block
    int index; // laid-out CTA blocks: which of its timings
};

QVector<TimingRef> timings(EdidEditContext &c)
{
    QVector<TimingRef> refs;
    for (int offset : DESCRIPTOR_OFFSETS)
        if (c.base().at(offset) || c.base().at(offset + 1))
            refs.append({ 0, offset, -1 });
    for (int block = 1; block < c.layout.blocks.size(); ++block) {
        const EdidLayoutBlock &b = c.layout.blocks[block];
        if (b.kind == EdidLayoutBlock::Cta) {
            for (int i = 0; i < b.cta.timings.size(); ++i)
                refs.append({ block, -1, i });
            continue;
        }
        if (quint8(b.bytes.at(0)) != EdidDecoder::CTA_EXTENSION_TAG)
            continue;
        for (const int offset : CtaDecoder::detailedTimingOffsets(
                 reinterpret_cast<const quint8 *>(b.bytes.constData())))
            refs.append({ block, offset, -1 });
    }
    return refs;
}

bool timingFromVic(EdidEditContext &c, int vic, QByteArray &d)
{
    const CtaVideoFormat *f = CtaVideoFormats::find(vic);
    if (!f)
        return c.refuse(QStringLiteral("VIC %1 names no video format").arg(vic));
    const quint32 clock = (f->pixelClockKHz + 5) / 10;
    const int vActive = f->interlaced ? f->height / 2 : f->height;
    const QString name = CtaVideoFormats::name(vic);
    if (clock > 0xFFFF)
        return c.refuse(QStringLiteral("VIC %1 (%2) runs at %3 MHz, and a detailed timing "
                                       "holds at most 655.35 MHz")
                            .arg(vic)
                            .arg(name)
                            .arg(f->pixelClockKHz / 1000.0));
    if (f->width > 4095 || f->h.blank() > 4095 || vActive > 4095 || f->v.blank() > 4095
        || f->h.front > 1023 || f->h.sync > 1023 || f->v.front > 63 || f->v.sync > 63)
        return c.refuse(QStringLiteral("VIC %1 (%2) has sizes a detailed timing cannot hold")
                            .arg(vic)
                            .arg(name));
    d[0] = char(clock);
    d[1] = char(clock >> 8);
    d[2] = char(f->width);
    d[3] = char(f->h.blank());
    d[4] = char((f->width >> 8) << 4 | f->h.blank() >> 8);
    d[5] = char(vActive);
    d[6] = char(f->v.blank());
    d[7] = char((vActive >> 8) << 4 | f->v.blank() >> 8);
    d[8] = char(f->h.front);
    d[9] = char(f->h.sync);
    d[10] = char((f->v.front & 0x0F) << 4 | (f->v.sync & 0x0F));
    d[11] = char(
        (f->h.front >> 8) << 6 | (f->h.sync >> 8) << 4 | (f->v.front >> 4) << 2 | f->v.sync >> 4);
    // Bytes 12-14, the image size, belong to the screen and stay; a CTA format has no border.
    d[15] = 0;
    d[16] = 0;
    d[17] = char((f->interlaced ? 0x80 : 0) | 0x18 | (f->v.positive ? 0x04 : 0)
        | (f->h.positive ? 0x02 : 0));
    return true;
}

bool replaceTiming(EdidEditContext &c, int number, int vic)
{
    const QVector<TimingRef> refs = timings(c);
    if (number < 1 || number > refs.size())
        return c.refuse(QStringLiteral("there is no detailed timing %1; the table has %2")
                            .arg(number)
                            .arg(refs.size()));
    const TimingRef &r = refs[number - 1];
    QByteArray &bytes = c.layout.blocks[r.block].bytes;
    QByteArray d = r.offset >= 0 ? bytes.mid(r.offset, EdidLayout::TIMING_SIZE)
                                 : c.cta(r.block).timings[r.index];
    if (!timingFromVic(c, vic, d))
        return false;
    if (r.offset >= 0)
        bytes.replace(r.offset, EdidLayout::TIMING_SIZE, d);
    else
        c.cta(r.block).timings[r.index] = d;
    return true;
}

} // namespace

bool EdidBaseEdits::apply(EdidEditContext &c, const EdidEdit &e)
{
    switch (e.kind) {
    case EdidEdit::DisplayName:
        return setName(c, e.text);
    case EdidEdit::Serial:
        return setSerial(c, e.text);
    case EdidEdit::Manufacturer:
        return setManufacturer(c, e.text);
    case EdidEdit::ProductCode:
        if (e.number > 0xFFFF)
            return c.refuse(QStringLiteral("a product code is 0 to 65535, not %1").arg(e.number));
        c.base()[10] = char(e.number);
        c.base()[11] = char(e.number >> 8);
        return true;
    case EdidEdit::Week:
        return setWeek(c, e.number);
    case EdidEdit::Year:
        return setYear(c, e.number);
    case EdidEdit::ReplaceTiming:
        return replaceTiming(c, e.position, e.vic);
    default:
        return c.refuse(QStringLiteral("not an edit of the base block"));
    }
}

bool EdidBaseEdits::keepsSerialAsText(const QByteArray &table)
{
    return table.size() >= EdidLayout::BLOCK_SIZE && descriptor(table, TAG_SERIAL) >= 0;
}
