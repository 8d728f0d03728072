// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// FUZZ_SOURCES: edid/EdidText.cpp
// Any text a user can type or paste into the EDID box goes through the parse: it must never read
// or write outside its buffers, and whatever it accepts must survive the canonical round trip.
#include "edid/EdidText.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char *>(data), int(size));

    EdidImage image;
    EdidText::parseLatin1(raw, image);
    // The window's path: upper-casing may change the length of non-ASCII text.
    const int count = EdidText::parse(QString::fromUtf8(raw), image);

    if (count >= 0) {
        EdidImage again;
        if (EdidText::parse(EdidText::canonical(image), again) != EDID_SIZE || again != image)
            std::abort();
    }
    return 0;
}
