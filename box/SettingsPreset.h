// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "protocol/Frames.h"
#include "protocol/SettingsTable.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A preset file: every setting of the box by name, with the firmware version it was saved from,
// as a small JSON object both front ends read and write:
//
//   { "format": 1, "firmware": "2.1.0.17", "settings": { "input": "port-b", ... } }
//
// Reading checks every entry before anything is used, so a file with one bad entry is refused as
// a whole and the box is never left half-configured by it.
class SettingsPreset
{
public:
    static constexpr int FORMAT_VERSION = 1;
    // A preset is about a kilobyte; a file larger than this is none, however it is laid out.
    // Readers read at most one byte more, so that /dev/zero or a video is refused at once.
    static constexpr qint64 FILE_LIMIT = 64 * 1024;

    struct Entry
    {
        Settings::Id id;
        quint8 value;
    };

    QString firmware; // dotted, as saved; informative only
    QList<Entry> entries; // in register order

    // The settings as the status image reports them.
    static SettingsPreset fromImage(const RegisterImage &image, const QString &firmware);

    QByteArray toJson() const;

    // Parses and checks `json`; false, with the first bad entry and why in `error`, when the file
    // is not a preset this program can load: not JSON, another format version, a name the table
    // does not know, a value the setting does not take (values the program never writes
    // included), a setting missing, or more than FILE_LIMIT bytes.
    static bool fromJson(const QByteArray &json, SettingsPreset &preset, QString *error);
};
