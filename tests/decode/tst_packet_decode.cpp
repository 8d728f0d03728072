// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// InfoFrame and CEC decoders and the hex text they read, case by case from the CTA-861 and
// HDMI-CEC tables. Every case gives hex text, goes through HexInput and checks the describer's
// lines, so each row covers parse, decode and words together.
#include "packets/CecDecoder.h"
#include "packets/CecDescriber.h"
#include "packets/HexInput.h"
#include "packets/InfoFrameDecoder.h"
#include "packets/InfoFrameDescriber.h"
#include "sim/BoxFactory.h"

#include <QJsonArray>
#include <QTest>

namespace {

// The HDR payload of the simulated box: PQ, BT.2020 primaries (G, B, R) and D65, 1000 and
// 0.005 cd/m2 mastering, MaxCLL 1000, MaxFALL 400.
const char kBoxHdr[] = "02:00:34:21:aa:9b:96:19:fc:08:48:8a:08:39:13:3d:42:40:e8:03:32:00:e8:03:"
                       "90:01";
// A DCI-P3 D65 mastering display as typed into the window.
const char kP3Hdr[] = "02:00:c2:33:c4:86:4c:1d:b8:0b:d0:84:80:3e:13:3d:42:40:e8:03:32:00:e8:03:"
                      "90:01";

QByteArray bytes(const char *text)
{
    const HexInput::Result r = HexInput::parse(QString::fromLatin1(text));
    return r.bytes;
}

// Header and checksum in front of a payload, as the link carries an InfoFrame.
QByteArray framed(quint8 type, quint8 version, const QByteArray &payload, int checksumError = 0)
{
    QByteArray f;
    f.append(char(type));
    f.append(char(version));
    f.append(char(payload.size()));
    f.append('\0');
    f.append(payload);
    quint8 sum = 0;
    for (char c : f)
        sum = quint8(sum + quint8(c));
    f[3] = char(quint8(0x100 - sum + checksumError));
    return f;
}

QByteArray captured(quint8 type, const QByteArray &payload, int padding)
{
    return QByteArray(1, char(type)) + char(payload.size()) + payload + QByteArray(padding, '\0');
}

QList<int> warningKinds(const DecodeWarnings &warnings)
{
    QList<int> kinds;
    for (const DecodeWarning &w : warnings)
        kinds << int(w.kind);
    return kinds;
}

void verifyLines(const QStringList &lines, const QStringList &expected)
{
    const QString text = lines.join(QLatin1Char('\n'));
    for (const QString &e : expected)
        QVERIFY2(text.contains(e), qPrintable(QStringLiteral("'%1' not in:\n%2").arg(e, text)));
}

} // namespace

Q_DECLARE_METATYPE(InfoFrameDecoder::Hint)

