// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The decoder on blocks made for the purpose, for what the real tables of tst_edid_decode do not
// have: every field of the HDMI 1.4 VSDB, blocks that end inside a field, reserved codes, the
// HDR dynamic metadata descriptors and a DisplayID 2.0 section with its 1 kHz clock.
#include "edid/EdidChecksum.h"
#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"
#include "edid/EdidImage.h"

#include <QFile>
#include <QJsonArray>
#include <QTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The real base block of a TV, with one extension of the given tag and contents after it.
QByteArray withExtension(const QByteArray &extension)
{
    QFile f(QStringLiteral(ZELVARIN_TEST_DATA "/edid/tv-hdr-600mhz.bin"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray table = f.read(EDID_BLOCK_SIZE);
    table[126] = 1;
    QByteArray block = extension.leftJustified(EDID_BLOCK_SIZE, '\0', true);
    table += block;
    for (int b = 0; b < 2; ++b)
        table[b * 128 + 127]
            = char(edidChecksum(reinterpret_cast<const quint8 *>(table.constData()) + b * 128));
    return table;
}

// A CTA-861 revision 3 extension holding `dataBlocks`, detailed timings right after them.
QByteArray cta(const QByteArray &dataBlocks)
{
    return withExtension(hex("0203") + char(4 + dataBlocks.size()) + '\0' + dataBlocks);
}

bool hasWarning(const EdidDecoded &e, DecodeWarning::Kind kind)
{
    for (const DecodeWarning &w : e.warnings)
        if (w.kind == kind)
            return true;
    return false;
}

// A video data block of VICs 16, 4, 5 and 3, which the 3D fields refer to by place.
const char kVideos[] = "4410040503";

} // namespace

class TestEdidBlocks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Latencies, content types, HDMI VICs, image size and the 3D fields of one VSDB.
    void hdmiVsdbInFull()
    {
        const EdidDecoded e = EdidDecoder::decode(cta(hex(kVideos)
            + hex("7703 0c00 1000 b83c " // OUI, address 1.0.0.0, flags, 300 MHz
                  "ef " // latencies, interlaced ones, video; CNC 0..3
                  "25 01 38 ff " // 72 ms, 0 ms, 110 ms, no audio
                  "d8 47 " // 3D, multi 2, 5 cm; 2 HDMI VICs, 7 bytes of 3D
                  "01 04 " // HDMI VICs 1 and 4
                  "01 41 0009 " // structures: SbS half, T&B, frame packing; mask 0, 3
                  "08 10 " // VIC index 0: side-by-side, detail 1
                  "90"))); // index 9: past the list
        QCOMPARE(e.cta.size(), 1);
        QVERIFY(e.cta[0].hasHdmi);
        const CtaHdmiVsdb &h = e.cta[0].hdmi;
        QVERIFY(h.cncGraphics && h.cncPhoto && h.cncCinema && h.cncGame);
        QVERIFY(h.hasLatency && h.hasInterlacedLatency);
        QCOMPARE(CtaHdmiVsdb::latencyMs(h.videoLatency), 72);
        QCOMPARE(CtaHdmiVsdb::latencyMs(h.audioLatency), 0);
        QCOMPARE(CtaHdmiVsdb::latencyMs(h.interlacedVideoLatency), 110);
        QCOMPARE(CtaHdmiVsdb::latencyMs(h.interlacedAudioLatency), -1);
        QVERIFY(h.hasVideo && h.present3d);
        QCOMPARE(h.multi3d, 2);
        QCOMPARE(h.imageSize, 3);
        QCOMPARE(h.hdmiVics, QVector<int>({ 1, 4 }));
        QVERIFY(h.hasStructures3d);
        QVERIFY(h.structures3d.sideBySideHalf && h.structures3d.topAndBottom
            && h.structures3d.framePacking && !h.structures3d.fieldAlternative);
        QCOMPARE(h.maskVics3d, QVector<int>({ 16, 3 }));
        QCOMPARE(h.vics3d.size(), 2);
        QCOMPARE(h.vics3d[0].vic, 16);
        QCOMPARE(h.vics3d[0].structure, 8);
        QCOMPARE(h.vics3d[0].detail, 1);
        QCOMPARE(h.vics3d[1].vic, 0); // no tenth video descriptor
        QCOMPARE(h.vics3d[1].detail, -1);

        const QString text = EdidDescriber::lines(e).join(QLatin1Char('\n'));
        for (const char *line :
            { "    Content types: graphics, photo, cinema, game",
                "    Latency: video 72 ms, audio 0 ms",
                "    Interlaced latency: video 110 ms, audio no audio",
                "    HDMI VICs: 1 (3840x2160p 30 Hz 16:9), 4 (4096x2160p 24 Hz 256:135)",
                "    Image size: the base block's size is in units of 5 cm",
                "    3D formats for VICs 16, 3: frame packing, top-and-bottom, side-by-side (half)",
                "    3D format of VIC 16: side-by-side (half), detail 1" })
            QVERIFY2(text.contains(QLatin1String(line)), line);
        const QJsonObject hdmi = EdidDescriber::json(e)["cta"][0]["hdmi"].toObject();
        QCOMPARE(hdmi["video_latency_ms"].toInt(), 72);
        QVERIFY(hdmi["interlaced_audio_latency_ms"].isNull());
        QCOMPARE(hdmi["three_d"]["vics"].toArray().size(), 2);
    }

    // A VSDB shorter than its flags say reads what is there and no further: the fields past its
    // end read as zero, the 3D list stops at the block's end, a reserved 3D_Multi brings nothing.
    void hdmiVsdbCutShort_data()
    {
        QTest::addColumn<QByteArray>("vsdb");
        QTest::addColumn<bool>("latency");
        QTest::addColumn<bool>("video");
        QTest::addColumn<int>("entries3d");
        QTest::newRow("latency flag, no bytes")
            << hex("6803 0c00 1000 b83c c0") << true << false << 0;
        QTest::newRow("video flag, nothing after it")
            << hex("6803 0c00 1000 b83c 20") << false << false << 0;
        QTest::newRow("3D list past the block")
            << hex("6c03 0c00 1000 b83c 20 80 1f 08 10") << false << true << 1;
        QTest::newRow("3D_Multi reserved")
            << hex("6e03 0c00 1000 b83c 20 e0 04 ffff 0000") << false << true << 3;
    }
    void hdmiVsdbCutShort()
    {
        QFETCH(QByteArray, vsdb);
        QFETCH(bool, latency);
        QFETCH(bool, video);
        QFETCH(int, entries3d);
        const EdidDecoded e = EdidDecoder::decode(cta(hex(kVideos) + vsdb));
        const CtaHdmiVsdb &h = e.cta.value(0).hdmi;
        QVERIFY(e.cta.value(0).hasHdmi);
        QCOMPARE(h.hasLatency, latency);
        QCOMPARE(h.videoLatency, quint8(0));
        QCOMPARE(h.hasVideo, video);
        QVERIFY(!h.hasStructures3d);
        QCOMPARE(h.vics3d.size(), entries3d);
        QVERIFY(!EdidDescriber::lines(e).isEmpty());
    }

    // DSC of the HDMI Forum VSDB: every flag, and a reserved slice code said as such.
    void hdmiForumDsc()
    {
        const EdidDecoded e
            = EdidDecoder::decode(cta(hex("6dd85dc4 01 78 80 00 00 00 00 cf 5f 0b")));
        const CtaHdmiForum &f = e.cta.value(0).hdmiForum;
        QVERIFY(f.dsc12 && f.dscNative420 && f.dscAllBpp && f.dsc16bpc && f.dsc12bpc && f.dsc10bpc);
        QCOMPARE(f.dscMaxFrlRate, 5);
        QCOMPARE(f.dscMaxSlices, 15);
        QCOMPARE(f.dscTotalChunkKBytes, 11);
        const QString text = EdidDescriber::lines(e).join(QLatin1Char('\n'));
        for (const char *line :
            { "DSC 1.2: max FRL 10 Gbit/s on 4 lanes, slice count reserved (15)",
                "DSC native 4:2:0", "DSC bits per component: 10, 12, 16",
                "DSC any bits per pixel in 1/16 steps", "DSC line of chunks: up to 12288 bytes" })
            QVERIFY2(text.contains(QLatin1String(line)), line);
        QVERIFY(!text.contains(QLatin1String("pixel clock per slice")));
        QCOMPARE(EdidDescriber::json(e)["cta"][0]["hdmi_forum"]["dsc"]["max_slices"].toInt(), 0);
    }

    // Descriptors with and without a version; one whose length runs past the block ends the list
    // with a warning instead of a read past it.
    void hdrDynamicTypes()
    {
        const EdidDecoded e = EdidDecoder::decode(cta(hex("ee07 03010001 03020012 020300 0504")));
        const QVector<CtaHdrDynamicType> &types = e.cta.value(0).hdrDynamic;
        QCOMPARE(types.size(), 3);
        QCOMPARE(types[0].type, 1);
        QCOMPARE(types[0].version, 1);
        QCOMPARE(types[1].version, 2);
        QVERIFY(!types[2].hasVersion);
        QVERIFY(hasWarning(e, DecodeWarning::LengthPastBlock));
        QVERIFY(EdidDescriber::lines(e).contains(
            QStringLiteral("  HDR dynamic metadata: type 1 version 1, type 2 version 2, type 3")));
    }

    // Reserved speaker bits are named by their number, LSd/RSd by its name.
    void speakerBits()
    {
        const EdidDecoded e = EdidDecoder::decode(cta(hex("83 010030")));
        QVERIFY(e.cta.value(0).speakers.flFr && e.cta.value(0).speakers.lsdRsd);
        QVERIFY(
            EdidDescriber::lines(e).contains(QStringLiteral("  Speakers: FL/FR LSd/RSd bit 21")));
    }

    // DisplayID 2.0: a primary use case instead of a product type, and type VII timings counted
    // in units of 1 kHz.
    void displayIdTwo()
    {
        QByteArray section = hex("20 17 03 00 " // version 2.0, 23 bytes, television
                                 "22 00 14 " // type VII timings, 20 bytes
                                 "17 44 09 84 ff0e 1701 5700 1f00 6f08 2b00 0700 0400");
        quint8 sum = 0;
        for (char c : section)
            sum = quint8(sum + quint8(c));
        section.append(char(0x100 - sum));
        const EdidDecoded e = EdidDecoder::decode(withExtension(hex("70") + section));
        QCOMPARE(e.displayId.size(), 1);
        const DisplayIdBlock &d = e.displayId[0];
        QCOMPARE(d.version, 2);
        QCOMPARE(d.productType, 3);
        QVERIFY(d.sectionChecksumOk);
        QCOMPARE(d.timings.size(), 1);
        QCOMPARE(d.timings[0].timing.pixelClockKHz, quint32(0x094417 + 1));
        QCOMPARE(d.timings[0].timing.hActive, 3840);
        QCOMPARE(d.timings[0].timing.vActive, 2160);
        QVERIFY(d.timings[0].preferred);
        QCOMPARE(d.timings[0].aspect, 4);
        const QStringList lines = EdidDescriber::lines(e);
        QVERIFY(lines.contains(QStringLiteral("Block 1: DisplayID extension, version 2.0")));
        QVERIFY(lines.contains(QStringLiteral("  Primary use: television, 0 extension sections")));
        QVERIFY(e.warnings.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEdidBlocks)
#include "tst_edid_blocks.moc"
