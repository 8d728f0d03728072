// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "protocol/Frames.h"

// The box's numbered data blocks, read with a register read frame (0x11, count, 0xE2... see
// Frames.h). A reply carries the code, the block number and then the block's data bytes, so data
// byte n is reply byte n + BLOCK_DATA.
namespace Block {

constexpr int BLOCK_DATA = 2;
// Every block holds this many data bytes: one 64-byte reply less the code and the block number.
constexpr int DATA_SIZE = MAX_REPLY - BLOCK_DATA;

constexpr quint8 SIGNAL = 6; // the incoming signal's video parameters
constexpr quint8 FIRMWARE = 7; // the firmware version, four numbers
constexpr quint8 SOURCE_INFO = 21; // the source's SPD InfoFrame names
constexpr quint8 HDR_CAPTURE = 30; // the HDR InfoFrame the source sends
constexpr quint8 VENDOR_CAPTURE = 31; // read with the others every tick, not shown
constexpr quint8 CUSTOM_INFOFRAME = 35; // the HDR InfoFrame the user loaded
constexpr quint8 CUSTOM_AVI = 36; // the AVI InfoFrame bytes the user loaded

// Reply lengths the program asks for.
constexpr quint8 SIGNAL_REFLECT_LEN = 14; // with the status, at each settings reflection
constexpr quint8 SIGNAL_DESCRIBE_LEN = 15; // for the signal description
constexpr quint8 CAPTURE_LEN = 31; // blocks 21, 30 and 31
constexpr quint8 FIRMWARE_LEN = 8;
constexpr quint8 CUSTOM_INFOFRAME_LEN = 33;
constexpr quint8 CUSTOM_AVI_LEN = 15;

// Bytes of the custom InfoFrames shown in the window's text boxes.
constexpr int CUSTOM_INFOFRAME_SHOWN = 31;
constexpr int CUSTOM_AVI_SHOWN = 13;

// Data-byte offsets inside block 6.
namespace Signal {
constexpr int VIC = 0;
constexpr int LINK_FLAGS = 1; // bit 4: HDMI
constexpr int LINK_MODE = 2; // 2 = 600 MHz, 1 = 4:2:0 10-bit, 0 = plain
constexpr int OUTPUTS = 3; // 0x20 TX A, 0x40 TX B
constexpr int HDMI_VSDB = 7;
constexpr int AVI_1 = 8;
constexpr int AVI_2 = 9;
constexpr int AVI_3 = 10;
constexpr int AVI_VIC = 11;
constexpr int HDMI_FORMAT = 12;
} // namespace Signal

// Data-byte offsets inside block 21.
namespace SourceInfo {
constexpr int VENDOR = 2;
constexpr int VENDOR_LEN = 8;
constexpr int PRODUCT = 10;
constexpr int PRODUCT_LEN = 16;
} // namespace SourceInfo

// Data-byte offsets inside block 30: an InfoFrame's type and length, then its data bytes.
namespace Capture {
constexpr int TYPE = 0;
constexpr int LENGTH = 1;
constexpr int DATA = 2;
constexpr quint8 HDR_INFOFRAME = 0x87;
// Reply bytes 4 to 30: the most data bytes a 31-byte reply can carry.
constexpr int MAX_DATA = CAPTURE_LEN - BLOCK_DATA - DATA;
} // namespace Capture

} // namespace Block
