// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/BoxFactory.h"

#include <QFile>
#include <QtDebug>

#include <algorithm>

namespace BoxFactory {
namespace {

EdidImage loadEdid(const char *name)
{
    EdidImage image {};
    QFile file(QStringLiteral(":/sim/edid/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) {
        // Only a broken build gets here (the resource was not linked); an empty table is still a
        // table, and the tests of the box catch it.
        qWarning("simulated box: EDID resource %s missing", name);
        return image;
    }
    const QByteArray bytes = file.readAll();
    std::copy_n(bytes.constData(), std::min<int>(int(bytes.size()), EDID_SIZE), image.begin());
    return image;
}

void put16(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value & 0xFF));
    bytes.append(char(value >> 8));
}

} // namespace

RegisterImage statusBlock()
{
    RegisterImage p {};
    p[0] = 1; // active input: PORT A
    p[1] = 1; // audio from HDMI
    p[2] = 1; // EDID mode: automix
    p[3] = 3; // HDCP 2.2
    p[4] = 0; // no 4:2:0 output
    p[5] = 1; // CEC processing on
    p[6] = 1; // automatic input switching on
    p[9] = 1; // EDID mode may be changed
    p[10] = 1; // HDCP version may be changed
    p[11] = 1; // audio source may be changed
    p[16] = 1; // HDR in the EDID
    p[26] = 1; // green LED on
    p[27] = 1; // blue LEDs on
    p[28] = 0; // no BT.2020 in the EDID (as the window's form starts)
    p[29] = 1; // YCbCr in the EDID
    p[30] = 0; // CEC device type: video processor
    p[32] = 0; // automix: min mixed
    return p;
}

QByteArray asBlock(const QByteArray &bytes)
{
    QByteArray block = bytes.left(kBlockDataSize);
    block.append(QByteArray(kBlockDataSize - block.size(), '\0'));
    return block;
}

QByteArray hdrMetadata(quint8 eotf)
{
    QByteArray data;
    data.append(char(eotf));
    data.append('\0'); // static metadata descriptor 1
    // Display primaries (green, blue, red) and white point of a BT.2020 / D65 mastering display,
    // in units of 0.00002.
    for (quint16 v : { 8500, 39850, 6550, 2300, 35400, 14600, 15635, 16450 })
        put16(data, v);
    put16(data, 1000); // max mastering luminance, cd/m2
    put16(data, 50); // min mastering luminance, 0.0001 cd/m2
    put16(data, 1000); // MaxCLL
    put16(data, 400); // MaxFALL
    return data; // 26 bytes
}

QByteArray hdrCaptureBlock()
{
    QByteArray frame;
    frame.append(char(0x87));
    const QByteArray metadata = hdrMetadata(2);
    frame.append(char(metadata.size()));
    frame.append(metadata);
    return asBlock(frame);
}

QByteArray customInfoFrame()
{
    const QByteArray data = hdrMetadata(2);
    QByteArray frame;
    frame.append(char(0x87));
    frame.append(char(0x01));
    frame.append(char(data.size()));
    frame.append('\0');
    frame.append(data);
    quint8 sum = 0;
    for (char c : frame)
        sum = quint8(sum + quint8(c));
    frame[3] = char(quint8(0x100 - sum)); // the bytes of an InfoFrame sum to zero
    return frame;
}

QByteArray customAvi()
{
    // YCbCr 4:4:4, extended colorimetry BT.2020, 16:9, VIC 97; no bars.
    QByteArray avi(13, '\0');
    avi[0] = char(0x50);
    avi[1] = char(0xE8);
    avi[2] = char(0x60);
    avi[3] = char(97);
    return avi;
}

QMap<quint8, QByteArray> blocks(const quint8 firmware[4])
{
    QMap<quint8, QByteArray> map;

    QByteArray signal(kBlockDataSize, '\0');
    signal[Block::Signal::VIC] = char(97); // 3840x2160p60
    signal[Block::Signal::LINK_FLAGS] = char(0x10); // HDMI
    signal[Block::Signal::LINK_MODE] = char(2); // 600 MHz
    signal[Block::Signal::OUTPUTS] = char(0x60); // TX A and TX B
    signal[Block::Signal::HDMI_VSDB] = char(0x00);
    signal[Block::Signal::AVI_1] = char(0x50); // YCbCr 4:4:4, active format present
    signal[Block::Signal::AVI_2] = char(0xE8); // extended colorimetry, 16:9, as picture
    signal[Block::Signal::AVI_3] = char(0x60); // BT.2020
    signal[Block::Signal::AVI_VIC] = char(97);
    signal[Block::Signal::HDMI_FORMAT] = char(0x00);
    map.insert(Block::SIGNAL, signal);

    QByteArray version(kBlockDataSize, '\0');
    for (int i = 0; i < 4; ++i)
        version[i] = char(firmware[i]);
    map.insert(Block::FIRMWARE, version);

    // SPD InfoFrame: type, length, then vendor (8) and product (16) as the source sent them.
    QByteArray spd;
    spd.append(char(0x83));
    spd.append(char(25));
    spd.append(QByteArray("STREAMCO").leftJustified(8, '\0', true));
    spd.append(QByteArray("Media Player 4K").leftJustified(16, '\0', true));
    spd.append(char(0x01)); // source: digital set-top box
    map.insert(Block::SOURCE_INFO, asBlock(spd));

    map.insert(Block::HDR_CAPTURE, hdrCaptureBlock());

    // A captured HDMI vendor-specific InfoFrame; the program reads it but shows nothing of it.
    const char vsif[] = { char(0x81), char(0x01), char(0x05), char(0x03), char(0x0C), char(0x00) };
    map.insert(Block::VENDOR_CAPTURE, asBlock(QByteArray(vsif, sizeof vsif)));

    map.insert(Block::CUSTOM_INFOFRAME, asBlock(customInfoFrame()));
    map.insert(Block::CUSTOM_AVI, asBlock(customAvi()));
    return map;
}

EdidImage factoryEdid()
{
    return loadEdid("tv-hdr-600mhz.bin");
}
EdidImage tvEdidA()
{
    return loadEdid("tv-hdr-dynamic.bin");
}
EdidImage tvEdidB()
{
    return loadEdid("projector-4k-hdr.bin");
}

} // namespace BoxFactory
