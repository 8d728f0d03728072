// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// FUZZ_SOURCES: edid/EdidFile.cpp edid/EdidText.cpp
// Whatever file a user picks goes through the load: the conversion must stay inside the bytes it
// was given, stop at 1024 bytes, and never grow the text.
#include "edid/EdidFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    // Exactly `size` bytes on the heap, so the sanitizer sees any look-ahead past the end.
    const QByteArray raw(reinterpret_cast<const char *>(data), int(size));

    if (EdidFile::isBinaryTable(raw)) {
        EdidFile::tableFromBinary(raw);
        return 0;
    }
    const QByteArray text = EdidFile::hexTextFromFile(raw);
    if (text.size() > EdidFile::READ_LIMIT || text.size() > raw.size() || text.contains('\0'))
        std::abort();
    return 0;
}
