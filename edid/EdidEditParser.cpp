// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidEditParser.h"

#include "edid/EdidDecoded.h"
#include "edid/EdidEditWords.h"

namespace {

struct Option
{
    const char *name;
    const char *value; // nullptr: the option takes none
};

const Option kOptions[] = {
    { "--name", "TEXT" },
    { "--serial", "SERIAL" },
    { "--manufacturer", "ABC" },
    { "--product", "CODE" },
    { "--week", "WEEK" },
    { "--year", "YEAR" },
    { "--remove-vic", "VIC[,VIC...]" },
    { "--add-vic", "VIC[:POSITION][:native][:420]" },
    { "--move-vic", "VIC:POSITION" },
    { "--native", "VIC" },
    { "--clear-native", "VIC" },
    { "--remove-audio", "FORMAT[,FORMAT...]|all" },
    { "--add-audio", "FORMAT:CHANNELS:RATES[:SIZES|KBITS]" },
    { "--speakers", "SPEAKER[,SPEAKER...]" },
    { "--hdr-eotf", "EOTF[,EOTF...]" },
    { "--hdr-luminance", "max=CDM2,avg=CDM2,min=CDM2" },
    { "--remove-hdr", nullptr },
    { "--colorimetry", "[+|-]NAME[,...]" },
    { "--ycbcr444", "on|off" },
    { "--ycbcr422", "on|off" },
    { "--physical-address", "A.B.C.D" },
    { "--max-tmds", "MHZ" },
    { "--remove-hdmi-forum", nullptr },
    { "--remove-block", "KIND" },
    { "--dtd", "N=VIC" },
};

const Option *findOption(const QString &name)
{
    for (const Option &o : kOptions)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

// Decimal, or hexadecimal after 0x.
bool number(const QString &text, quint32 &value)
{
    bool ok = false;
    const QString t = text.trimmed();
    value = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toUInt(&ok, 16)
                                                                   : t.toUInt(&ok, 10);
    return ok;
}

bool integer(const QString &text, int &value)
{
    quint32 v = 0;
    if (!number(text, v) || v > 0xFFFF)
        return false;
    value = int(v);
    return true;
}

QStringList items(const QString &value)
{
    QStringList list = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString &item : list)
        item = item.trimmed();
    return list;
}

// A comma-separated list of words, each looked up by `bit`, as a mask.
template <typename Lookup> bool bits(const QString &value, Lookup bit, quint32 &mask, QString &bad)
{
    mask = 0;
    for (const QString &item : items(value)) {
        const int b = bit(item);
        if (b < 0) {
            bad = item;
            return false;
        }
        mask |= 1u << b;
    }
    return mask != 0;
}

bool parseSad(const QString &value, QByteArray &sad, QString &error)
{
    const QStringList parts = value.split(QLatin1Char(':'));
    const int format = EdidEditWords::audioFormat(parts.value(0));
    if (format == 0) {
        error = QStringLiteral("\"%1\" is not an audio format; one of %2")
                    .arg(parts.value(0), EdidEditWords::audioFormatWords().join(QLatin1Char(' ')));
        return false;
    }
    quint32 channels = 0;
    if (parts.size() < 3 || parts.size() > 4 || !number(parts[1], channels) || channels < 1
        || channels > 8) {
        error = QStringLiteral("expected FORMAT:CHANNELS:RATES[:SIZES|KBITS] with 1 to 8 "
                               "channels, such as lpcm:2:32,44.1,48:16,20,24");
        return false;
    }
    quint32 rates = 0;
    QString bad;
    if (!bits(parts[2], EdidEditWords::rateBit, rates, bad)) {
        error = QStringLiteral("\"%1\" is not a sample rate; 32 44.1 48 88.2 96 176.4 192 (kHz)")
                    .arg(bad);
        return false;
    }
    quint32 detail = 0;
    const QString last = parts.value(3);
    if (format == 1) {
        // Sample sizes 16, 20 and 24 bits; all three when not given.
        detail = last.isEmpty() ? 7 : 0;
        for (const QString &size : items(last)) {
            const int i
                = QStringList { QStringLiteral("16"), QStringLiteral("20"), QStringLiteral("24") }
                      .indexOf(size);
            if (i < 0) {
                error = QStringLiteral("\"%1\" is not a sample size; 16 20 24 (bits)").arg(size);
                return false;
            }
            detail |= 1u << i;
        }
    } else if (format <= 8) {
        // The maximum bit rate, in steps of 8 kbit/s.
        if (!number(last, detail) || detail % 8 || detail == 0 || detail > 2040) {
            error = QStringLiteral("%1 needs its maximum bit rate: a multiple of 8 up to 2040 "
                                   "kbit/s")
                        .arg(EdidEditWords::audioFormatName(format));
            return false;
        }
        detail /= 8;
    } else if (!last.isEmpty() && (!number(last, detail) || detail > 255)) {
        error = QStringLiteral("the last byte of a %1 descriptor is 0 to 255")
                    .arg(EdidEditWords::audioFormatName(format));
        return false;
    }
    sad.clear();
    sad.append(char(format << 3 | (channels - 1)));
    sad.append(char(rates));
    sad.append(char(detail));
    return true;
}

bool parseAddVic(const QString &value, EdidEdit &e, QString &error)
{
    const QStringList parts = value.split(QLatin1Char(':'));
    bool ok = integer(parts[0], e.vic);
    for (int i = 1; ok && i < parts.size(); ++i) {
        if (parts[i] == QLatin1String("native"))
            e.flag = true;
        else if (parts[i] == QLatin1String("420"))
            e.flag2 = true;
        else
            ok = integer(parts[i], e.position) && e.position > 0;
    }
    if (!ok)
        error = QStringLiteral("expected VIC[:POSITION][:native][:420], such as 16:1:native");
    return ok;
}

bool parseLuminance(const QString &value, EdidEdit &e, QString &error)
{
    for (const QString &item : items(value)) {
        const QString key = item.section(QLatin1Char('='), 0, 0).trimmed();
        bool ok = false;
        const double v = item.section(QLatin1Char('='), 1).toDouble(&ok);
        double *target = key == QLatin1String("max") ? &e.maxCdm2
            : key == QLatin1String("avg")            ? &e.averageCdm2
            : key == QLatin1String("min")            ? &e.minCdm2
                                                     : nullptr;
        if (!target || !ok || v < 0) {
            error = QStringLiteral("expected max=CDM2,avg=CDM2,min=CDM2 (any of them), such as "
                                   "max=1000,min=0.05");
            return false;
        }
        *target = v;
    }
    return e.maxCdm2 >= 0 || e.averageCdm2 >= 0 || e.minCdm2 >= 0;
}

bool parseColorimetry(const QString &value, EdidEdit &e, QString &error)
{
    quint32 set = 0, named = 0;
    bool signs = false;
    for (QString item : items(value)) {
        const QChar sign = item.isEmpty() ? QChar() : item.at(0);
        const bool plus = sign == QLatin1Char('+'), minus = sign == QLatin1Char('-');
        signs = signs || plus || minus;
        if (plus || minus)
            item = item.mid(1);
        const int bit = EdidEditWords::colorimetryBit(item);
        if (bit < 0) {
            error = QStringLiteral("\"%1\" is not a colorimetry; one of %2")
                        .arg(item, EdidEditWords::colorimetryWords().join(QLatin1Char(' ')));
            return false;
        }
        named |= 1u << bit;
        if (!minus)
            set |= 1u << bit;
    }
    // A list without signs is the whole set; with them, only the bits it names change.
    e.number = set;
    e.mask = signs ? named : EdidEditWords::COLORIMETRY_BITS;
    return named != 0;
}

bool parsePhysicalAddress(const QString &value, quint32 &address)
{
    const QStringList digits = value.split(QLatin1Char('.'));
    if (digits.size() != 4)
        return false;
    address = 0;
    for (const QString &d : digits) {
        bool ok = false;
        const uint v = d.toUInt(&ok, 16);
        if (!ok || d.size() != 1 || v > 15)
            return false;
        address = address << 4 | v;
    }
    return true;
}

bool onOff(const QString &value, bool &on)
{
    on = value == QLatin1String("on");
    return on || value == QLatin1String("off");
}

} // namespace

