// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "box/SignalDescription.h"

#include "edid/HexText.h"
#include <QCoreApplication>
#include <iterator>

namespace {

// The label texts belong to the window's translation context, like every text it shows.
QString tr(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

// Indexed by the video identification code. The firmware's own list, kept as it is: 65 to 80 all
// read 1920x1080p100 and 91, 92 carry no width.
// clang-format off
const char *const videoFormatNames[] = {
    "",              "640x480p60",    "720x480p60",    "720x480p60w",   // 0
    "1280x720p60",   "1920x1080i60",  "720x480i60",    "720x480i60w",   // 4
    "720x240p60n",   "720x240p60w",   "2880x480i60n",  "2880x480i60w",  // 8
    "2880x240p60n",  "2880x240p60w",  "1440x480p60n",  "1440x480p60w",  // 12
    "1920x1080p60",  "720x576p50",    "720x576p50w",   "1280x720p50",   // 16
    "1920x1080i50",  "720x576i50",    "720x576i50w",   "720x288p50n",   // 20
    "720x288p50w",   "2880x576i50n",  "2880x576i50w",  "2880x288p50n",  // 24
    "2880x288p50w",  "1440x576p50n",  "1440x576p50w",  "1920x1080p50",  // 28
    "1920x1080p24",  "1920x1080p25",  "1920x1080p30",  "2880x480p60n",  // 32
    "2880x480p60w",  "2880x576p50n",  "2880x576p50w",  "1920x1080i50",  // 36
    "1920x1080i100", "1280x720p100",  "720x576p100n",  "720x576p100w",  // 40
    "720x576i100n",  "720x576i100w",  "1920x1080i120", "1280x720p120",  // 44
    "720x480p120n",  "720x480p120w",  "720x480i120n",  "720x480i120w",  // 48
    "720x576p200n",  "720x576p200w",  "720x576i200n",  "720x576i200w",  // 52
    "720x480p240n",  "720x480p240w",  "720x480i240n",  "720x480i240w",  // 56
    "1280x720p24",   "1280x720p25",   "1280x720p30",   "1920x1080p120", // 60
    "1920x1080p100", "1920x1080p100", "1920x1080p100", "1920x1080p100", // 64
    "1920x1080p100", "1920x1080p100", "1920x1080p100", "1920x1080p100", // 68
    "1920x1080p100", "1920x1080p100", "1920x1080p100", "1920x1080p100", // 72
    "1920x1080p100", "1920x1080p100", "1920x1080p100", "1920x1080p100", // 76
    "1920x1080p100", "1680x720p30",   "1680x720p50",   "1680x720p60",   // 80
    "1680x720p100",  "1680x720p120",  "2560x1080p24",  "2560x1080p25",  // 84
    "2560x1080p30",  "2560x1080p50",  "2560x1080p60",  "1080p100",      // 88
    "1080p120",      "3840x2160p24",  "3840x2160p25",  "3840x2160p30",  // 92
    "3840x2160p50",  "3840x2160p60",  "4096x2160p24",  "4096x2160p25",  // 96
    "4096x2160p30",  "4096x2160p50",  "4096x2160p60",  "3840x2160p24",  // 100
    "3840x2160p25",  "3840x2160p30",  "3840x2160p50",  "3840x2160p60",  // 104
};
// clang-format on
static_assert(std::size(videoFormatNames) == 108, "one name per code 0 to 107");

QString inputPiece(const SignalInfo &s, const QString &format, const QString &link)
{
    if (s.hdmiFormat == SignalInfo::HdmiFormat::ExtendedResolution) { // the HDMI VIC names it
        switch (s.hdmiVsdb) {
        case 1:
            return tr("Input : 3840x2160p30 300MHz %1,").arg(link);
        case 2:
            return tr("Input : 3840x2160p25 300MHz %1,").arg(link);
        case 3:
            return tr("Input : 3840x2160p24 300MHz %1,").arg(link);
        case 4:
            return tr("Input : 4096x2160p24 300MHz %1,").arg(link);
        default:
            break; // an HDMI VIC the box should not send: describe it like any other signal
        }
    } else if (s.hdmiFormat == SignalInfo::HdmiFormat::ThreeD) { // the structure follows
        switch (s.hdmiVsdb) {
        case 0x00:
            return tr("Input : %1 Frame Packed 3D,").arg(format);
        case 0x60:
            return tr("Input : %1 Top/Bottom 3D,").arg(format);
        case 0x80:
            return tr("Input : %1 Side-by-side 3D,").arg(format);
        default:
            break;
        }
    }
    // One pass over both arguments, so a '%' in a name is never taken for a placeholder.
    return tr("Input : %1 %2,").arg(format, link);
}

QString linkModePiece(const SignalInfo &s)
{
    if (s.linkMode == 2)
        return tr(" [600MHz],");
    if (s.linkMode == 1)
        return tr(" [4:2:0 10-bit],");
    if (s.vic == 97 && s.linkMode == 0)
        return tr(" [4:2:0 300MHz],");
    return QString();
}

QString outputsPiece(const SignalInfo &s)
{
    if (s.onOutputA && s.onOutputB)
        return tr(" TX A, TX B");
    if (s.onOutputA)
        return tr(" TX A");
    if (s.onOutputB)
        return tr(" TX B");
    return tr(" none");
}

QString colourText(const SignalInfo &s)
{
    QString line;
    switch (s.colourFormat) {
    case SignalInfo::ColourFormat::Rgb:
        line = tr("Color Space: RGB");
        break;
    case SignalInfo::ColourFormat::YCbCr422:
        line = tr("Color Space: YCbCr 4:2:2");
        break;
    case SignalInfo::ColourFormat::YCbCr444:
        line = tr("Color Space: YCbCr 4:4:4");
        break;
    case SignalInfo::ColourFormat::YCbCr420:
        line = tr("Color Space: YCbCr 4:2:0");
        break;
    }
    switch (s.colorimetry) {
    case 1:
        line += tr(", SMPTE 170M");
        break;
    case 2:
        line += tr(", ITU-R BT.709");
        break;
    case 3:
        line += tr(", Extended:");
        switch (s.extendedColorimetry) {
        case 0:
            line += tr(" xvYCC601");
            break;
        case 1:
            line += tr(" xvYCC709");
            break;
        case 2:
            line += tr(" sYCC601");
            break;
        case 3:
            line += tr(" AdobeYCC601");
            break;
        case 4:
            line += tr(" AdobeRGB");
            break;
        case 5:
            line += tr(" ITU-R BT.2020 YcCbcCrc");
            break;
        case 6:
            line += tr(" ITU-R BT.2020 RGB");
            break;
        default:
            break; // reserved
        }
        break;
    default:
        break; // no colorimetry data
    }
    return line;
}

QString hdrText(const SignalInfo &s)
{
    QString line = tr("HDR input: ");
    switch (s.hdrEotf) { // whatever the type byte says
    case 0:
        line += tr(" Not Active");
        break;
    case 1:
        line += tr(" HDR Luminance Range");
        break;
    case 2:
        line += tr(" SMPTE ST 2084");
        break;
    default:
        break;
    }
    return line;
}

} // namespace

QString SignalDescription::videoFormatName(unsigned code)
{
    return code < std::size(videoFormatNames) ? QString::fromLatin1(videoFormatNames[code])
                                              : QString();
}

QString SignalDescription::hexList(const quint8 *bytes, int count)
{
    return HexText::bytes(bytes, count);
}

SignalDescription SignalDescription::describe(const SignalInfo &s)
{
    SignalDescription d;
    const QString format = videoFormatName(s.vic);
    const QString link = s.hdmi ? tr("HDMI") : tr("non-HDMI");

    d.videoLine = inputPiece(s, format, link) + linkModePiece(s) + tr(" Output:") + outputsPiece(s);
    d.colourLine = colourText(s);
    d.sourceLine = tr("Source Info: %1 %2").arg(s.sourceVendor, s.sourceProduct);
    d.hdrLine = hdrText(s);
    if (s.hasHdrInfoFrame())
        d.hdrCapture = hexList(reinterpret_cast<const quint8 *>(s.hdrInfoFrame.constData()),
            int(s.hdrInfoFrame.size()));
    return d;
}

SignalDescription SignalDescription::fromBlocks(
    const Reply &block6, const Reply &block21, const Reply &block30)
{
    return describe(SignalInfo::decode(block6, block21, block30));
}
