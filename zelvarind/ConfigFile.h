// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>

// The service's configuration file: INI, one section per part of the service that takes settings
// (`[mqtt]`, the MQTT bridge). The service runs without one; a file that is there but cannot be
// read, or has a section or key nobody reads (a misspelt `[mqt]` would otherwise be silently no
// bridge), stops it at start-up with a line that says so.
class ConfigFile
{
public:
    // For the session bus $XDG_CONFIG_HOME/zelvarin/zelvarind.conf (~/.config when it is unset),
    // for the system bus /etc/zelvarin/zelvarind.conf.
    static QString defaultPath(bool systemBus);

    // Reads `path`, which has only sections of `known`. A file that does not exist is no
    // configuration unless it is `required` (named on the command line). False with one line in
    // `error` otherwise.
    bool open(const QString &path, bool required, const QStringList &known, QString *error);

    bool exists() const { return m_settings != nullptr; }
    QString path() const { return m_path; }
    bool hasSection(const QString &name) const;
    // Only while exists().
    QSettings &settings() { return *m_settings; }

private:
    QString m_path;
    std::unique_ptr<QSettings> m_settings;
};
