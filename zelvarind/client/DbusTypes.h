// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QMap>
#include <QString>

// The D-Bus type a{ss} (every setting by name): the generated adaptor and proxy name it so.
using StringMap = QMap<QString, QString>;

namespace DbusTypes {
// Makes StringMap and QByteArrayList (aay) known to QtDBus; call before the first message that
// carries one (calling again does no harm).
void registerTypes();
} // namespace DbusTypes
