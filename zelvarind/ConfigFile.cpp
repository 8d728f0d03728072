// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/ConfigFile.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

// A configuration is a few lines; a larger file is not one (and a device such as /dev/zero
// would never end).
constexpr qint64 MAX_SIZE = 1 << 20;

bool fail(QString *error, const QString &path, const QString &text)
{
    if (error)
        *error = path + QStringLiteral(": ") + text;
    return false;
}

} // namespace

QString ConfigFile::defaultPath(bool systemBus)
{
    if (systemBus)
        return QStringLiteral("/etc/zelvarin/zelvarind.conf");
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/zelvarin/zelvarind.conf");
}

bool ConfigFile::open(const QString &path, bool required, const QStringList &known, QString *error)
{
    m_path = path;
    m_settings.reset();
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!required)
            return true;
        return fail(error, path, QStringLiteral("no such file"));
    }
    if (!info.isFile())
        return fail(error, path, QStringLiteral("is not a file"));
    if (info.size() > MAX_SIZE)
        return fail(error, path, QStringLiteral("is too large for a configuration file"));
    if (!info.isReadable())
        return fail(error, path, QStringLiteral("cannot be read"));

    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (settings->status() != QSettings::NoError)
        return fail(error, path, QStringLiteral("is not an INI file"));
    const QStringList outside = settings->childKeys();
    if (!outside.isEmpty())
        return fail(error, path,
            QStringLiteral("\"%1\" is outside a section (such as [mqtt])").arg(outside.first()));
    for (const QString &section : settings->childGroups()) {
        if (!known.contains(section))
            return fail(error, path,
                QStringLiteral("unknown section [%1] (known: [%2])")
                    .arg(section, known.join(QStringLiteral("], ["))));
    }
    m_settings = std::move(settings);
    return true;
}

bool ConfigFile::hasSection(const QString &name) const
{
    return m_settings && m_settings->childGroups().contains(name);
}
