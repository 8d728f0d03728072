#include "SignalDescription.h"

#include <QtTest>
#include <cstring>

// The text work of the signal description, on hand-made block replies.
class TestSignal : public QObject
{
    Q_OBJECT

    struct Blocks
    {
        Reply b6{}, b21{}, b30{};
        Blocks()
        {
            b6[0] = b21[0] = b30[0] = 0xE0;
            b6[2] = 16;    // 1920x1080p60
            b6[3] = 0x10;  // HDMI
            b6[5] = 0x20;  // TX A
            b30[2] = 0x87; // HDR InfoFrame type, length 0
        }
        SignalDescription describe() const { return SignalDescription::fromBlocks(b6, b21, b30); }
    };

private Q_SLOTS:
    void videoLine_data();
    void videoLine();
    void colourLine_data();
    void colourLine();
    void hdrLineShowsOnlyKnownEotf();
    void captureNeedsTypeAndLength();
    void captureNeverReadsPastTheReply();
    void sourceNamesEndAtZeroOrFieldWidth();
    void sourceNamesAreNotPlaceholders();
};

void TestSignal::videoLine_data()
{
    QTest::addColumn<int>("vic");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("linkMode");
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("vsdb");
    QTest::addColumn<int>("hdmiFormat");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain HDMI") << 16 << 0x10 << 0 << 0x20 << 0 << 0
                                << "Input : 1920x1080p60 HDMI, Output: TX A";
    QTest::newRow("non-HDMI, both outputs, other bits ignored")
        << 4 << 0xEF << 0 << 0xFF << 0 << 0 << "Input : 1280x720p60 non-HDMI, Output: TX A, TX B";
    QTest::newRow("no outputs") << 16 << 0x10 << 0 << 0x9F << 0 << 0
                                << "Input : 1920x1080p60 HDMI, Output: none";
    QTest::newRow("code past the table") << 200 << 0x10 << 0 << 0x40 << 0 << 0
                                         << "Input :  HDMI, Output: TX B";
    QTest::newRow("extended resolution") << 0 << 0x10 << 0 << 0x20 << 4 << 0x20
                                         << "Input : 4096x2160p24 300MHz HDMI, Output: TX A";
    QTest::newRow("extended, unknown HDMI code falls back")
        << 0 << 0x10 << 0 << 0x20 << 5 << 0x20 << "Input :  HDMI, Output: TX A";
    QTest::newRow("0x21 is not extended") << 16 << 0x10 << 0 << 0x20 << 1 << 0x21
                                          << "Input : 1920x1080p60 HDMI, Output: TX A";
    QTest::newRow("0x60 is neither") << 16 << 0x10 << 0 << 0x20 << 0x60 << 0x60
                                     << "Input : 1920x1080p60 HDMI, Output: TX A";
    QTest::newRow("3D top/bottom") << 4 << 0x10 << 0 << 0x20 << 0x60 << 0x40
                                   << "Input : 1280x720p60 Top/Bottom 3D, Output: TX A";
    QTest::newRow("3D frame packed") << 32 << 0x10 << 0 << 0x20 << 0x00 << 0x40
                                     << "Input : 1920x1080p24 Frame Packed 3D, Output: TX A";
    QTest::newRow("3D, unknown structure falls back")
        << 4 << 0x10 << 0 << 0x20 << 0x20 << 0x40 << "Input : 1280x720p60 HDMI, Output: TX A";
    QTest::newRow("600MHz with code 97") << 97 << 0x10 << 2 << 0x20 << 0 << 0
                                         << "Input : 3840x2160p60 HDMI, [600MHz], Output: TX A";
    QTest::newRow("4:2:0 10-bit") << 97 << 0x10 << 1 << 0x20 << 0 << 0
                                  << "Input : 3840x2160p60 HDMI, [4:2:0 10-bit], Output: TX A";
    QTest::newRow("4:2:0 300MHz only for code 97")
        << 97 << 0x10 << 0 << 0x20 << 0 << 0
        << "Input : 3840x2160p60 HDMI, [4:2:0 300MHz], Output: TX A";
    QTest::newRow("other link mode on code 97") << 97 << 0x10 << 3 << 0x20 << 0 << 0
                                                << "Input : 3840x2160p60 HDMI, Output: TX A";
    QTest::newRow("last table entry") << 107 << 0x10 << 0 << 0x20 << 0 << 0
                                      << "Input : 3840x2160p60 HDMI, Output: TX A";
    QTest::newRow("first code past the table") << 108 << 0x10 << 0 << 0x20 << 0 << 0
                                               << "Input :  HDMI, Output: TX A";
}

