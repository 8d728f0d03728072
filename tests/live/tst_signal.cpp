// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "box/SignalDescription.h"

#include <QtTest>
#include <cstring>

// The signal description's text work, on hand-made block replies.
class TestSignal : public QObject
{
    Q_OBJECT

    static Reply block(std::initializer_list<std::pair<int, int>> bytes)
    {
        Reply r {};
        r[0] = 0xE0;
        for (auto [i, v] : bytes)
            r[i] = quint8(v);
        return r;
    }

private Q_SLOTS:
    void videoLine_data();
    void videoLine();
    void colourLine();
    void hdrLineAndCapture();
    void sourceNames();
};

void TestSignal::videoLine_data()
{
    // Block 6: byte 2 code, 3 link flags, 4 link mode, 5 outputs, 9 HDMI code / 3D, 14 format.
    QTest::addColumn<Reply>("b6");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << block({ { 2, 16 }, { 3, 0x10 }, { 5, 0x20 } })
                           << "Input : 1920x1080p60 HDMI, Output: TX A";
    QTest::newRow("non-HDMI, both outputs") << block({ { 2, 4 }, { 3, 0xEF }, { 5, 0xFF } })
                                            << "Input : 1280x720p60 non-HDMI, Output: TX A, TX B";
    QTest::newRow("code past the table")
        << block({ { 2, 108 }, { 3, 0x10 }, { 5, 0x9F } }) << "Input :  HDMI, Output: none";
    QTest::newRow("extended") << block({ { 3, 0x10 }, { 5, 0x40 }, { 9, 4 }, { 14, 0x20 } })
                              << "Input : 4096x2160p24 300MHz HDMI, Output: TX B";
    QTest::newRow("extended, unknown code") << block({ { 2, 16 }, { 9, 5 }, { 14, 0x20 } })
                                            << "Input : 1920x1080p60 non-HDMI, Output: none";
    QTest::newRow("0x21 is not extended") << block({ { 2, 16 }, { 9, 1 }, { 14, 0x21 } })
                                          << "Input : 1920x1080p60 non-HDMI, Output: none";
    QTest::newRow("0x60 is neither") << block({ { 2, 16 }, { 9, 0x60 }, { 14, 0x60 } })
                                     << "Input : 1920x1080p60 non-HDMI, Output: none";
    QTest::newRow("3D top/bottom") << block({ { 2, 4 }, { 9, 0x60 }, { 14, 0x40 } })
                                   << "Input : 1280x720p60 Top/Bottom 3D, Output: none";
    QTest::newRow("3D, unknown structure") << block({ { 2, 4 }, { 9, 0x20 }, { 14, 0x40 } })
                                           << "Input : 1280x720p60 non-HDMI, Output: none";
    QTest::newRow("600MHz with code 97") << block({ { 2, 97 }, { 4, 2 } })
                                         << "Input : 3840x2160p60 non-HDMI, [600MHz], Output: none";
    QTest::newRow("4:2:0 10-bit") << block({ { 2, 16 }, { 4, 1 } })
                                  << "Input : 1920x1080p60 non-HDMI, [4:2:0 10-bit], Output: none";
    QTest::newRow("300MHz 4:2:0 only for 97") << block({ { 2, 97 } })
                                              << "Input : 3840x2160p60 non-HDMI, [4:2:0 300MHz], "
                                                 "Output: none";
    QTest::newRow("other mode on 97")
        << block({ { 2, 97 }, { 4, 3 } }) << "Input : 3840x2160p60 non-HDMI, Output: none";
}

void TestSignal::videoLine()
{
    QFETCH(Reply, b6);
    QFETCH(QString, expected);
    QCOMPARE(SignalDescription::fromBlocks(b6, block({}), block({})).videoLine, expected);
}

void TestSignal::colourLine()
{
    auto line = [](int avi1, int avi2, int avi3) {
        return SignalDescription::fromBlocks(
            block({ { 10, avi1 }, { 11, avi2 }, { 12, avi3 } }), block({}), block({}))
            .colourLine;
    };
    QCOMPARE(line(0x9F, 0x3F, 0), QStringLiteral("Color Space: RGB"));
    QCOMPARE(line(0x20, 0x40, 0), QStringLiteral("Color Space: YCbCr 4:2:2, SMPTE 170M"));
    QCOMPARE(line(0x40, 0xC0, 0xEF),
        QStringLiteral("Color Space: YCbCr 4:4:4, Extended: ITU-R BT.2020 RGB"));
    QCOMPARE(line(0x60, 0xC0, 0x70), QStringLiteral("Color Space: YCbCr 4:2:0, Extended:"));
}

void TestSignal::hdrLineAndCapture()
{
    auto describe
        = [](const Reply &b30) { return SignalDescription::fromBlocks(block({}), block({}), b30); };
    // The EOTF counts whatever the type byte says; unknown values add nothing.
    QCOMPARE(describe(block({ { 2, 0x00 }, { 4, 2 } })).hdrLine,
        QStringLiteral("HDR input:  SMPTE ST 2084"));
    QCOMPARE(describe(block({ { 2, 0x87 }, { 4, 3 } })).hdrLine, QStringLiteral("HDR input: "));

    QCOMPARE(describe(block({ { 2, 0x87 }, { 3, 4 }, { 4, 0x61 }, { 5, 0x7A }, { 7, 0xFF } }))
                 .hdrCapture,
        QStringLiteral("61:7a:00:ff"));
    QVERIFY(describe(block({ { 2, 0x87 }, { 3, 0 }, { 4, 1 } })).hdrCapture.isEmpty());
    QVERIFY(describe(block({ { 2, 0x86 }, { 3, 4 }, { 4, 1 } })).hdrCapture.isEmpty());

    // A length the 31-byte reply cannot carry shows its 27 data bytes and nothing beyond.
    Reply big {};
    for (int i = 0; i < MAX_REPLY; ++i)
        big[i] = quint8(i);
    big[2] = 0x87;
    big[3] = 0xFF;
    const QStringList bytes = describe(big).hdrCapture.split(':');
    QCOMPARE(bytes.size(), SignalDescription::MAX_CAPTURE_BYTES);
    QCOMPARE(bytes.last(), QStringLiteral("1e"));
}

void TestSignal::sourceNames()
{
    auto line = [](const char *vendor, const char *product) {
        Reply b21 = block({});
        std::memcpy(b21.data() + 4, vendor, std::strlen(vendor));
        std::memcpy(b21.data() + 12, product, std::strlen(product));
        return SignalDescription::fromBlocks(block({}), b21, block({})).sourceLine;
    };
    // Full fields run into each other in the reply: each name stops at its width.
    QCOMPARE(line("ABCDEFGH", "0123456789abcdefXYZ"),
        QStringLiteral("Source Info: ABCDEFGH 0123456789abcdef"));
    // Latin-1 as the source sends it; a '%' in a name is text, not a placeholder.
    QCOMPARE(line("%2%1", "\xE9t\xE9"), QStringLiteral("Source Info: %2%1 \u00E9t\u00E9"));
}

QTEST_GUILESS_MAIN(TestSignal)
#include "tst_signal.moc"
