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

QStringList UsbSettings::optionNames()
{
    return { QStringLiteral("request-type"), QStringLiteral("request"), QStringLiteral("index"),
        QStringLiteral("open"), QStringLiteral("close"), QStringLiteral("purge"),
        QStringLiteral("enable"), QStringLiteral("enable-request"), QStringLiteral("enable-value"),
        QStringLiteral("queue-wait") };
}

bool UsbSettings::applyOptions(const QStringList &assignments, QString *error)
{
    UsbSettings next = *this;
    for (const QString &assignment : assignments) {
        const int eq = assignment.indexOf(QLatin1Char('='));
        const QString name = assignment.left(eq).trimmed().toLower();
        const QString value = eq < 0 ? QString() : assignment.mid(eq + 1);
        quint32 v = 0;
        bool ok = false;
        if (eq < 0) {
            ok = false;
        } else if (name == QLatin1String("enable")) {
            ok = parseSwitch(value, &next.sendEnable);
        } else if (name == QLatin1String("queue-wait")) {
            // A time, so in decimal like every other time the user types.
            const uint ms = value.trimmed().toUInt(&ok, 10);
            ok = ok && ms >= 1 && ms <= kMaxQueueWaitMs;
            if (ok)
                next.queueWaitMs = ms;
        } else if (name == QLatin1String("request-type") || name == QLatin1String("request")
            || name == QLatin1String("enable-request")) {
            ok = parseHex(value, 2, &v);
            quint8 &field = name == QLatin1String("request-type") ? next.requestType
                : name == QLatin1String("request")                ? next.request
                                                                  : next.enableRequest;
            if (ok)
                field = quint8(v);
        } else if (optionNames().contains(name)) {
            ok = parseHex(value, 4, &v);
            quint16 &field = name == QLatin1String("index") ? next.index
                : name == QLatin1String("open")             ? next.openValue
                : name == QLatin1String("close")            ? next.closeValue
                : name == QLatin1String("purge")            ? next.purgeValue
                                                            : next.enableValue;
            if (ok)
                field = quint16(v);
        } else {
            ok = false;
        }
        if (!ok) {
            *error = QStringLiteral("--usb-option: \"%1\" is not NAME=VALUE with NAME one of %2 "
                                    "and VALUE hexadecimal (enable: on or off; queue-wait: 1 to %3 "
                                    "milliseconds)")
                         .arg(assignment, optionNames().join(QLatin1String(", ")))
                         .arg(kMaxQueueWaitMs);
            return false;
        }
    }
    *this = next;
    return true;
}
