#pragma once

#include "EdidImage.h"
#include "Frames.h"

#include <QByteArray>
#include <QMap>

// The content the simulated box leaves the factory with, kept in one place: the settings image,
// the signal blocks of a 4K HDR source, the stored InfoFrames and the EDID tables.
namespace BoxFactory {

// Every block carries 62 data bytes: a 64-byte reply less the code and the index byte.
constexpr int kBlockDataSize = MAX_REPLY - 2;

// Block numbers with content of their own.
constexpr quint8 kBlockSignal = 6;
constexpr quint8 kBlockFirmware = 7;
constexpr quint8 kBlockSourceInfo = 21;
constexpr quint8 kBlockHdrCapture = 30;
constexpr quint8 kBlockVendorCapture = 31;
constexpr quint8 kBlockCustomInfoFrame = 35;
constexpr quint8 kBlockCustomAvi = 36;

// Data-byte offsets inside block 6 (reply byte = offset + 2).
namespace Signal {
constexpr int Vic = 0;
constexpr int LinkFlags = 1; // bit 4: HDMI
constexpr int LinkMode = 2; // 2 = 600 MHz, 1 = 4:2:0 10-bit, 0 = plain
constexpr int Outputs = 3; // 0x20 TX A, 0x40 TX B
constexpr int HdmiVsdb = 7;
constexpr int AviDb1 = 8;
constexpr int AviDb2 = 9;
constexpr int AviDb3 = 10;
constexpr int AviVic = 11;
constexpr int HdmiFormat = 12;
} // namespace Signal

RegisterImage statusBlock();
// The status-block position a register's value is reported at; -1 for registers without one.
int registerPosition(quint8 reg);
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
