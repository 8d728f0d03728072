// The QtCore side of EDID handling: canonical text, parse, block checksum and file conversion.
#include "EdidChecksum.h"
#include "EdidFile.h"
#include "EdidText.h"

#include <QFile>
#include <QTest>

namespace {

QByteArray loadTable(const QString &name)
{
    QFile f(QStringLiteral(EDID_TEST_DATA "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing test table %s", qPrintable(name));
    return f.readAll();
}

EdidImage imageOf(const QByteArray &bytes)
{
    return EdidFile::tableFromBinary(bytes);
}

QByteArray bytesOf(const EdidImage &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.data()), EDID_SIZE);
}

// The hex text another tool would write: every pair followed by a space, lines ended by `eol`.
QByteArray foreignHexText(const EdidImage &image, const QByteArray &eol)
{
    QByteArray out;
    for (int i = 0; i < EDID_SIZE; ++i) {
        out += QByteArray::number(image[i], 16).rightJustified(2, '0').toUpper() + ' ';
        if (i % 16 == 15)
            out += eol;
    }
    return out;
}

void addRealTables()
{
    QTest::addColumn<QString>("file");
    for (const char *name : {"tv-hdr-600mhz.bin", "tv-hdr-dynamic.bin", "tv-hf-scdb.bin",
                             "projector-4k-hdr.bin", "avr-receiver.bin",
                             "projector-bad-cta-checksum.bin",
                             "monitor-ff-padded-bad-checksum.bin"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

} // namespace

class TestEdidText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void canonicalRoundTrip_data() { addRealTables(); }
    void canonicalRoundTrip()
    {
        QFETCH(QString, file);
        const EdidImage table = imageOf(loadTable(file));
        const QString text = EdidText::canonical(table);
        QCOMPARE(text.size(), EdidText::CANONICAL_LENGTH);
        const QStringList lines = text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 17); // 16 lines and the empty rest after the last line feed
        for (int k = 0; k < 16; ++k) {
            QCOMPARE(lines[k].size(), 47);
            QVERIFY(!lines[k].endsWith(QLatin1Char(' ')));
        }
        QVERIFY(lines[7].endsWith(QString::asprintf("%02X", table[127])));

        for (const QString &variant : {text, text.chopped(1)}) {
            EdidImage parsed;
            parsed.fill(0xAA);
            QCOMPARE(EdidText::parse(variant, parsed), 256);
            QCOMPARE(parsed, table);
        }
    }

    void separatorsAndDigits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("bytes"); // the first bytes expected in the table

        QTest::newRow("empty") << QString() << 0 << QByteArray();
        QTest::newRow("lower case") << "ff 0a" << 2 << QByteArray("\xFF\x0A", 2);
        QTest::newRow("GG") << "GG" << 1 << QByteArray("\x10");
        QTest::newRow("pair at end") << "12 34" << 2 << QByteArray("\x12\x34");
        QTest::newRow("line feeds") << "12\n34\n" << 2 << QByteArray("\x12\x34");
        QTest::newRow("two spaces") << "12  34" << -1 << QByteArray();
        QTest::newRow("leading space") << " 12" << -1 << QByteArray();
        QTest::newRow("empty line") << "12\n\n34" << -1 << QByteArray();
        QTest::newRow("tab") << "12\t34" << -1 << QByteArray();
        QTest::newRow("carriage return") << "12\r\n34" << -1 << QByteArray();
        QTest::newRow("lone digit") << "1" << -1 << QByteArray();
        QTest::newRow("lone digit after pair") << "12 3" << -1 << QByteArray();
        QTest::newRow("lone digit after line") << "12\n3" << -1 << QByteArray();
    }
    void separatorsAndDigits()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QByteArray, bytes);
        EdidImage image;
        image.fill(0xAA);
        QCOMPARE(EdidText::parse(text, image), count);
        if (count < 0)
            return;
        for (int i = 0; i < bytes.size(); ++i)
            QCOMPARE(image[i], quint8(bytes[i]));
        // A short text must not leave the rest of the table to chance.
        for (int i = bytes.size(); i < EDID_SIZE; ++i)
            QCOMPARE(image[i], quint8(0));
    }

    void lengthLimit()
    {
        // 341 pairs, each with its separator, make 1023 characters: the longest text accepted.
        // Pairs past 256 are counted but not stored.
        QString longest;
        for (int i = 0; i < 341; ++i)
            longest += QString::asprintf("%02X ", i & 0xFF);
        QCOMPARE(longest.size(), EdidText::MAX_TEXT_LENGTH);
        EdidImage image;
        QCOMPARE(EdidText::parse(longest, image), 341);
        QCOMPARE(image[255], quint8(0xFF));

        QCOMPARE(EdidText::parse(longest + QLatin1String("00"), image), -1);
        QCOMPARE(EdidText::parse(QString(5000, QLatin1Char('0')), image), -1);
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

    void checksumOfRealTables_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("expected255"); // -1: byte 255 is already right
        QTest::newRow("tv") << "tv-hdr-600mhz.bin" << -1;
        QTest::newRow("avr") << "avr-receiver.bin" << -1;
        QTest::newRow("projector bad") << "projector-bad-cta-checksum.bin" << 0x38;
        QTest::newRow("monitor padded bad") << "monitor-ff-padded-bad-checksum.bin" << 0xAB;
    }
    void checksumOfRealTables()
    {
        QFETCH(QString, file);
        QFETCH(int, expected255);
        const EdidImage t = imageOf(loadTable(file));
        QCOMPARE(edidChecksum(t.data()), t[127]);
        const quint8 block1 = edidChecksum(t.data() + EDID_BLOCK_SIZE);
        if (expected255 < 0) {
            QCOMPARE(block1, t[255]);
        } else {
            QVERIFY(block1 != t[255]);
            QCOMPARE(int(block1), expected255);
        }
    }

    void binaryFiles()
    {
        QVERIFY(EdidFile::isBinaryTable(QByteArray()));
        QVERIFY(EdidFile::isBinaryTable(QByteArray(1, '\0')));
        QVERIFY(!EdidFile::isBinaryTable("00 FF"));

        const QByteArray small = loadTable(QStringLiteral("monitor-128.bin"));
        const EdidImage padded = EdidFile::tableFromBinary(small);
        QCOMPARE(bytesOf(padded).left(128), small);
        QVERIFY(std::all_of(padded.begin() + 128, padded.end(), [](quint8 b) { return b == 0; }));

        const QByteArray big = loadTable(QStringLiteral("monitor-512-blockmap.bin"));
        const EdidImage first = EdidFile::tableFromBinary(big);
        QCOMPARE(bytesOf(first), big.left(256));
    }

    void hexTextFiles_data() { addRealTables(); }
    void hexTextFiles()
    {
        QFETCH(QString, file);
        const EdidImage table = imageOf(loadTable(file));
        const QByteArray canonical = EdidText::canonical(table).toLatin1();
        QCOMPARE(EdidFile::hexTextFromFile(foreignHexText(table, "\r\n")), canonical);
        QCOMPARE(EdidFile::hexTextFromFile(foreignHexText(table, "\n")), canonical);
    }

    void hexTextLeftAlone()
    {
        // Lines without the trailing space are not touched, CR and all.
        QByteArray crlf = EdidText::canonical(EdidImage{}).toLatin1();
        crlf.replace("\n", "\r\n");
        QCOMPARE(EdidFile::hexTextFromFile(crlf), crlf);

        // One odd line stops the conversion of every later line.
        const QByteArray good = QByteArray("00 ").repeated(16) + "\n";
        const QByteArray odd = "AB\n";
        QCOMPARE(EdidFile::hexTextFromFile(good + odd + good),
                 good.left(47) + "\n" + odd + good);

        // A line end cut off by the end of the data does not match.
        QCOMPARE(EdidFile::hexTextFromFile(good.left(48)), good.left(48));
        QCOMPARE(EdidFile::hexTextFromFile(good.left(48) + "\r"), good.left(48) + "\r");

        // The text ends at the first 0x00 byte and after 1024 bytes at the latest.
        QCOMPARE(EdidFile::hexTextFromFile(QByteArray("AB\0CD", 5)), QByteArray("AB"));
        QCOMPARE(EdidFile::hexTextFromFile(QByteArray(3000, 'x')), QByteArray(1024, 'x'));
    }
};

QTEST_GUILESS_MAIN(TestEdidText)
#include "tst_edid_text.moc"
