// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/client/DbusTypes.h"

#include <QDBusMetaType>

void DbusTypes::registerTypes()
{
    qDBusRegisterMetaType<StringMap>();
    qDBusRegisterMetaType<QByteArrayList>();
    // Slots and properties name the type by its alias; QtDBus looks their types up by name.
    qRegisterMetaType<StringMap>("StringMap");
}
