// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// clang-format off
// FUZZ_SOURCES: edid/EdidDecoder.cpp edid/CtaDecoder.cpp edid/CtaBits.cpp edid/HdmiBlockDecoder.cpp edid/DisplayIdDecoder.cpp edid/EdidDescriber.cpp edid/CtaDescriber.cpp edid/HdmiDescriber.cpp edid/DisplayIdDescriber.cpp edid/JsonWriter.cpp edid/HexText.cpp edid/CtaVideoFormats.cpp edid/DecodeWarningText.cpp edid/EdidChecksum.cpp
// FUZZ_SEEDS: tests/data/edid
// clang-format on
// Any file a user opens or pastes goes through the EDID decoder and its describer: neither may
// read outside the table, whatever its size and contents.
#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    // fromRawData: no terminating zero after the bytes to hide a read one past the end.
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const EdidDecoded edid = EdidDecoder::decode(raw);
    EdidDescriber::lines(edid);
    // The JSON text must parse whatever the table holds.
    if (EdidDescriber::json(edid).isEmpty())
        __builtin_trap();
    return 0;
}
