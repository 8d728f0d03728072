// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/usb/UsbSettings.h"

namespace {

// Hexadecimal, one to `maxDigits` digits, with an optional 0x; nothing else (no sign, no spaces
// inside), so that a typo is reported rather than read as some other number.
bool parseHex(QString text, int maxDigits, quint32 *value)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    quint32 v = 0;
    for (const QChar c : text) {
        const int digit = QStringLiteral("0123456789abcdef").indexOf(c.toLower());
        if (digit < 0)
            return false;
        v = v * 16 + quint32(digit);
    }
    *value = v;
    return true;
}

bool parseSwitch(const QString &text, bool *value)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("on") || t == QLatin1String("1") || t == QLatin1String("yes")) {
        *value = true;
        return true;
    }
    if (t == QLatin1String("off") || t == QLatin1String("0") || t == QLatin1String("no")) {
        *value = false;
        return true;
    }
    return false;
}

} // namespace

bool UsbSettings::parseId(const QString &text, UsbId *id)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    quint32 vendor = 0, product = 0;
    if (parts.size() != 2 || !parseHex(parts.at(0), 4, &vendor)
        || !parseHex(parts.at(1), 4, &product))
        return false;
    id->vendor = quint16(vendor);
    id->product = quint16(product);
    return true;
}

bool UsbSettings::addIds(const QStringList &pairs, QString *error)
{
    QList<UsbId> added = ids;
    for (const QString &pair : pairs) {
        UsbId id;
        if (!parseId(pair, &id)) {
            *error = QStringLiteral("--usb-id: \"%1\" is not a VID:PID pair such as 10c4:ea61")
                         .arg(pair);
            return false;
        }
        if (!added.contains(id))
            added.append(id);
    }
    ids = added;
    return true;
}

namespace {

// One --usb-option: its name and the setting it changes, a byte or a word in hexadecimal or an
// on/off switch (exactly one of the three is set). queue-wait, a time, is not among them.
struct Option
{
    const char *name;
    quint8 UsbSettings::*byte;
    quint16 UsbSettings::*word;
    bool UsbSettings::*flag;
};

const Option kOptions[] = {
    { "request-type", &UsbSettings::requestType, nullptr, nullptr },
    { "request", &UsbSettings::request, nullptr, nullptr },
    { "index", nullptr, &UsbSettings::index, nullptr },
    { "open", nullptr, &UsbSettings::openValue, nullptr },
    { "close", nullptr, &UsbSettings::closeValue, nullptr },
    { "purge", nullptr, &UsbSettings::purgeValue, nullptr },
    { "open-fatal", nullptr, nullptr, &UsbSettings::openFatal },
    { "enable", nullptr, nullptr, &UsbSettings::sendEnable },
    { "enable-request-type", &UsbSettings::enableRequestType, nullptr, nullptr },
    { "enable-request", &UsbSettings::enableRequest, nullptr, nullptr },
    { "enable-value", nullptr, &UsbSettings::enableValue, nullptr },
    { "enable-index", nullptr, &UsbSettings::enableIndex, nullptr },
    { "enable-fatal", nullptr, nullptr, &UsbSettings::enableFatal },
    { "clear-halt", nullptr, nullptr, &UsbSettings::clearHalt },
    { "zero-packet", nullptr, nullptr, &UsbSettings::zeroPacket },
};

const QLatin1String kQueueWait("queue-wait");

} // namespace

QStringList UsbSettings::optionNames()
{
    QStringList names;
    for (const Option &option : kOptions)
        names << QLatin1String(option.name);
    return names << kQueueWait;
}

QString UsbSettings::summary() const
{
    const auto hex = [](uint value, int digits) {
        return QString::number(value, 16).rightJustified(digits, QLatin1Char('0')).toUpper();
    };
    QStringList parts;
    for (const Option &option : kOptions) {
        const QString value = option.flag ? QLatin1String(this->*option.flag ? "on" : "off")
            : option.byte                 ? hex(this->*option.byte, 2)
                                          : hex(this->*option.word, 4);
        parts << QLatin1String(option.name) + QLatin1Char('=') + value;
    }
    parts << kQueueWait + QLatin1Char('=') + QString::number(queueWaitMs);
    return parts.join(QLatin1Char(' '));
}

bool UsbSettings::applyOptions(const QStringList &assignments, QString *error)
{
    UsbSettings next = *this;
    for (const QString &assignment : assignments) {
        const int eq = assignment.indexOf(QLatin1Char('='));
        const QString name = assignment.left(eq).trimmed().toLower();
        const QString value = assignment.mid(eq + 1);
        bool ok = false;
        if (eq >= 0 && name == kQueueWait) {
            // A time, so in decimal like every other time the user types.
            const uint ms = value.trimmed().toUInt(&ok, 10);
            ok = ok && ms >= 1 && ms <= kMaxQueueWaitMs;
            if (ok)
                next.queueWaitMs = ms;
        }
        for (const Option &option : kOptions) {
            if (eq < 0 || name != QLatin1String(option.name))
                continue;
            quint32 v = 0;
            if (option.flag) {
                ok = parseSwitch(value, &(next.*option.flag));
            } else {
                ok = parseHex(value, option.byte ? 2 : 4, &v);
                if (ok && option.byte)
                    next.*option.byte = quint8(v);
                else if (ok)
                    next.*option.word = quint16(v);
            }
        }
        if (!ok) {
            QStringList switches;
            for (const Option &option : kOptions) {
                if (option.flag)
                    switches << QLatin1String(option.name);
            }
            *error = QStringLiteral("--usb-option: \"%1\" is not NAME=VALUE with NAME one of %2 "
                                    "and VALUE hexadecimal (%3: on or off; queue-wait: 1 to %4 "
                                    "milliseconds)")
                         .arg(assignment, optionNames().join(QLatin1String(", ")),
                             switches.join(QLatin1String(", ")))
                         .arg(kMaxQueueWaitMs);
            return false;
        }
    }
    *this = next;
    return true;
}
