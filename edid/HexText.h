// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The program's one way of writing numbers and bytes in hex, for every decoder, describer and
// message: without QString::arg(), which parses its pattern on each call and showed in the
// describers' profiles.
namespace HexText {

enum class Case { Lower, Upper };

// `value` in `digits` hex digits (more when it needs more): number(0x0a4d, 4) is "0a4d".
QString number(quint32 value, int digits, Case letters = Case::Lower);
// The low byte of `value` with its prefix: byte(0x1a) is "0x1a".
QString byte(int value, Case letters = Case::Lower);
// Each byte in two digits with `separator` between them (none for '\0'): "40:04".
QString bytes(const QByteArray &data, char separator = ':', Case letters = Case::Lower);
QString bytes(const quint8 *data, int count, char separator = ':', Case letters = Case::Lower);

} // namespace HexText
