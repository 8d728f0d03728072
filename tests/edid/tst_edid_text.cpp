// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The QtCore side of EDID handling: canonical text, parse, block checksum and file conversion.
#include "edid/EdidChecksum.h"
#include "edid/EdidFile.h"
#include "edid/EdidText.h"

#include <QFile>
#include <QTest>

class TestEdidText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void canonicalRoundTrip_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *name : { "tv-hdr-600mhz.bin", "tv-hf-scdb.bin", "avr-receiver.bin",
                 "monitor-ff-padded-bad-checksum.bin" })
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void canonicalRoundTrip()
    {
        QFETCH(QString, file);
        QFile f(QStringLiteral(ZELVARIN_TEST_DATA "/edid/") + file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const EdidImage table = EdidFile::tableFromBinary(f.readAll());
        const QString text = EdidText::canonical(table);
        QCOMPARE(text.size(), 768);
        QCOMPARE(
            text.section(QLatin1Char('\n'), 7, 7).right(3), QString::asprintf(" %02X", table[127]));
        for (const QString &variant : { text, text.chopped(1) }) {
            EdidImage parsed;
            QCOMPARE(EdidText::parse(variant, parsed), 256);
            QCOMPARE(parsed, table);
        }
    }

    void parseRules_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("bytes"); // the table's first bytes; the rest must be 0
        QTest::newRow("empty") << QString() << 0 << QByteArray();
        QTest::newRow("lower case") << "ff 0a" << 2 << QByteArray("\xFF\x0A");
        QTest::newRow("GG") << "GG" << 1 << QByteArray("\x10");
        QTest::newRow("line feeds") << "12\n34\n" << 2 << QByteArray("\x12\x34");
        QTest::newRow("two spaces") << "12  34" << -1 << QByteArray();
        QTest::newRow("leading space") << " 12" << -1 << QByteArray();
        QTest::newRow("empty line") << "12\n\n34" << -1 << QByteArray();
        QTest::newRow("tab") << "12\t34" << -1 << QByteArray();
        QTest::newRow("CR LF") << "12\r\n34" << -1 << QByteArray();
        QTest::newRow("lone digit") << "12 3" << -1 << QByteArray();
        QTest::newRow("lone digit after line") << "12\n3" << -1 << QByteArray();
        QString longest; // 341 pairs with separators: 1023 characters, the most accepted
        for (int i = 0; i < 341; ++i)
            longest += QString::asprintf("%02X ", i & 0xFF);
        QTest::newRow("1023 characters") << longest << 341 << QByteArray();
        QTest::newRow("1025 characters") << longest + "00" << -1 << QByteArray();
    }
    void parseRules()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QByteArray, bytes);
        EdidImage image;
        image.fill(0xAA);
        QCOMPARE(EdidText::parse(text, image), count);
        if (count < 0 || count > 256)
            return;
        for (int i = 0; i < EDID_SIZE; ++i)
            QCOMPARE(image[i], i < bytes.size() ? quint8(bytes[i]) : quint8(0));
    }

    void checksum()
    {
        quint8 block[128] = {};
        QCOMPARE(edidChecksum(block), quint8(0));
        block[0] = 0xFF;
        block[1] = 0xFF;
        block[2] = 0x01; // bytes 0-126 sum to 0x1FF
        block[127] = 0x77; // the checksum byte itself is not added
        QCOMPARE(edidChecksum(block), quint8(0x01));
    }

    void fileConversion()
    {
        const QByteArray line = QByteArray("A0 ").repeated(16);
        const QByteArray canonicalLine = line.left(47) + '\n';
        QCOMPARE(
            EdidFile::hexTextFromFile(line + "\r\n" + line + "\n"), canonicalLine + canonicalLine);

        // Lines without the trailing space are not touched, CR and all.
        const QByteArray crlf = line.left(47) + "\r\n" + line.left(47) + "\r\n";
        QCOMPARE(EdidFile::hexTextFromFile(crlf), crlf);
        // One odd line stops the conversion of every later line.
        QCOMPARE(EdidFile::hexTextFromFile(line + "\n" + "AB\n" + line + "\n"),
            canonicalLine + "AB\n" + line + "\n");
        // A line end cut off by the end of the data does not match.
        QCOMPARE(EdidFile::hexTextFromFile(line + "\r"), line + "\r");
        // The text ends at the first 0x00 byte and after 1024 bytes at the latest.
        QCOMPARE(EdidFile::hexTextFromFile(QByteArray("AB\0CD", 5)), QByteArray("AB"));
        QCOMPARE(EdidFile::hexTextFromFile(QByteArray(3000, 'x')), QByteArray(1024, 'x'));
    }
};

QTEST_GUILESS_MAIN(TestEdidText)
#include "tst_edid_text.moc"
