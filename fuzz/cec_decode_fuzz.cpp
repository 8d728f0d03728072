// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// clang-format off
// FUZZ_SOURCES: packets/CecDecoder.cpp packets/CecDescriber.cpp packets/CecNames.cpp packets/HexInput.cpp edid/DecodeWarningText.cpp edid/HexText.cpp
// clang-format on
// A CEC message of any length and contents decodes and describes without reading past it.
#include "packets/CecDecoder.h"
#include "packets/CecDescriber.h"
#include "packets/HexInput.h"

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const CecDecoded message = CecDecoder::decode(raw);
    CecDescriber::lines(message);
    CecDescriber::json(message);
    const HexInput::Result text = HexInput::parse(QString::fromLatin1(raw));
    if (text.ok)
        CecDescriber::lines(CecDecoder::decode(text.bytes));
    return 0;
}
