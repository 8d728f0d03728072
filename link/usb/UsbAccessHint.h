// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a user who may not open the box is told to do, naming the files as they are on this
// computer: the udev rule where udev reads it and the hardware notes where the package (or
// `cmake --install`) put them. A program run from its build folder has neither installed and
// is pointed at the source tree instead. Found when asked, so one binary says the right thing
// wherever it runs.
class UsbAccessHint
{
public:
    // The files found, empty where none of the places holds one.
    struct Found
    {
        QString rule;
        QString notes;
    };

    // The first of `rules` and of `notes` that exists.
    static Found find(const QStringList &rules, const QStringList &notes);
    // The places looked at: udev's own folders, and the notes beside the program and under /usr.
    static QStringList rulePlaces();
    static QStringList notePlaces();

    // The advice after "no permission to open USB device ...; ".
    static QByteArray advice(const Found &found);
    static QByteArray advice() { return advice(find(rulePlaces(), notePlaces())); }
};
