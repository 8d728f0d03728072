// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/HexBytes.h"

#include <QRandomGenerator>
#include <QTest>
#include <memory>
#include <vector>

namespace {

// The text in a heap block of exactly its own size, so that the sanitizer build reports any read
// past its end (a QByteArray would hide one behind its terminating zero).
struct ExactText
{
    explicit ExactText(const QByteArray &bytes)
        : size(bytes.size())
        , data(new char[qMax<qsizetype>(size, 1)])
    {
        std::copy(bytes.begin(), bytes.end(), data.get());
    }
    int size;
    std::unique_ptr<char[]> data;
};

QByteArray parse(const QByteArray &prepared, bool withCount)
{
    ExactText text(prepared);
    HexOutput out;
    const quint8 count = parseHexBytes(text.data.get(), text.size, withCount, out);
    return QByteArray(reinterpret_cast<const char *>(out.data()), count);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result.append(static_cast<char>(v));
    return result;
}

} // namespace

class TestHexBytes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pairConversion_data();
    void pairConversion();
    void preparation();
    void malformedTexts_data();
    void malformedTexts();
    void randomWellFormedTextsRoundTrip();
    void randomArbitraryTextsStayInBounds();
};

void TestHexBytes::pairConversion_data()
{
    QTest::addColumn<char>("first");
    QTest::addColumn<char>("second");
    QTest::addColumn<int>("expected");
    QTest::newRow("digits") << '0' << '9' << 0x09;
    QTest::newRow("upper") << 'A' << 'F' << 0xAF;
    QTest::newRow("lower") << 'c' << '8' << 0xC8;
    QTest::newRow("mixed") << 'f' << 'F' << 0xFF;
    // Not hex, converted by the same arithmetic without complaint.
    QTest::newRow("GG") << 'G' << 'G' << 0x10;
    QTest::newRow("zero bytes") << '\0' << '\0' << 0xD0;
    QTest::newRow("carriage return") << '\r' << '\0' << 0xA0;
    QTest::newRow("high latin-1") << '\xE9' << '1' << 0x21;
}

void TestHexBytes::pairConversion()
{
    QFETCH(char, first);
    QFETCH(char, second);
    QFETCH(int, expected);
    QCOMPARE(int(hexPairToByte(first, second)), expected);
}

void TestHexBytes::preparation()
{
    QCOMPARE(prepareHexText(QString()), QByteArray("\r"));
    QCOMPARE(prepareHexText(QStringLiteral("5b:44:40")), QByteArray("5B:44:40\r"));
    // A character without a Latin-1 form becomes a question mark; Latin-1 letters stay single.
    QCOMPARE(prepareHexText(QStringLiteral("a\u20ACb")), QByteArray("A?B\r"));
    QCOMPARE(prepareHexText(QStringLiteral("\u00e9")), QByteArray("\xC9\r"));
}

void TestHexBytes::malformedTexts_data()
{
    QTest::addColumn<QByteArray>("prepared");
    QTest::addColumn<QByteArray>("expected");
    const int beforeStart = hexPairToByte('\0', '\0');
    // A colon first: the two positions before the text read as zero.
    QTest::newRow("leading colon") << QByteArray(":12\r") << bytes({ beforeStart, 0x12 });
    QTest::newRow("colon second") << QByteArray("1:23\r")
                                  << bytes({ hexPairToByte('\0', '1'), 0x23 });
    // A trailing colon: the final pair is the carriage return and a zero past the text.
    QTest::newRow("trailing colon")
        << QByteArray("50:\r") << bytes({ 0x50, hexPairToByte('\r', '\0') });
    QTest::newRow("only a colon") << QByteArray(":\r")
                                  << bytes({ beforeStart, hexPairToByte('\r', '\0') });
    // A one-digit group ends the scan at the colon before it; later bytes are dropped.
    QTest::newRow("short group") << QByteArray("50:04:1:22\r")
                                 << bytes({ 0x50, 0x04, hexPairToByte('1', ':') });
    QTest::newRow("empty") << QByteArray() << bytes({ beforeStart });
    // Without colons: one byte from the second and third characters.
    QTest::newRow("no colon") << QByteArray("ABCDE\r") << bytes({ 0xBC });
    QTest::newRow("single byte") << QByteArray("50\r") << bytes({ hexPairToByte('0', '\r') });
}

void TestHexBytes::malformedTexts()
{
    QFETCH(QByteArray, prepared);
    QFETCH(QByteArray, expected);
    QCOMPARE(parse(prepared, false), expected);
}

// Any list of 1 to 31 bytes, written in either case, comes back unchanged.
void TestHexBytes::randomWellFormedTextsRoundTrip()
{
    QRandomGenerator random(0x5A17);
    for (int round = 0; round < 2000; ++round) {
        const int length = 1 + random.bounded(31);
        QByteArray expected;
        QStringList groups;
        for (int i = 0; i < length; ++i) {
            const quint8 byte = static_cast<quint8>(random.bounded(256));
            expected.append(static_cast<char>(byte));
            QString group = QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
            groups << (random.bounded(2) ? group.toUpper() : group);
        }
        const QString text = groups.join(QLatin1Char(':'));
        const QByteArray prepared = prepareHexText(text);
        if (length == 1) {
            // A lone byte is read from its second character and the carriage return.
            QCOMPARE(parse(prepared, false).size(), 1);
            continue;
        }
        QCOMPARE(parse(prepared, false), expected);
        QByteArray counted = expected;
        counted.insert(1, static_cast<char>(length - 1));
        QCOMPARE(parse(prepared, true), counted);
    }
}

// Whatever the text, the conversion stays inside it and inside its output, the count byte agrees
// with the result, and the load frame is exactly count + 3 bytes.
void TestHexBytes::randomArbitraryTextsStayInBounds()
{
    QRandomGenerator random(0xC0105);
    static const char alphabet[] = "::::0123456789abcdefABCDEFG \r\t\xE9\x80";
    for (int round = 0; round < 20000; ++round) {
        const int length = random.bounded(round % 10 == 0 ? 400 : 100);
        QByteArray raw(length, '\0');
        for (char &c : raw) {
            c = random.bounded(8) == 0 ? static_cast<char>(random.bounded(256))
                                       : alphabet[random.bounded(int(sizeof alphabet - 1))];
        }
        ExactText text(raw);
        for (bool withCount : { false, true }) {
            HexOutput out;
            out.fill(0xAA);
            const quint8 count = parseHexBytes(text.data.get(), text.size, withCount, out);
            QVERIFY2(count >= 1 && count <= HEX_OUTPUT_LEN, raw.toHex().constData());
            if (withCount)
                QCOMPARE(out[1], static_cast<quint8>(count - 2));
            const int used = withCount ? qMax<int>(count, 2) : count;
            for (int i = used; i < HEX_OUTPUT_LEN; ++i)
                QCOMPARE(out[i], quint8(0));
            const QByteArray frame = buildLoadFrame(0xE5, out, count);
            QCOMPARE(frame.size(), count + 3);
            QCOMPARE(quint8(frame[1]), count);
        }
    }
}

QTEST_APPLESS_MAIN(TestHexBytes)
#include "tst_hexbytes.moc"
