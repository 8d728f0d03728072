// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>
#include <array>

// Layout of the request frames and the codes the box echoes in byte 0 of its reply.

constexpr int MAX_REPLY = 64;
constexpr quint8 STATUS_LEN = 42;
constexpr int STATUS_BLOCK_LEN = 40;
constexpr int MAX_REQUEST = 67;

constexpr quint8 FRAME_WRITE = 0x10;
constexpr quint8 FRAME_READ = 0x11;

constexpr quint8 CODE_EDID_DATA = 0xB0;
constexpr quint8 CODE_EDID_COMMIT = 0xB1;
constexpr quint8 CODE_CEC_SEND = 0xB2;
constexpr quint8 CODE_ACTIVATE = 0xB3;
constexpr quint8 CODE_EDID_FETCH_BOX = 0xB4;
constexpr quint8 CODE_EDID_FETCH_TV_A = 0xB5;
constexpr quint8 CODE_EDID_FETCH_TV_B = 0xB6;
constexpr quint8 CODE_REGISTERS = 0xE0;
constexpr quint8 CODE_STATUS = 0xE1;
constexpr quint8 CODE_REGISTER_BLOCK = 0xE2;
constexpr quint8 CODE_CEC_STORE_1 = 0xE3;
constexpr quint8 CODE_CEC_STORE_2 = 0xE4;
constexpr quint8 CODE_INFOFRAME = 0xE5;
constexpr quint8 CODE_AVI = 0xE6;

// Selectors of the activate frame (byte 3).
constexpr quint8 ACTIVATE_CEC = 0x10;
constexpr quint8 ACTIVATE_INFOFRAME = 0x20;
constexpr quint8 ACTIVATE_AVI = 0x80;

// Bit 0 of the status reply's flags byte: the box is busy (EDID work in progress).
constexpr quint8 STATUS_FLAG_BUSY = 0x01;

// Every buffer that receives a reply holds MAX_REPLY bytes.
using Reply = std::array<quint8, MAX_REPLY>;
// The settings image, laid out by status-block position.
using RegisterImage = std::array<quint8, STATUS_BLOCK_LEN>;
