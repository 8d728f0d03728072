// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "packets/InfoFrameDecoded.h"

#include <QByteArray>

// Turns InfoFrame bytes into an InfoFrameDecoded, on any input, never reading past it.
namespace InfoFrameDecoder {

enum class Hint {
    Detect, // a known type byte (0x82, 0x87) first means a header, else payload (see below)
    HdrPayload,
    AviPayload,
    WithHeader, // Full or Captured, told apart by the second byte
};

// The largest payloads the window's text boxes take.
constexpr int HDR_PAYLOAD_MAX = 31;
constexpr int AVI_PAYLOAD_MAX = 13;
constexpr int HDR_STATIC_SIZE = 26;

// Detect on a bare payload: an HDR payload starts with its EOTF (0..7), an AVI payload with a
// byte that has the colour format or active format bits set, or else is 13 bytes long.
InfoFrameDecoded decode(const QByteArray &bytes, Hint hint = Hint::Detect);

// The bytes of one kind of InfoFrame (Hdr or Avi) as a person types or pastes them, the rule
// every front end reads them by: the whole frame (type, version, length, checksum, data) when they
// start with that kind's own type code, else its payload. No payload starts so: for HDR the EOTF
// would have its reserved bits set, for AVI the colour format would be a reserved one. Unknown
// as `kind` detects, as decode() does.
InfoFrameDecoded decodeAs(InfoFrameDecoded::Type kind, const QByteArray &bytes);

} // namespace InfoFrameDecoder
