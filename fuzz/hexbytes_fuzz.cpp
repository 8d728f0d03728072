// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Feeds arbitrary texts to the hex conversion shared by the CEC and InfoFrame fields. libFuzzer
// hands over a buffer of exactly the input's size, so AddressSanitizer reports any read outside
// the text. The checks: no crash, the result fits the output, the count byte agrees with the
// result and a load frame built from it is exactly count + 3 bytes long.
// FUZZ_SOURCES: link/HexBytes.cpp protocol/SettingsTable.cpp
#include "link/HexBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    const int length = static_cast<int>(size);

    for (bool withCount : { false, true }) {
        HexOutput out;
        const quint8 count = parseHexBytes(text, length, withCount, out);
        if (count < 1 || count > HEX_OUTPUT_LEN)
            std::abort();
        if (withCount && out[1] != static_cast<quint8>(count - 2))
            std::abort();
        const QByteArray frame = buildLoadFrame(0xB2, out, count);
        if (frame.size() != count + 3 || static_cast<quint8>(frame[1]) != count)
            std::abort();
    }

    // The preparation the window applies first, on the same bytes read as Latin-1.
    const QByteArray prepared
        = prepareHexText(QString::fromLatin1(text, static_cast<qsizetype>(size)));
    if (prepared.isEmpty() || prepared.back() != '\r')
        std::abort();
    HexOutput out;
    const quint8 count = parseHexBytes(prepared.constData(), int(prepared.size()), true, out);
    if (buildLoadFrame(0xE5, out, count).size() != count + 3)
        std::abort();
    return 0;
}
