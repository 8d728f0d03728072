// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "protocol/Frames.h"
#include "protocol/SettingsTable.h"

#include <QList>
#include <QPair>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QWidget;
namespace Ui {
class ZelvarinForm;
}

// Which control shows which setting, and how: the settings table walked once per status
// reflection. The order of the rows is the order the controls are set in, which matters, because
// the check boxes and lists run their slots (and write the box) when the program changes them.
class SettingsReflection
{
public:
    explicit SettingsReflection(Ui::ZelvarinForm &form);

    // Puts the settings image into the controls, then enables what the box lets the user change.
    void apply(const RegisterImage &image) const;

private:
    struct Row
    {
        Settings::Id id = Settings::Id::Input;
        // A list: its index is the value minus `listBase` (a value past the end leaves no item).
        QComboBox *list = nullptr;
        int listBase = 0;
        // A check box, checked for 1.
        QCheckBox *check = nullptr;
        // Two buttons: `on` checked for 1, `off` for any other value.
        QAbstractButton *on = nullptr, *off = nullptr;
        // Radio buttons by value: the value's button is checked, then the others unchecked; a
        // value of none of them leaves them as they are, except `noneValue`, which unchecks all.
        QList<QPair<quint8, QAbstractButton *>> radios;
        int noneValue = -1;
        // Enabled while the radios show `followValue`, disabled while they show another one.
        QList<QWidget *> follow;
        quint8 followValue = 0;
    };

    void applyRadios(const Row &row, quint8 value) const;

    Ui::ZelvarinForm &ui;
    QList<Row> m_rows;
};