class TestPacketDecode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void infoFrames_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<InfoFrameDecoder::Hint>("hint");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QList<int>>("warnings");
        using H = InfoFrameDecoder::Hint;
        const QByteArray boxHdr = bytes(kBoxHdr);
        const QStringList boxLines { "payload of 26 bytes", "EOTF: SMPTE ST 2084 (PQ)",
            "Static metadata type 1",
            "Display primaries: (0.17000, 0.79700) (0.13100, 0.04600) (0.70800, 0.29200)",
            "White point: (0.31270, 0.32900)",
            "Mastering luminance: max 1000 cd/m2, min 0.0050 cd/m2",
            "MaxCLL: 1000 cd/m2, MaxFALL: 400 cd/m2" };
        QTest::newRow("hdr payload, detected") << boxHdr << H::Detect << boxLines << QList<int>();
        QTest::newRow("hdr payload, hinted") << boxHdr << H::HdrPayload << boxLines << QList<int>();
        QTest::newRow("hdr full frame")
            << framed(0x87, 1, boxHdr) << H::Detect
            << QStringList { "Dynamic Range and Mastering InfoFrame, version 1, length 26", "good",
                   "EOTF: SMPTE ST 2084 (PQ)", "MaxCLL: 1000 cd/m2" }
            << QList<int>();
        QTest::newRow("hdr full frame, bad checksum")
            << framed(0x87, 1, boxHdr, 1) << H::WithHeader
            << QStringList { "bad", "MaxFALL: 400 cd/m2", "Warning: Checksum" }
            << QList<int> { DecodeWarning::BadChecksum };
        // The box's capture block: type, length, data, zero padding to the block's end.
        QTest::newRow("hdr captured by the box")
            << captured(0x87, boxHdr, 30) << H::Detect
            << QStringList { "captured, length 26", "White point: (0.31270, 0.32900)" }
            << QList<int>();
        QTest::newRow("hdr P3 typed") << bytes(kP3Hdr) << H::Detect
                                      << QStringList { "Display primaries: (0.26500, 0.69000) "
                                                       "(0.15000, 0.06000) (0.68000, 0.32000)" }
                                      << QList<int>();
        QTest::newRow("hlg, no metadata")
            << bytes("03:00") << H::HdrPayload << QStringList { "EOTF: HLG", "MaxCLL: 0 cd/m2" }
            << QList<int> { DecodeWarning::TruncatedInput };
        QTest::newRow("sdr") << bytes("00") << H::HdrPayload << QStringList { "EOTF: SDR" }
                             << QList<int> { DecodeWarning::TruncatedInput };
        QTest::newRow("traditional hdr")
            << boxHdr.left(0) + char(1) + boxHdr.mid(1) << H::HdrPayload
            << QStringList { "EOTF: traditional HDR" } << QList<int>();
        QTest::newRow("reserved eotf and metadata type")
            << bytes("05:02") + boxHdr.mid(2) << H::HdrPayload
            << QStringList { "EOTF: reserved (5)", "Metadata type: reserved (2)" }
            << QList<int> { DecodeWarning::ReservedValue, DecodeWarning::ReservedValue };
        QTest::newRow("hdr payload too long") << boxHdr + QByteArray(6, '\0') << H::HdrPayload
                                              << QStringList { "payload of 32 bytes" }
                                              << QList<int> { DecodeWarning::LengthMismatch };
        QTest::newRow("hdr frame cut short")
            << framed(0x87, 1, boxHdr).left(14) << H::Detect << QStringList { "length 26" }
            << QList<int> { DecodeWarning::TruncatedInput };

        // The simulated box's AVI: YCbCr 4:4:4, extended colorimetry BT.2020, 16:9, VIC 97.
        const QByteArray boxAvi = bytes("50:e8:60:61:00:00:00:00:00:00:00:00:00");
        const QStringList aviLines { "Colour format: YCbCr 4:4:4",
            "Colorimetry: BT.2020 RGB or YCC", "Picture aspect: 16:9, active format: as picture",
            "VIC 97: 3840x2160p 60 Hz 16:9" };
        QTest::newRow("avi payload, detected") << boxAvi << H::Detect << aviLines << QList<int>();
        QTest::newRow("avi full frame v2")
            << framed(0x82, 2, boxAvi) << H::Detect
            << (QStringList { "AVI InfoFrame, version 2, length 13", "good" } + aviLines)
            << QList<int>();
        QTest::newRow("avi rgb full range bt.709 4:3")
            << bytes("00:98:08:02:40:00:00:00:00:00:00:00:00") << H::AviPayload
            << QStringList { "Colour format: RGB", "Colorimetry: BT.709",
                   "RGB quantisation range: full, YCC quantisation range: full",
                   "Picture aspect: 4:3, active format: not given", "VIC 2: 720x480p 59.94 Hz 4:3" }
            << QList<int>();
        QTest::newRow("avi 4:2:0 limited smpte 170m with bars")
            << bytes("7c:5a:04:11:00:2a:00:c3:02:00:00:00:00") << H::AviPayload
            << QStringList { "Colour format: YCbCr 4:2:0", "Colorimetry: SMPTE 170M",
                   "RGB quantisation range: limited", "active format: 16:9 centred",
                   "VIC 17: 720x576p 50 Hz 4:3", "bars: vertical and horizontal",
                   "Bars: top ends 42, bottom starts 707" }
            << QList<int>();
        QTest::newRow("avi reserved values")
            << bytes("90:30:0c:00:00:00:00:00:00:00:00:00:00") << H::AviPayload
            << QStringList { "Colour format: reserved (4)", "Picture aspect: reserved (3)",
                   "VIC 0: none" }
            << QList<int> { DecodeWarning::ReservedValue, DecodeWarning::ReservedValue,
                   DecodeWarning::ReservedValue };
        QTest::newRow("unknown type")
            << framed(0x83, 1, QByteArray(25, 'a')) << H::WithHeader
            << QStringList { "InfoFrame type 0x83" } << QList<int> { DecodeWarning::UnknownType };
        QTest::newRow("empty") << QByteArray() << H::Detect << QStringList { "payload of 0 bytes" }
                               << QList<int> { DecodeWarning::TruncatedInput };
    }
    void infoFrames()
    {
        QFETCH(QByteArray, input);
        QFETCH(InfoFrameDecoder::Hint, hint);
        QFETCH(QStringList, expected);
        QFETCH(QList<int>, warnings);
        const InfoFrameDecoded frame = InfoFrameDecoder::decode(input, hint);
        verifyLines(InfoFrameDescriber::lines(frame), expected);
        QCOMPARE(warningKinds(frame.warnings), warnings);
        QCOMPARE(InfoFrameDescriber::json(frame)[QStringLiteral("warnings")].toArray().size(),
            warnings.size());
    }

    // The rule both front ends read an InfoFrame text box by: a whole frame when the bytes start
    // with the kind's own type code, else that kind's payload, whatever it looks like.
    void decodeAsKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("type");
        const int hdr = InfoFrameDecoded::Hdr, avi = InfoFrameDecoded::Avi;
        const int full = InfoFrameDecoded::Full, payload = InfoFrameDecoded::Payload;
        const QByteArray boxHdr = bytes(kBoxHdr);
        const QByteArray boxAvi = bytes("50:e8:60:61:00:00:00:00:00:00:00:00:00");
        QTest::newRow("hdr frame") << hdr << framed(0x87, 1, boxHdr) << full << hdr;
        QTest::newRow("hdr frame, box padding")
            << hdr << framed(0x87, 1, boxHdr) + '\0' << full << hdr;
        QTest::newRow("hdr payload") << hdr << boxHdr << payload << hdr;
        QTest::newRow("avi frame") << avi << framed(0x82, 2, boxAvi) << full << avi;
        QTest::newRow("avi payload") << avi << boxAvi << payload << avi;
        QTest::newRow("avi box, hdr-like bytes") << avi << boxHdr << payload << avi;
        QTest::newRow("hdr box, an avi frame") << hdr << framed(0x82, 2, boxAvi) << payload << hdr;
        QTest::newRow("hdr box, empty") << hdr << QByteArray() << payload << hdr;
        QTest::newRow("no kind detects")
            << int(InfoFrameDecoded::Unknown) << framed(0x87, 1, boxHdr) << full << hdr;
    }
    void decodeAsKind()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, input);
        QFETCH(int, form);
        QFETCH(int, type);
        const InfoFrameDecoded frame
            = InfoFrameDecoder::decodeAs(InfoFrameDecoded::Type(kind), input);
        QCOMPARE(int(frame.form), form);
        QCOMPARE(int(frame.type), type);
        if (form == InfoFrameDecoded::Full)
            QVERIFY(frame.warnings.isEmpty());
    }

    // What the simulated box holds, read from its blocks as the window reads them.
    void simulatedBoxInfoFrames_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QStringList>("expected");
        const quint8 firmware[4] = { 1, 0, 0, 0 };
        const QMap<quint8, QByteArray> blocks = BoxFactory::blocks(firmware);
        QTest::newRow("hdr capture, block 30")
            << blocks[Block::HDR_CAPTURE]
            << QStringList { "captured, length 26", "EOTF: SMPTE ST 2084 (PQ)",
                   "MaxCLL: 1000 cd/m2, MaxFALL: 400 cd/m2" };
        QTest::newRow("custom hdr, block 35") << blocks[Block::CUSTOM_INFOFRAME]
                                              << QStringList { "version 1, length 26, checksum",
                                                     "good", "White point: (0.31270, 0.32900)" };
        QTest::newRow("custom avi, block 36")
            << blocks[Block::CUSTOM_AVI].left(InfoFrameDecoder::AVI_PAYLOAD_MAX)
            << QStringList { "AVI InfoFrame, payload of 13 bytes",
                   "Colorimetry: BT.2020 RGB or YCC", "VIC 97: 3840x2160p 60 Hz 16:9" };
    }
    void simulatedBoxInfoFrames()
    {
        QFETCH(QByteArray, block);
        QFETCH(QStringList, expected);
        const InfoFrameDecoded frame = InfoFrameDecoder::decode(block);
        verifyLines(InfoFrameDescriber::lines(frame), expected);
        QVERIFY(frame.warnings.isEmpty());
    }

    void cecMessages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QList<int>>("warnings");
        const QList<int> none;
        QTest::newRow("image view on") << "40:04"
                                       << "Playback 1 to TV: Image View On" << none;
        QTest::newRow("polling, claiming an address")
            << "44"
            << "Playback 1 to Playback 1: Polling Message" << none;
        QTest::newRow("polling broadcast") << "ff"
                                           << "Unregistered to Broadcast: Polling Message" << none;
        QTest::newRow("standby broadcast") << "0f:36"
                                           << "TV to Broadcast: Standby" << none;
        QTest::newRow("active source")
            << "4f:82:12:00"
            << "Playback 1 to Broadcast: Active Source (1.2.0.0)" << none;
        QTest::newRow("report physical address")
            << "5f:84:30:00:05"
            << "Audio System to Broadcast: Report Physical Address (3.0.0.0, Audio System)" << none;
        QTest::newRow("routing change")
            << "0f:80:10:00:20:00"
            << "TV to Broadcast: Routing Change (1.0.0.0 -> 2.0.0.0)" << none;
        QTest::newRow("routing information")
            << "8f:81:21:00"
            << "Playback 2 to Broadcast: Routing Information (2.1.0.0)" << none;
        QTest::newRow("set stream path") << "0f:86:30:00"
                                         << "TV to Broadcast: Set Stream Path (3.0.0.0)" << none;
        QTest::newRow("power status") << "04:8f"
                                      << "TV to Playback 1: Give Device Power Status" << none;
        QTest::newRow("report power status")
            << "40:90:01"
            << "Playback 1 to TV: Report Power Status (Standby)" << none;
        QTest::newRow("power in transition")
            << "40:90:02"
            << "Playback 1 to TV: Report Power Status (In transition Standby to On)" << none;
        QTest::newRow("user control pressed")
            << "04:44:41"
            << "TV to Playback 1: User Control Pressed (Volume Up)" << none;
        QTest::newRow("user control number")
            << "04:44:25"
            << "TV to Playback 1: User Control Pressed (Number 5)" << none;
        // The keys CEC 2.0 added after Select Sound Presentation.
        QTest::newRow("key audio description")
            << "04:44:58"
            << "User Control Pressed (Audio Description)" << none;
        QTest::newRow("key internet") << "04:44:59"
                                      << "User Control Pressed (Internet)" << none;
        QTest::newRow("key 3d mode") << "04:44:5a"
                                     << "User Control Pressed (3D Mode)" << none;
        QTest::newRow("key reserved after them")
            << "04:44:5b"
            << "User Control Pressed (reserved (0x5b))" << none;
        QTest::newRow("user control released") << "04:45"
                                               << "TV to Playback 1: User Control Released" << none;
        QTest::newRow("osd name") << "40:47:42:44:2d:50:6c:61:79:65:72"
                                  << "Playback 1 to TV: Set OSD Name (\"BD-Player\")" << none;
        QTest::newRow("vendor id") << "4f:87:00:0c:03"
                                   << "Playback 1 to Broadcast: Device Vendor ID (000C03)" << none;
        QTest::newRow("menu status") << "40:8e:00"
                                     << "Playback 1 to TV: Menu Status (Activated)" << none;
        QTest::newRow("menu request") << "04:8d:02"
                                      << "TV to Playback 1: Menu Request (Query)" << none;
        QTest::newRow("cec version") << "40:9e:05"
                                     << "Playback 1 to TV: CEC Version (1.4)" << none;
        QTest::newRow("cec version 2.0") << "40:9e:06"
                                         << "Playback 1 to TV: CEC Version (2.0)" << none;
        QTest::newRow("give audio status") << "05:71"
                                           << "TV to Audio System: Give Audio Status" << none;
        QTest::newRow("report audio status")
            << "50:7a:32"
            << "Audio System to TV: Report Audio Status (not muted, volume 50%)" << none;
        QTest::newRow("audio muted")
            << "50:7a:a5"
            << "Audio System to TV: Report Audio Status (muted, volume 37%)" << none;
        QTest::newRow("system audio mode on")
            << "5f:72:01"
            << "Audio System to Broadcast: Set System Audio Mode (On)" << none;
        QTest::newRow("system audio request")
            << "05:70:10:00"
            << "TV to Audio System: System Audio Mode Request (1.0.0.0)" << none;
        QTest::newRow("system audio status off")
            << "50:7e:00"
            << "Audio System to TV: System Audio Mode Status (Off)" << none;
        QTest::newRow("feature abort") << "40:00:8f:00"
                                       << "Playback 1 to TV: Feature Abort (0x8f (Give Device "
                                          "Power Status), Unrecognized opcode)"
                                       << none;
        QTest::newRow("menu language") << "0f:32:65:6e:67"
                                       << "TV to Broadcast: Set Menu Language (eng)" << none;
        QTest::newRow("unknown opcode") << "40:fe:01:02"
                                        << "Playback 1 to TV: opcode 0xfe [01:02]" << none;
        QTest::newRow("vendor command") << "40:89:aa:bb"
                                        << "Playback 1 to TV: Vendor Command [aa:bb]" << none;
        QTest::newRow("address names") << "1c:36"
                                       << "Recording 1 to Backup 1: Standby" << none;
        QTest::newRow("missing operands") << "4f:82:10"
                                          << "Playback 1 to Broadcast: Active Source [10]"
                                          << QList<int> { DecodeWarning::MissingOperands };
        QTest::newRow("extra operands")
            << "40:04:00"
            << "Playback 1 to TV: Image View On" << QList<int> { DecodeWarning::ExtraOperands };
        QTest::newRow("longer than a frame")
            << "40:89:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00"
            << "Vendor Command"
            << QList<int> { DecodeWarning::TooLarge, DecodeWarning::ExtraOperands };
        QTest::newRow("empty") << ""
                               << "No CEC message" << QList<int> { DecodeWarning::TruncatedInput };
    }
    void cecMessages()
    {
        QFETCH(QString, text);
        QFETCH(QString, summary);
        QFETCH(QList<int>, warnings);
        const HexInput::Result input = HexInput::parse(text);
        QVERIFY(input.ok);
        const CecDecoded message = CecDecoder::decode(input.bytes);
        QVERIFY2(CecDescriber::summary(message).contains(summary),
            qPrintable(CecDescriber::summary(message)));
        QCOMPARE(warningKinds(message.warnings), warnings);
        QCOMPARE(CecDescriber::json(message)[QStringLiteral("summary")].toString(),
            CecDescriber::summary(message));
    }

    // A message has no blocks: its size warning names the largest size instead.
    void cecTooLargeSaysTheSize()
    {
        const QStringList lines = CecDescriber::lines(
            CecDecoder::decode(bytes("40:89:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00")));
        QVERIFY2(lines.contains(
                     QStringLiteral("Warning: 17 bytes, more than the 16 a message can have")),
            qPrintable(lines.join('\n')));
    }

    void hexInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray b("\x40\x04\xAB", 3);
        QTest::newRow("colons") << "40:04:ab" << true << b;
        QTest::newRow("spaces, upper case") << "40 04 AB" << true << b;
        QTest::newRow("commas and spaces") << "40, 04, Ab" << true << b;
        QTest::newRow("contiguous") << "4004aB" << true << b;
        QTest::newRow("0x prefixes") << "0x40 0x04 0xab" << true << b;
        QTest::newRow("line breaks") << "40\r\n04\tab\n" << true << b;
        QTest::newRow("single digits") << "4:0f:5" << true << QByteArray("\x04\x0F\x05", 3);
        QTest::newRow("empty") << "" << true << QByteArray();
        QTest::newRow("odd run") << "40040" << false << QByteArray();
        QTest::newRow("not hex") << "40:0g" << false << QByteArray();
        QTest::newRow("stray text") << "40 hello" << false << QByteArray();
    }
    void hexInput()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QByteArray, bytes);
        const HexInput::Result r = HexInput::parse(text);
        QCOMPARE(r.ok, ok);
        QCOMPARE(r.bytes, bytes);
        QCOMPARE(r.errorPosition >= 0, !ok);
    }
};

QTEST_GUILESS_MAIN(TestPacketDecode)
#include "tst_packet_decode.moc"
