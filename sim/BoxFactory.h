// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/EdidImage.h"
#include "protocol/Blocks.h"
#include "protocol/Frames.h"

#include <QByteArray>
#include <QMap>

// The content the simulated box leaves the factory with, kept in one place: the settings image,
// the signal blocks of a 4K HDR source, the stored InfoFrames and the EDID tables.
namespace BoxFactory {

// Every block carries Block::DATA_SIZE data bytes (Blocks.h gives their numbers and layouts).
constexpr int kBlockDataSize = Block::DATA_SIZE;

RegisterImage statusBlock();
// Blocks 6, 7, 21, 30, 31, 35 and 36, each kBlockDataSize bytes.
QMap<quint8, QByteArray> blocks(const quint8 firmware[4]);
// Block 30 as an HDR10 source fills it: type 0x87, length, data bytes with EOTF 2.
QByteArray hdrCaptureBlock();
// A complete custom HDR InfoFrame (type, version, length, checksum, data), as a user would load it.
QByteArray customInfoFrame();
// AVI InfoFrame data bytes 1 to 13.
QByteArray customAvi();
// HDR InfoFrame data bytes with the given EOTF and realistic mastering data.
QByteArray hdrMetadata(quint8 eotf);

// Real EDID tables compiled into the library.
EdidImage factoryEdid();
EdidImage tvEdidA();
EdidImage tvEdidB();

// `bytes` padded with zeros (or cut) to a block's size.
QByteArray asBlock(const QByteArray &bytes);

} // namespace BoxFactory
