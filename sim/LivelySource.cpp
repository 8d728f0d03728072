#include "LivelySource.h"

#include "BoxFactory.h"

namespace LivelySource {

void change(int step, RegisterImage &status, QByteArray &signalBlock, QByteArray &hdrBlock)
{
    namespace S = BoxFactory::Signal;
    switch (step % 3) {
    case 0:
        // Automatic switching moves to the other port; without it the input stays put.
        if (status[6] == 1)
            status[0] = status[0] == 1 ? 2 : 1;
        break;
    case 1: {
        // 4K60 YCbCr 4:4:4 BT.2020 at 600 MHz <-> 1080p60 RGB BT.709.
        const bool uhd = quint8(signalBlock[S::Vic]) == 97;
        signalBlock[S::Vic] = char(uhd ? 16 : 97);
        signalBlock[S::AviVic] = signalBlock[S::Vic];
        signalBlock[S::LinkMode] = char(uhd ? 0 : 2);
        signalBlock[S::AviDb1] = char(uhd ? 0x10 : 0x50);
        signalBlock[S::AviDb2] = char(uhd ? 0xA8 : 0xE8);
        signalBlock[S::AviDb3] = char(uhd ? 0x00 : 0x60);
        break;
    }
    default: {
        // HDR10 <-> SDR: an SDR source sends no HDR InfoFrame, so the capture empties.
        const bool hdrOn = quint8(hdrBlock[0]) == 0x87 && quint8(hdrBlock[2]) == 2;
        if (hdrOn)
            hdrBlock.fill('\0');
        else
            hdrBlock = BoxFactory::hdrCaptureBlock();
        break;
    }
    }
}

} // namespace LivelySource
