// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "packets/CecDecoded.h"

#include <QByteArray>

// Turns the bytes of one CEC message (header, opcode, operands) into a CecDecoded.
namespace CecDecoder {

// A CEC frame holds at most 16 bytes; more are decoded, with a warning.
constexpr int MAX_MESSAGE = 16;

CecDecoded decode(const QByteArray &bytes);

} // namespace CecDecoder
