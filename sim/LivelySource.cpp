// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/LivelySource.h"

#include "protocol/SettingsTable.h"
#include "sim/BoxFactory.h"

namespace LivelySource {

void change(int step, RegisterImage &status, QByteArray &signalBlock, QByteArray &hdrBlock)
{
    namespace S = Block::Signal;
    switch (step % 3) {
    case 0: {
        // Automatic switching moves to the other port; without it the input stays put.
        const int input = Settings::setting(Settings::Id::Input).position;
        if (status[Settings::setting(Settings::Id::AutoSwitch).position] == 1)
            status[input] = status[input] == 1 ? 2 : 1;
        break;
    }
    case 1: {
        // 4K60 YCbCr 4:4:4 BT.2020 at 600 MHz <-> 1080p60 RGB BT.709.
        const bool uhd = quint8(signalBlock[S::VIC]) == 97;
        signalBlock[S::VIC] = char(uhd ? 16 : 97);
        signalBlock[S::AVI_VIC] = signalBlock[S::VIC];
        signalBlock[S::LINK_MODE] = char(uhd ? 0 : 2);
        signalBlock[S::AVI_1] = char(uhd ? 0x10 : 0x50);
        signalBlock[S::AVI_2] = char(uhd ? 0xA8 : 0xE8);
        signalBlock[S::AVI_3] = char(uhd ? 0x00 : 0x60);
        break;
    }
    default: {
        // HDR10 <-> SDR: an SDR source sends no HDR InfoFrame, so the capture empties.
        namespace C = Block::Capture;
        const bool hdrOn
            = quint8(hdrBlock[C::TYPE]) == C::HDR_INFOFRAME && quint8(hdrBlock[C::DATA]) == 2;
        if (hdrOn)
            hdrBlock.fill('\0');
        else
            hdrBlock = BoxFactory::hdrCaptureBlock();
        break;
    }
    }
}

} // namespace LivelySource
