// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The EDID side of the window against the simulated box: reads, writes, files and the checksum
// repair, including the failures that must not damage the box's table or the user's files.
#include "edid/EdidChecksum.h"
#include "edid/EdidFile.h"
#include "edid/EdidText.h"
#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTestAccess.h"

#include <QComboBox>
#include <QFile>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QByteArray tableFile(const QString &name)
{
    return readFile(QStringLiteral(ZELVARIN_TEST_DATA "/edid/") + name);
}

EdidImage table(const QString &name)
{
    return EdidFile::tableFromBinary(tableFile(name));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QList<int> values(const QSignalSpy &spy)
{
    QList<int> out;
    for (const auto &args : spy)
        out << args.at(0).toInt();
    return out;
}

} // namespace

class TestEdidWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;
    QTemporaryDir dir;
    QStringList statusMessages;
    quint64 sleptBefore = 0;

    MainWindow &w() { return h->window(); }
    QTextEdit *edidText() { return WindowTestAccess::form(w())->EDIDtext; }
    QProgressBar *bar() { return WindowTestAccess::progressBar(w()); }
    void run(const char *slot) { QVERIFY(QMetaObject::invokeMethod(&w(), slot)); }
    QString path(const QString &name) const { return dir.filePath(name); }
    // The format of the first digit of byte i of a canonical text.
    QTextCharFormat byteFormat(int i)
    {
        QTextCursor c(edidText()->document());
        c.setPosition(3 * i + 1);
        return c.charFormat();
    }
    int framesStartingWith(const QString &prefix) const
    {
        int n = 0;
        for (const QString &f : h->framesHex())
            n += f.startsWith(prefix);
        return n;
    }
    void showText(const QString &text, bool customMode = false)
    {
        if (customMode) {
            WindowTestAccess::form(w())->customEDID->setChecked(true);
            WindowTestAccess::form(w())->cmBEdid->setCurrentIndex(0);
        }
        edidText()->setPlainText(text);
        h->dialogs.clear();
        h->clearFrames();
        statusMessages.clear();
        sleptBefore = h->clock.totalSleptMs();
    }
    quint64 slept() const { return h->clock.totalSleptMs() - sleptBefore; }

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<WindowHarness>();
        h->create();
        connect(w().statusBar(), &QStatusBar::messageChanged, this, [this](const QString &m) {
            if (!m.isEmpty())
                statusMessages << m;
        });
        showText(QString());
    }
    void cleanup() { h.reset(); }

    void readShowsTheTable_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<QString>("fetch");
        QTest::addColumn<int>("source"); // -1 the box, 0 / 1 the TV on output A / B
        QTest::addColumn<QString>("message");
        QTest::newRow("box") << QByteArray("ReadEDID") << "10 01 B4" << -1 << "EDID values read.";
        QTest::newRow("TOP") << QByteArray("readTvEdidA") << "10 01 B5" << 0
                             << "TV EDID values read.";
        QTest::newRow("BOT") << QByteArray("readTvEdidB") << "10 01 B6" << 1
                             << "TV EDID values read.";
    }
    void readShowsTheTable()
    {
        QFETCH(QByteArray, slot);
        QFETCH(QString, fetch);
        QFETCH(int, source);
        QFETCH(QString, message);
        h->box.setFetchBusyReads(0);
        // As after loading a text file: the read must not take on its blue and bold.
        edidText()->setTextColor(Qt::blue);
        edidText()->setFontWeight(QFont::Bold);
        QSignalSpy progress(bar(), &QProgressBar::valueChanged);

        run(slot.constData());

        const EdidImage expected = source < 0 ? h->box.boxEdid() : h->box.tvEdid(source);
        QCOMPARE(edidText()->toPlainText(), EdidText::canonical(expected));
        QCOMPARE(h->statusMessage(), message);
        for (int i : { 0, 127, 255 }) {
            QCOMPARE(byteFormat(i).foreground().color(), QColor(Qt::black));
            QCOMPARE(byteFormat(i).fontWeight(), int(QFont::Normal));
        }
        QStringList frames { fetch, QStringLiteral("11 2A E1") };
        for (int offset = 0; offset < 256; offset += 16)
            frames << QStringLiteral("11 10 B0 %1").arg(offset, 2, 16, QLatin1Char('0')).toUpper();
        QCOMPARE(h->framesHex(), frames);
        QCOMPARE(values(progress).first(), 16);
        QVERIFY(values(progress).contains(240));
        QVERIFY(bar()->isHidden());
    }

    void readCarriesOnThroughBusyBox()
    {
        h->box.setFetchBusyReads(3);
        run("ReadEDID"); // polled until the busy bit clears, 10 ms apart, after a 100 ms settle
        QCOMPARE(framesStartingWith(QStringLiteral("11 2A E1")), 4);
        QCOMPARE(slept(), quint64(100 + 4 * 10));

        showText(QString());
        h->box.setBusyForever(true);
        run("ReadEDID");
        QCOMPARE(framesStartingWith(QStringLiteral("11 2A E1")), 502);
        QCOMPARE(h->statusMessage(), QStringLiteral("EDID values read."));
        QCOMPARE(edidText()->toPlainText(), EdidText::canonical(h->box.boxEdid()));
    }

    // A fetch or chunk that fails ends the read: the error is said, the bar goes, the text stays.
    void failedReadKeepsTheText_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("chunkReads");
        QTest::newRow("fetch answered wrong") << 0 << 0;
        QTest::newRow("fetch not answered") << 1 << 0;
        QTest::newRow("chunk 4 not answered") << 2 << 5;
    }
    void failedReadKeepsTheText()
    {
        QFETCH(int, fault);
        QFETCH(int, chunkReads);
        showText(QStringLiteral("what the user had"));
        if (fault == 0)
            h->box.setWrongCodeNext(1);
        else if (fault == 1)
            h->box.setSilentFor(CODE_EDID_FETCH_BOX, 1);
        else
            h->box.failEdidChunkRead(4);
        QVERIFY(!WindowTestAccess::readBoxEdid(w()));
        QCOMPARE(edidText()->toPlainText(), QStringLiteral("what the user had"));
        QCOMPARE(framesStartingWith(QStringLiteral("11 10 B0")), chunkReads);
        QVERIFY(!statusMessages.contains(QStringLiteral("EDID values read.")));
        QCOMPARE(h->statusMessage(), QStringLiteral("Error Reading EDID values."));
        QVERIFY(bar()->isHidden());
    }

    void progressShowsOnlyPositiveValues()
    {
        w().on_ProgressChange(16, 255);
        QVERIFY(!bar()->isHidden());
        QCOMPARE(bar()->value(), 16);
        w().on_ProgressChange(0, 255);
        QVERIFY(bar()->isHidden());
        w().on_ProgressChange(16, 255);
        w().on_ProgressChange(5, 0);
        QVERIFY(bar()->isHidden());
        QCOMPARE(w().statusBar()->findChildren<QProgressBar *>().size(), 1);
    }

    void writeUploadsTheEditedTable()
    {
        EdidImage edited = h->box.boxEdid();
        edited[20] ^= 0x5A;
        edited[127] = edidChecksum(edited.data());
        showText(EdidText::canonical(edited).toLower(), true);
        QSignalSpy progress(bar(), &QProgressBar::valueChanged);

        run("WriteEDID");

        QVERIFY(h->dialogs.shown.isEmpty());
        const QStringList frames = h->framesHex();
        QCOMPARE(frames.size(), 33);
        for (int i = 0; i < 32; ++i)
            QVERIFY(frames[i].startsWith(
                QStringLiteral("10 08 B0 %1").arg(8 * i, 2, 16, QLatin1Char('0')).toUpper()));
        QCOMPARE(frames.last(), QStringLiteral("10 08 B1"));
        QCOMPARE(h->statusMessage(), QStringLiteral("EDID values written..."));
        QCOMPARE(slept(), quint64(32 * 30));
        QCOMPARE(values(progress).first(), 1);
        QCOMPARE(values(progress).last(), 31);
        QVERIFY(bar()->isHidden());

        showText(QString()); // a following read shows it back
        run("ReadEDID");
        QCOMPARE(edidText()->toPlainText(), EdidText::canonical(edited));
    }

    void writeRefusedOutsideCustomTable_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("item");
        QTest::newRow("automix") << "automixEDID" << 0;
        QTest::newRow("fixed") << "fixedEDID" << 0;
        QTest::newRow("custom, item 3") << "customEDID" << 3;
        QTest::newRow("custom, no item") << "customEDID" << -1;
    }
    void writeRefusedOutsideCustomTable()
    {
        QFETCH(QString, mode);
        QFETCH(int, item);
        w().findChild<QRadioButton *>(mode)->setChecked(true);
        if (item < 0)
            WindowTestAccess::form(w())->cmBEdid->clear();
        else
            WindowTestAccess::form(w())->cmBEdid->setCurrentIndex(item);
        showText(EdidText::canonical(h->box.boxEdid()));

        run("WriteEDID");

        QCOMPARE(h->dialogs.texts(QStringLiteral("warning")),
            QStringList { "\nSelect CUSTOM EDID TABLE mode to upload an EDID table\n" });
        QVERIFY(h->framesHex().isEmpty());
    }

    void failedChunkWriteIsNeverCommitted_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("chunksSent");
        QTest::newRow("chunk 5 answered wrong") << false << 6;
        QTest::newRow("chunk 0 not answered") << true << 1;
    }
    void failedChunkWriteIsNeverCommitted()
    {
        QFETCH(bool, silent);
        QFETCH(int, chunksSent);
        const EdidImage before = h->box.boxEdid();
        showText(EdidText::canonical(table(QStringLiteral("avr-receiver.bin"))), true);
        if (silent)
            h->box.setSilentFor(CODE_EDID_DATA, 1);
        else
            h->box.failEdidChunkWrite(5);

        QVERIFY(!WindowTestAccess::writeBoxEdid(w()));

        QCOMPARE(framesStartingWith(QStringLiteral("10 08 B0")), chunksSent);
        QCOMPARE(framesStartingWith(QStringLiteral("10 08 B1")), 0);
        QCOMPARE(h->statusMessage(), QStringLiteral("Error Writing EDID values."));
        QVERIFY(bar()->isHidden());
        QCOMPARE(h->box.boxEdid(), before);
    }

    void checksumQuestionBeforeWrite_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(QMessageBox::No);
        QTest::newRow("Yes") << int(QMessageBox::Yes);
    }
    void checksumQuestionBeforeWrite()
    {
        QFETCH(int, answer);
        const bool yes = answer == QMessageBox::Yes;
        const EdidImage bad = table(QStringLiteral("projector-bad-cta-checksum.bin"));
        showText(EdidText::canonical(bad), true);
        h->dialogs.answers << QMessageBox::StandardButton(answer);

        QCOMPARE(WindowTestAccess::writeBoxEdid(w()), yes);

        QCOMPARE(h->dialogs.shown.size(), 1);
        const auto &q = h->dialogs.shown.first();
        QCOMPARE(q.title + '|' + q.text + '|' + q.informativeText,
            QStringLiteral("ZELVARIN Utility|The EDID Checksum is not correct.|Write anyway?"));
        QCOMPARE(h->framesHex().size(), yes ? 33 : 0);
        if (yes)
            QCOMPARE(h->box.boxEdid(), bad); // sent as it stood, byte 255 and all
    }

    void malformedTextIsRefused_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::newRow("write") << QByteArray("WriteEDID");
        QTest::newRow("save") << QByteArray("SaveEDIDtoFile");
        QTest::newRow("checksum") << QByteArray("CalculateChkSum");
    }
    void malformedTextIsRefused()
    {
        QFETCH(QByteArray, slot);
        showText(QStringLiteral("00 11\t22"), true);
        run(slot.constData());
        QCOMPARE(h->dialogs.shown.size(), 1); // no file dialog either
        QCOMPARE(h->dialogs.texts(QStringLiteral("warning")), QStringList { "Hex Format Error" });
        QVERIFY(h->framesHex().isEmpty());
        QCOMPARE(edidText()->toPlainText(), QStringLiteral("00 11\t22"));
    }

    void formattedDisplay_data()
    {
        QTest::addColumn<float>("scale");
        QTest::addColumn<qreal>("points");
        QTest::newRow("96 dpi") << 1.0f << 8.0;
        QTest::newRow("144 dpi") << 1.5f << 8.0 / 1.5;
        QTest::newRow("unmeasured") << 0.0f << 8.0;
    }
    void formattedDisplay()
    {
        QFETCH(float, scale);
        QFETCH(qreal, points);
        h->services.displayScale = scale;
        const EdidImage t = table(QStringLiteral("tv-hdr-dynamic.bin"));
        WindowTestAccess::showEdidImage(w(), t);

        QCOMPARE(edidText()->toPlainText(), EdidText::canonical(t));
        for (int i = 0; i < EDID_SIZE; ++i) {
            const QTextCharFormat f = byteFormat(i);
            const bool bold = i == 127 || i == 255;
            QCOMPARE(f.fontWeight(), bold ? int(QFont::Bold) : int(QFont::Normal));
            QCOMPARE(f.foreground().color(), QColor(Qt::black));
            QVERIFY(qFuzzyCompare(f.fontPointSize(), points));
        }
    }

    void checksumRepair_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("repaired255"); // -1: nothing changed
        QTest::newRow("good") << "tv-hdr-600mhz.bin" << int(QMessageBox::No) << -1;
        QTest::newRow("projector Yes")
            << "projector-bad-cta-checksum.bin" << int(QMessageBox::Yes) << 0x38;
        QTest::newRow("monitor Yes")
            << "monitor-ff-padded-bad-checksum.bin" << int(QMessageBox::Yes) << 0xAB;
        QTest::newRow("projector No")
            << "projector-bad-cta-checksum.bin" << int(QMessageBox::No) << -1;
    }
    void checksumRepair()
    {
        QFETCH(QString, file);
        QFETCH(int, answer);
        QFETCH(int, repaired255);
        const EdidImage original = table(file);
        const bool good = edidChecksum(original.data() + 128) == original[255];
        showText(EdidText::canonical(original)); // plain text, no bold yet
        h->dialogs.answers << QMessageBox::StandardButton(answer);

        run("CalculateChkSum");

        QCOMPARE(h->dialogs.texts(QStringLiteral("question")).size(), good ? 0 : 1);
        if (!good) {
            const auto &q = h->dialogs.shown.first();
            QCOMPARE(q.informativeText, QStringLiteral("Do you want to calculate a new checksum?"));
            QVERIFY(q.title.isEmpty() && !q.hasParent);
        }
        EdidImage expected = original;
        if (repaired255 >= 0)
            expected[255] = quint8(repaired255);
        QCOMPARE(edidText()->toPlainText(), EdidText::canonical(expected));
        const bool formatted = good || repaired255 >= 0;
        QCOMPARE(byteFormat(255).fontWeight(), formatted ? int(QFont::Bold) : int(QFont::Normal));
    }

    void loadBinaryFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("128") << "monitor-128.bin";
        QTest::newRow("256") << "tv-hf-scdb.bin";
        QTest::newRow("384") << "monitor-384-displayid.bin";
        QTest::newRow("512") << "monitor-512-blockmap.bin";
    }
    void loadBinaryFiles()
    {
        QFETCH(QString, file);
        const QByteArray bytes = file.isEmpty() ? QByteArray() : tableFile(file);
        writeFile(path(QStringLiteral("t.bin")), bytes);
        h->dialogs.fileNames << path(QStringLiteral("t.bin"));

        run("LoadEDIDfromFile");

        QCOMPARE(h->dialogs.shown.first().text,
            QStringLiteral("EDID tables, binary or hex text (*.bin *.txt *.hex);;"
                           "Binary Files (*.bin);;All files (*.*)"));
        QByteArray padded = bytes.left(256);
        padded.append(256 - padded.size(), '\0');
        QCOMPARE(edidText()->toPlainText(), EdidText::canonical(EdidFile::tableFromBinary(padded)));
        QCOMPARE(byteFormat(127).fontWeight(), int(QFont::Bold));
        QCOMPARE(h->statusMessage(), QStringLiteral("File loaded"));
    }

    // What is not an EDID table is refused, and the text shown stays as it was.
    void loadRefusesWhatIsNoEdid_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("picture") << QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
        QTest::newRow("zeros") << QByteArray(256, '\0');
        QTest::newRow("header, odd size") << QByteArray::fromHex("00ffffffffffff00") + "abc";
        QTest::newRow("words") << QByteArray("this is not an EDID table\n");
        QTest::newRow("hex without header") << QByteArray("01 02 03 04\n");
    }
    void loadRefusesWhatIsNoEdid()
    {
        QFETCH(QByteArray, bytes);
        showText(QStringLiteral("what the user had"));
        writeFile(path(QStringLiteral("t.bin")), bytes);
        h->dialogs.fileNames << path(QStringLiteral("t.bin"));
        run("LoadEDIDfromFile");
        QCOMPARE(edidText()->toPlainText(), QStringLiteral("what the user had"));
        QVERIFY(h->statusMessage() != QStringLiteral("File loaded"));
        QVERIFY(h->dialogs.texts("warning").constLast().endsWith("does not hold an EDID table."));
    }

    void loadHexTextFile_data()
    {
        QTest::addColumn<QByteArray>("eol");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
    }
    void loadHexTextFile()
    {
        QFETCH(QByteArray, eol);
        const EdidImage t = table(QStringLiteral("projector-4k-hdr.bin"));
        QByteArray text = EdidText::canonical(t).toLatin1();
        text.replace('\n', " " + eol);
        writeFile(path(QStringLiteral("t.txt")), text);
        h->dialogs.fileNames << path(QStringLiteral("t.txt"));

        run("LoadEDIDfromFile");

        // The dialog shows hex text files as it opens, as it shows binary ones.
        const QString firstFilter
            = h->dialogs.shown.first().text.section(QLatin1String(";;"), 0, 0);
        const QStringList patterns
            = firstFilter.section(QLatin1Char('('), 1).chopped(1).split(QLatin1Char(' '));
        for (const char *name : { "t.txt", "t.hex", "t.bin" }) {
            const bool shown
                = std::any_of(patterns.begin(), patterns.end(), [name](const QString &p) {
                      return QRegularExpression::fromWildcard(p)
                          .match(QLatin1String(name))
                          .hasMatch();
                  });
            QVERIFY2(shown, name);
        }
        QCOMPARE(edidText()->toPlainText(), EdidText::canonical(t));
        QCOMPARE(byteFormat(40).foreground().color(), QColor(0, 0, 255, 255));
        QCOMPARE(byteFormat(40).fontWeight(), int(QFont::Bold));
        QCOMPARE(h->statusMessage(), QStringLiteral("File loaded"));
    }

    void loadFailuresKeepTheText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("cancelled") << QString();
        QTest::newRow("missing") << path(QStringLiteral("no-such-file.bin"));
