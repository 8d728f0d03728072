#include "SignalDescription.h"

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

// Block 6: the signal's video parameters.
constexpr int VIC = 2;
constexpr int LINK_FLAGS = 3;
constexpr int LINK_MODE = 4;
constexpr int OUTPUTS = 5;
constexpr int HDMI_VSDB = 9;
constexpr int AVI_1 = 10;
constexpr int AVI_2 = 11;
constexpr int AVI_3 = 12;
constexpr int HDMI_FORMAT = 14;

// Block 21: the source's SPD InfoFrame names.
constexpr int VENDOR = 4;
constexpr int VENDOR_LEN = 8;
constexpr int PRODUCT = 12;
constexpr int PRODUCT_LEN = 16;

// Block 30: the captured HDR InfoFrame.
constexpr int IF_TYPE = 2;
constexpr int IF_LENGTH = 3;
constexpr int IF_DATA = 4;
constexpr quint8 HDR_INFOFRAME = 0x87;

QString fieldText(const Reply &reply, int offset, int width)
{
    int length = 0;
    while (length < width && reply[offset + length] != 0)
        ++length;
    return QString::fromLatin1(reinterpret_cast<const char *>(reply.data() + offset), length);
}

QString inputPiece(const Reply &b6, const QString &format, const QString &link)
{
    if (b6[HDMI_FORMAT] == 0x20) { // extended resolution: the HDMI VIC names the format
        switch (b6[HDMI_VSDB]) {
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
    } else if (b6[HDMI_FORMAT] == 0x40) { // 3D: the structure follows the format name
        switch (b6[HDMI_VSDB]) {
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

QString linkModePiece(const Reply &b6)
{
    if (b6[LINK_MODE] == 2)
        return tr(" [600MHz],");
    if (b6[LINK_MODE] == 1)
        return tr(" [4:2:0 10-bit],");
    if (b6[VIC] == 97 && b6[LINK_MODE] == 0)
        return tr(" [4:2:0 300MHz],");
    return QString();
}

QString outputsPiece(const Reply &b6)
{
    switch (b6[OUTPUTS] & 0x60) {
    case 0x60:
        return tr(" TX A, TX B");
    case 0x20:
        return tr(" TX A");
    case 0x40:
        return tr(" TX B");
    default:
        return tr(" none");
    }
}

QString colourText(const Reply &b6)
{
    QString line;
    switch (b6[AVI_1] & 0x60) {
    case 0x00:
        line = tr("Color Space: RGB");
        break;
    case 0x20:
        line = tr("Color Space: YCbCr 4:2:2");
        break;
    case 0x40:
        line = tr("Color Space: YCbCr 4:4:4");
        break;
    default:
        line = tr("Color Space: YCbCr 4:2:0");
        break;
    }
    switch (b6[AVI_2] & 0xC0) {
    case 0x40:
        line += tr(", SMPTE 170M");
        break;
    case 0x80:
        line += tr(", ITU-R BT.709");
        break;
    case 0xC0:
        line += tr(", Extended:");
        switch (b6[AVI_3] & 0x70) {
        case 0x00:
            line += tr(" xvYCC601");
            break;
        case 0x10:
            line += tr(" xvYCC709");
            break;
        case 0x20:
            line += tr(" sYCC601");
            break;
        case 0x30:
            line += tr(" AdobeYCC601");
            break;
        case 0x40:
            line += tr(" AdobeRGB");
            break;
        case 0x50:
            line += tr(" ITU-R BT.2020 YcCbcCrc");
            break;
        case 0x60:
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

QString hdrText(const Reply &b30)
{
    QString line = tr("HDR input: ");
    switch (b30[IF_DATA]) { // the EOTF, whatever the type byte says
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
    QString text;
    text.reserve(count * 3);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += QLatin1Char(':');
        text += QStringLiteral("%1").arg(uint(bytes[i]), 2, 16, QLatin1Char('0'));
    }
    return text;
}

SignalDescription SignalDescription::fromBlocks(
    const Reply &block6, const Reply &block21, const Reply &block30)
{
    SignalDescription d;
    const QString format = videoFormatName(block6[VIC]);
    const QString link = (block6[LINK_FLAGS] & 0x10) ? tr("HDMI") : tr("non-HDMI");

    d.videoLine = inputPiece(block6, format, link) + linkModePiece(block6) + tr(" Output:")
        + outputsPiece(block6);
    d.colourLine = colourText(block6);
    d.sourceLine = tr("Source Info: %1 %2")
                       .arg(fieldText(block21, VENDOR, VENDOR_LEN),
                           fieldText(block21, PRODUCT, PRODUCT_LEN));
    d.hdrLine = hdrText(block30);

    // A length byte larger than the reply can carry shows what the reply holds, no more.
    if (block30[IF_TYPE] == HDR_INFOFRAME && block30[IF_LENGTH] >= 1) {
        const int count = qMin(int(block30[IF_LENGTH]), MAX_CAPTURE_BYTES);
        d.hdrCapture = hexList(block30.data() + IF_DATA, count);
    }
    return d;
}
