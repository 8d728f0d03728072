// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/EdidChecksum.h"

quint8 edidChecksum(const quint8 *block)
{
    quint8 sum = 0;
    for (int i = 0; i < 127; ++i)
        sum = quint8(sum + block[i]);
    return quint8(256 - sum);
}