namespace EdidEditParser {

bool isEditOption(const QString &option, bool *takesValue)
{
    const Option *o = findOption(option);
    if (o && takesValue)
        *takesValue = o->value != nullptr;
    return o != nullptr;
}

QStringList optionForms()
{
    QStringList forms;
    for (const Option &o : kOptions)
        forms << (o.value
                ? QStringLiteral("%1 %2").arg(QLatin1String(o.name), QLatin1String(o.value))
                : QString::fromLatin1(o.name));
    return forms;
}

bool parse(const QString &option, const QString &value, QVector<EdidEdit> &edits, QString *error)
{
    const Option *o = findOption(option);
    const auto fail = [&](const QString &text) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(option, text);
        return false;
    };
    if (!o)
        return fail(QStringLiteral("not an edit"));
    if (o->value && value.isEmpty())
        return fail(QStringLiteral("needs %1").arg(QLatin1String(o->value)));
    const QString name = option.mid(2);
    const auto expected = [&] {
        return fail(QStringLiteral("expected %1, not \"%2\"").arg(QLatin1String(o->value), value));
    };
    QString why;
    EdidEdit e;
    if (name == QLatin1String("name") || name == QLatin1String("serial")
        || name == QLatin1String("manufacturer")) {
        e.kind = name == QLatin1String("name") ? EdidEdit::DisplayName
            : name == QLatin1String("serial")  ? EdidEdit::Serial
                                               : EdidEdit::Manufacturer;
        e.text = value;
    } else if (name == QLatin1String("product") || name == QLatin1String("week")
        || name == QLatin1String("year") || name == QLatin1String("max-tmds")) {
        e.kind = name == QLatin1String("product") ? EdidEdit::ProductCode
            : name == QLatin1String("week")       ? EdidEdit::Week
            : name == QLatin1String("year")       ? EdidEdit::Year
                                                  : EdidEdit::MaxTmds;
        if (!number(value, e.number))
            return expected();
    } else if (name == QLatin1String("remove-vic")) {
        e.kind = EdidEdit::RemoveVic;
        const QStringList vics = items(value);
        if (vics.isEmpty())
            return expected();
        for (const QString &vic : vics)
            if (!integer(vic, e.vic))
                return expected();
        for (const QString &vic : vics) {
            integer(vic, e.vic);
            edits.append(e);
        }
        return true;
    } else if (name == QLatin1String("add-vic")) {
        e.kind = EdidEdit::AddVic;
        if (!parseAddVic(value, e, why))
            return fail(why);
    } else if (name == QLatin1String("move-vic")) {
        e.kind = EdidEdit::MoveVic;
        const QStringList parts = value.split(QLatin1Char(':'));
        if (parts.size() != 2 || !integer(parts[0], e.vic) || !integer(parts[1], e.position))
            return expected();
    } else if (name == QLatin1String("native") || name == QLatin1String("clear-native")) {
        e.kind = EdidEdit::SetNative;
        e.flag = name == QLatin1String("native");
        if (!integer(value, e.vic))
            return expected();
    } else if (name == QLatin1String("remove-audio")) {
        e.kind = EdidEdit::RemoveAudio;
        if (value == QLatin1String("all")) {
            edits.append(e);
            return true;
        }
        QVector<EdidEdit> formats;
        for (const QString &word : items(value)) {
            e.number = quint32(EdidEditWords::audioFormat(word));
            if (e.number == 0)
                return fail(
                    QStringLiteral("\"%1\" is not an audio format; one of %2 or all")
                        .arg(word, EdidEditWords::audioFormatWords().join(QLatin1Char(' '))));
            formats.append(e);
        }
        edits += formats;
        return !formats.isEmpty() || expected();
    } else if (name == QLatin1String("add-audio")) {
        e.kind = EdidEdit::AddAudio;
        if (!parseSad(value, e.sad, why))
            return fail(why);
    } else if (name == QLatin1String("speakers")) {
        e.kind = EdidEdit::Speakers;
        if (!bits(value, EdidEditWords::speakerBit, e.number, why))
            return fail(QStringLiteral("\"%1\" is not a speaker; %2")
                            .arg(why, EdidEditWords::speakerWords().join(QLatin1Char(' '))));
    } else if (name == QLatin1String("hdr-eotf")) {
        e.kind = EdidEdit::HdrEotfs;
        if (!bits(value, EdidEditWords::eotfBit, e.number, why))
            return fail(QStringLiteral("\"%1\" is not an EOTF; %2")
                            .arg(why, EdidEditWords::eotfWords().join(QLatin1Char(' '))));
    } else if (name == QLatin1String("hdr-luminance")) {
        e.kind = EdidEdit::HdrLuminance;
        if (!parseLuminance(value, e, why))
            return why.isEmpty() ? expected() : fail(why);
    } else if (name == QLatin1String("colorimetry")) {
        e.kind = EdidEdit::Colorimetry;
        if (!parseColorimetry(value, e, why))
            return why.isEmpty() ? expected() : fail(why);
    } else if (name == QLatin1String("ycbcr444") || name == QLatin1String("ycbcr422")) {
        e.kind = name == QLatin1String("ycbcr444") ? EdidEdit::Ycbcr444 : EdidEdit::Ycbcr422;
        if (!onOff(value, e.flag))
            return expected();
    } else if (name == QLatin1String("physical-address")) {
        e.kind = EdidEdit::PhysicalAddress;
        if (!parsePhysicalAddress(value, e.number))
            return expected();
    } else if (name == QLatin1String("remove-hdr") || name == QLatin1String("remove-hdmi-forum")) {
        e.kind = EdidEdit::RemoveBlock;
        e.block.kind = name == QLatin1String("remove-hdr") ? CtaBlockSelector::HdrStatic
                                                           : CtaBlockSelector::HdmiForum;
    } else if (name == QLatin1String("remove-block")) {
        e.kind = EdidEdit::RemoveBlock;
        if (!CtaBlockSelector::fromName(value, e.block))
            return fail(QStringLiteral("\"%1\" is not a kind of data block; one of %2")
                            .arg(value, CtaBlockSelector::names().join(QLatin1Char(' '))));
    } else if (name == QLatin1String("dtd")) {
        e.kind = EdidEdit::ReplaceTiming;
        const QStringList parts = value.split(QLatin1Char('='));
        if (parts.size() != 2 || !integer(parts[0], e.position) || !integer(parts[1], e.vic))
            return expected();
    }
    edits.append(e);
    return true;
}