void TestSignal::videoLine()
{
    QFETCH(int, vic);
    QFETCH(int, flags);
    QFETCH(int, linkMode);
    QFETCH(int, outputs);
    QFETCH(int, vsdb);
    QFETCH(int, hdmiFormat);
    QFETCH(QString, expected);
    Blocks b;
    b.b6[2] = quint8(vic);
    b.b6[3] = quint8(flags);
    b.b6[4] = quint8(linkMode);
    b.b6[5] = quint8(outputs);
    b.b6[9] = quint8(vsdb);
    b.b6[14] = quint8(hdmiFormat);
    QCOMPARE(b.describe().videoLine, expected);
}

void TestSignal::colourLine_data()
{
    QTest::addColumn<int>("avi1");
    QTest::addColumn<int>("avi2");
    QTest::addColumn<int>("avi3");
    QTest::addColumn<QString>("expected");
    QTest::newRow("RGB, none") << 0x9F << 0x3F << 0 << "Color Space: RGB";
    QTest::newRow("4:2:2, 601") << 0x20 << 0x40 << 0 << "Color Space: YCbCr 4:2:2, SMPTE 170M";
    QTest::newRow("4:2:0, 709") << 0x60 << 0x80 << 0 << "Color Space: YCbCr 4:2:0, ITU-R BT.709";
    QTest::newRow("4:4:4, BT.2020") << 0x40 << 0xC0 << 0xEF
                                    << "Color Space: YCbCr 4:4:4, Extended: ITU-R BT.2020 RGB";
    QTest::newRow("extended reserved") << 0x00 << 0xC0 << 0x70 << "Color Space: RGB, Extended:";
}

void TestSignal::colourLine()
{
    QFETCH(int, avi1);
    QFETCH(int, avi2);
    QFETCH(int, avi3);
    QFETCH(QString, expected);
    Blocks b;
    b.b6[10] = quint8(avi1);
    b.b6[11] = quint8(avi2);
    b.b6[12] = quint8(avi3);
    QCOMPARE(b.describe().colourLine, expected);
}

void TestSignal::hdrLineShowsOnlyKnownEotf()
{
    Blocks b;
    b.b30[2] = 0x00; // the EOTF byte counts whatever the type says
    b.b30[4] = 2;
    QCOMPARE(b.describe().hdrLine, QStringLiteral("HDR input:  SMPTE ST 2084"));
    b.b30[4] = 0;
    QCOMPARE(b.describe().hdrLine, QStringLiteral("HDR input:  Not Active"));
    b.b30[4] = 3;
    QCOMPARE(b.describe().hdrLine, QStringLiteral("HDR input: "));
}

void TestSignal::captureNeedsTypeAndLength()
{
    Blocks b;
    const quint8 data[] = {0x02, 0x00, 0x61, 0x7A, 0xFF};
    std::memcpy(b.b30.data() + 4, data, sizeof data);
    b.b30[3] = 5;
    QCOMPARE(b.describe().hdrCapture, QStringLiteral("02:00:61:7a:ff"));
    b.b30[3] = 0;
    QVERIFY(b.describe().hdrCapture.isEmpty());
    b.b30[3] = 5;
    b.b30[2] = 0x86;
    QVERIFY(b.describe().hdrCapture.isEmpty());
}

void TestSignal::captureNeverReadsPastTheReply()
{
    Blocks b;
    for (int i = 4; i < MAX_REPLY; ++i)
        b.b30[i] = quint8(i);
    b.b30[3] = 0xFF;
    const QStringList bytes = b.describe().hdrCapture.split(QLatin1Char(':'));
    QCOMPARE(bytes.size(), SignalDescription::MAX_CAPTURE_BYTES);
    QCOMPARE(bytes.first(), QStringLiteral("04"));
    QCOMPARE(bytes.last(), QStringLiteral("1e")); // reply byte 30, the last of a 31-byte read
}

void TestSignal::sourceNamesEndAtZeroOrFieldWidth()
{
    Blocks b;
    std::memcpy(b.b21.data() + 4, "ABCDEFGH", 8);          // fills the vendor field
    std::memcpy(b.b21.data() + 12, "0123456789abcdefXYZ", 19); // runs past the product field
    QCOMPARE(b.describe().sourceLine, QStringLiteral("Source Info: ABCDEFGH 0123456789abcdef"));

    Blocks c;
    std::memcpy(c.b21.data() + 4, "Vend\0XYZ", 8);
    std::memcpy(c.b21.data() + 12, "Player", 6);
    QCOMPARE(c.describe().sourceLine, QStringLiteral("Source Info: Vend Player"));
}

void TestSignal::sourceNamesAreNotPlaceholders()
{
    Blocks b;
    std::memcpy(b.b21.data() + 4, "%2%1", 4);
    std::memcpy(b.b21.data() + 12, "\xE9t\xE9", 3); // Latin-1, as the box sends it
    QCOMPARE(b.describe().sourceLine, QStringLiteral("Source Info: %2%1 \u00E9t\u00E9"));
}

QTEST_GUILESS_MAIN(TestSignal)
#include "tst_signal.moc"
