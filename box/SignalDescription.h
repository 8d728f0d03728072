// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "box/SignalInfo.h"
#include "protocol/Blocks.h"
#include "protocol/Frames.h"

#include <QString>

// The window's words for the incoming signal: the four header lines and the captured HDR
// InfoFrame. Pure text work on the decoded signal, so it can be tested without a window or a box.
struct SignalDescription
{
    QString videoLine; // format, link mode and the outputs that carry it
    QString colourLine; // colour space and colorimetry
    QString sourceLine; // source vendor and product (SPD InfoFrame)
    QString hdrLine; // EOTF of the HDR InfoFrame
    QString hdrCapture; // the HDR InfoFrame's data bytes as hex; empty when there is none

    static SignalDescription describe(const SignalInfo &signal);

    // Decodes and describes the replies of block 6 (15 bytes), block 21 (31 bytes) and
    // block 30 (31 bytes); each reply starts with the code byte.
    static SignalDescription fromBlocks(
        const Reply &block6, const Reply &block21, const Reply &block30);

    // The name of a CTA-861 video identification code; empty above the table.
    static QString videoFormatName(unsigned code);

    // Bytes as two-digit lower-case hex joined by colons ("0a:87:01").
    static QString hexList(const quint8 *bytes, int count);

    // The most data bytes of a captured InfoFrame the box's reply can carry.
    static constexpr int MAX_CAPTURE_BYTES = Block::Capture::MAX_DATA;
};