QString optionText(const EdidEdit &e)
{
    const auto words = [](quint32 mask, QString (*word)(int), int count) {
        QStringList list;
        for (int i = 0; i < count; ++i)
            if (mask >> i & 1)
                list << word(i);
        return list.join(QLatin1Char(','));
    };
    switch (e.kind) {
    case EdidEdit::DisplayName:
        return QStringLiteral("--name ") + e.text;
    case EdidEdit::Serial:
        return QStringLiteral("--serial ") + e.text;
    case EdidEdit::Manufacturer:
        return QStringLiteral("--manufacturer ") + e.text;
    case EdidEdit::ProductCode:
        return QStringLiteral("--product %1").arg(e.number);
    case EdidEdit::Week:
        return QStringLiteral("--week %1").arg(e.number);
    case EdidEdit::Year:
        return QStringLiteral("--year %1").arg(e.number);
    case EdidEdit::RemoveVic:
        return QStringLiteral("--remove-vic %1").arg(e.vic);
    case EdidEdit::AddVic:
        return QStringLiteral("--add-vic %1").arg(e.vic)
            + (e.position ? QStringLiteral(":%1").arg(e.position) : QString())
            + (e.flag ? QStringLiteral(":native") : QString())
            + (e.flag2 ? QStringLiteral(":420") : QString());
    case EdidEdit::MoveVic:
        return QStringLiteral("--move-vic %1:%2").arg(e.vic).arg(e.position);
    case EdidEdit::SetNative:
        return QStringLiteral("%1 %2")
            .arg(e.flag ? QStringLiteral("--native") : QStringLiteral("--clear-native"))
            .arg(e.vic);
    case EdidEdit::RemoveAudio:
        return QStringLiteral("--remove-audio ")
            + (e.number ? EdidEditWords::audioFormatWord(int(e.number)) : QStringLiteral("all"));
    case EdidEdit::AddAudio: {
        if (e.sad.size() != 3)
            return QStringLiteral("--add-audio");
        const int format = CtaShortAudio::formatOf(quint8(e.sad.at(0)));
        const quint8 detail = quint8(e.sad.at(2));
        QString last = format == 1 ? words(
                           detail, [](int i) { return QString::number(16 + 4 * i); }, 3)
            : format <= 8 ? QString::number(detail * 8)
                          : QString::number(detail);
        return QStringLiteral("--add-audio %1:%2:%3:%4")
            .arg(EdidEditWords::audioFormatWord(format))
            .arg((quint8(e.sad.at(0)) & 7) + 1)
            .arg(words(quint8(e.sad.at(1)), EdidEditWords::rateWord, 7), last);
    }
    case EdidEdit::Speakers:
        return QStringLiteral("--speakers ")
            + words(e.number, EdidEditWords::speakerWord, EdidEditWords::SPEAKER_BITS);
    case EdidEdit::HdrEotfs:
        return QStringLiteral("--hdr-eotf ")
            + words(e.number, EdidEditWords::eotfWord, EdidEditWords::EOTF_BITS);
    case EdidEdit::HdrLuminance: {
        QStringList parts;
        if (e.maxCdm2 >= 0)
            parts << QStringLiteral("max=%1").arg(e.maxCdm2);
        if (e.averageCdm2 >= 0)
            parts << QStringLiteral("avg=%1").arg(e.averageCdm2);
        if (e.minCdm2 >= 0)
            parts << QStringLiteral("min=%1").arg(e.minCdm2);
        return QStringLiteral("--hdr-luminance ") + parts.join(QLatin1Char(','));
    }
    case EdidEdit::Colorimetry: {
        if (e.mask == EdidEditWords::COLORIMETRY_BITS)
            return QStringLiteral("--colorimetry ")
                + words(e.number, EdidEditWords::colorimetryWord, 16);
        QStringList parts;
        for (int i = 0; i < 16; ++i)
            if (e.mask >> i & 1)
                parts << (e.number >> i & 1 ? QLatin1Char('+') : QLatin1Char('-'))
                        + EdidEditWords::colorimetryWord(i);
        return QStringLiteral("--colorimetry ") + parts.join(QLatin1Char(','));
    }
    case EdidEdit::Ycbcr444:
    case EdidEdit::Ycbcr422:
        return QStringLiteral("--ycbcr%1 %2")
            .arg(e.kind == EdidEdit::Ycbcr444 ? 444 : 422)
            .arg(e.flag ? QStringLiteral("on") : QStringLiteral("off"));
    case EdidEdit::PhysicalAddress:
        return QStringLiteral("--physical-address %1.%2.%3.%4")
            .arg(e.number >> 12 & 0xF, 0, 16)
            .arg(e.number >> 8 & 0xF, 0, 16)
            .arg(e.number >> 4 & 0xF, 0, 16)
            .arg(e.number & 0xF, 0, 16);
    case EdidEdit::MaxTmds:
        return QStringLiteral("--max-tmds %1").arg(e.number);
    case EdidEdit::RemoveBlock:
        if (e.block.kind == CtaBlockSelector::HdrStatic)
            return QStringLiteral("--remove-hdr");
        if (e.block.kind == CtaBlockSelector::HdmiForum)
            return QStringLiteral("--remove-hdmi-forum");
        return QStringLiteral("--remove-block ") + e.block.name();
    case EdidEdit::ReplaceTiming:
        return QStringLiteral("--dtd %1=%2").arg(e.position).arg(e.vic);
    }
    return QString();
}

} // namespace EdidEditParser
