// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// clang-format off
// FUZZ_SOURCES: packets/InfoFrameDecoder.cpp packets/InfoFrameDescriber.cpp packets/HexInput.cpp edid/CtaVideoFormats.cpp edid/DecodeWarningText.cpp edid/HexText.cpp
// clang-format on
// InfoFrame bytes come from the box's capture blocks and from the window's text boxes: every
// form and hint must decode and describe any of them, and the text parse must take any text.
#include "packets/HexInput.h"
#include "packets/InfoFrameDecoder.h"
#include "packets/InfoFrameDescriber.h"

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    using H = InfoFrameDecoder::Hint;
    for (H hint : { H::Detect, H::HdrPayload, H::AviPayload, H::WithHeader }) {
        const InfoFrameDecoded frame = InfoFrameDecoder::decode(raw, hint);
        InfoFrameDescriber::lines(frame);
        InfoFrameDescriber::json(frame);
    }
    const HexInput::Result text = HexInput::parse(QString::fromLatin1(raw));
    if (text.ok)
        InfoFrameDescriber::lines(InfoFrameDecoder::decode(text.bytes));
    return 0;
}