#ifdef Q_OS_LINUX
        QTest::newRow("opens, fails to read") << "/proc/self/mem";
#endif
    }
    void loadFailuresKeepTheText()
    {
        QFETCH(QString, file);
        showText(QStringLiteral("kept"));
        h->dialogs.fileNames << file;

        run("LoadEDIDfromFile");

        const QStringList warnings = h->dialogs.texts(QStringLiteral("warning"));
        QCOMPARE(warnings.size(), file.isEmpty() ? 0 : 1);
        if (!file.isEmpty())
            QVERIFY(
                warnings.first().startsWith(QStringLiteral("Cannot read file %1:\n").arg(file)));
        QCOMPARE(edidText()->toPlainText(), QStringLiteral("kept"));
        QVERIFY(statusMessages.isEmpty());
    }

    void saveThenLoad()
    {
        const EdidImage t = table(QStringLiteral("tv-hdr-600mhz.bin"));
        const QString file = path(QStringLiteral("saved.bin"));
        writeFile(file, QByteArray(600, 'x')); // a longer file is replaced whole
        showText(EdidText::canonical(t));
        h->dialogs.fileNames << file << file;

        run("SaveEDIDtoFile");

        QCOMPARE(h->dialogs.shown.first().informativeText, QStringLiteral("ZELVARIN_edid0.bin"));
        QCOMPARE(statusMessages, (QStringList { "Saving file...", "File saved" }));
        QCOMPARE(readFile(file), QByteArray(reinterpret_cast<const char *>(t.data()), 256));

        showText(QString());
        run("LoadEDIDfromFile");
        QCOMPARE(edidText()->toPlainText(), EdidText::canonical(t));

        showText(QStringLiteral("00 FF")); // a short text saves its pairs followed by zeros
        h->dialogs.fileNames << file;
        run("SaveEDIDtoFile");
        QCOMPARE(readFile(file), QByteArray("\x00\xFF", 2) + QByteArray(254, '\0'));
    }

    void failedSaveKeepsTheOldFile()
    {
        const QString missingDir = path(QStringLiteral("no-dir/e.bin"));
        showText(EdidText::canonical(h->box.boxEdid()));
        h->dialogs.fileNames << missingDir;
        run("SaveEDIDtoFile");
        const QStringList warnings = h->dialogs.texts(QStringLiteral("warning"));
        QVERIFY(warnings.size() == 1
            && warnings[0].startsWith(QStringLiteral("Cannot write file %1:\n").arg(missingDir)));
        QVERIFY(!statusMessages.contains(QStringLiteral("File saved")));

#ifdef Q_OS_LINUX
        // The disk takes only part of the data (a file size limit below 256 bytes).
        const QString file = path(QStringLiteral("old.bin"));
        const QByteArray old = tableFile(QStringLiteral("monitor-512-blockmap.bin"));
        writeFile(file, old);
        showText(EdidText::canonical(h->box.boxEdid()));
        h->dialogs.fileNames << file;
        rlimit kept {};
        getrlimit(RLIMIT_FSIZE, &kept);
        rlimit small = kept;
        small.rlim_cur = 100;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        run("SaveEDIDtoFile");
        setrlimit(RLIMIT_FSIZE, &kept);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(h->dialogs.texts(QStringLiteral("warning")).size(), 1);
        QVERIFY(!statusMessages.contains(QStringLiteral("File saved")));
        QCOMPARE(readFile(file), old);
        QCOMPARE(QDir(dir.path()).entryList({ QStringLiteral("old.bin*") }, QDir::Files),
            QStringList { "old.bin" }); // no temporary file left beside it
#endif
    }
};

QTEST_MAIN(TestEdidWindow)
#include "tst_edid_window.moc"
