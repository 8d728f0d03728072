// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/usb/UsbAccessHint.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
const char kRule[] = "60-zelvarin.rules";
} // namespace

UsbAccessHint::Found UsbAccessHint::find(const QStringList &rules, const QStringList &notes)
{
    Found found;
    for (const QString &path : rules) {
        if (QFileInfo::exists(path)) {
            found.rule = path;
            break;
        }
    }
    for (const QString &path : notes) {
        if (QFileInfo::exists(path)) {
            found.notes = path;
            break;
        }
    }
    return found;
}

QStringList UsbAccessHint::rulePlaces()
{
    // udev reads no other folders, so a rule anywhere else would change nothing.
    QStringList places;
    for (const char *folder : { "/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d" })
        places << QLatin1String(folder) + QLatin1Char('/') + QLatin1String(kRule);
    return places;
}

QStringList UsbAccessHint::notePlaces()
{
    const QString doc = QStringLiteral("share/doc/zelvarin/hardware.md");
    QStringList places;
    // Beside the program: <prefix>/bin/zelvarin has its notes in <prefix>/share/doc/zelvarin.
    if (QCoreApplication::instance())
        places << QDir(QCoreApplication::applicationDirPath())
                      .absoluteFilePath(QStringLiteral("../") + doc);
    places << QStringLiteral("/usr/") + doc;
    return places;
}

QByteArray UsbAccessHint::advice(const Found &found)
{
    const QString notes = found.notes.isEmpty()
        ? QStringLiteral("docs/hardware.md in the source tree")
        : found.notes;
    if (!found.rule.isEmpty())
        return QStringLiteral("the udev rule %1 lets the user at the computer open it once it is "
                              "plugged in again; over ssh or for a service see %2.")
            .arg(found.rule, notes)
            .toLocal8Bit();
    return QStringLiteral("install the udev rule %1 in /etc/udev/rules.d (it is dist/%1 in the "
                          "source tree) and plug the box in again; see %2.")
        .arg(QLatin1String(kRule), notes)
        .toLocal8Bit();
}
