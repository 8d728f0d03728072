// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTestAccess.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTextEdit>
#include <QtTest>
#include <cstdio>
#include <unistd.h>

namespace {

// Standard output redirected to a temporary file for the lifetime of the object.
class StdoutCapture
{
public:
    StdoutCapture()
    {
        m_file.open();
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        ::dup2(m_file.handle(), STDOUT_FILENO);
    }
    ~StdoutCapture() { restore(); }
    QByteArray text()
    {
        restore();
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stdout);
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

// "00:01:02:..." with `count` bytes.
QString byteList(int count)
{
    QStringList groups;
    for (int i = 0; i < count; ++i)
        groups << QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0'));
    return groups.join(QLatin1Char(':'));
}

const QString sendCecError = QStringLiteral("Error: min 2, max 31 data bytes");

} // namespace

// The CEC and InfoFrame controls against the simulated box: the frames it receives, the messages
// on the status bar, and the line a failed activation leaves on standard output.
class TestPacketsWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;
    Ui::ZelvarinForm *ui = nullptr;

private Q_SLOTS:
    void init();
    void cleanup();

    void cecSendFrames_data();
    void cecSendFrames();
    void cecStoreCarriesTheUpperCaseText();
    void cecLengthLimits_data();
    void cecLengthLimits();
    void cecFailures();
    void malformedTextStillBuildsAConsistentFrame();

    void infoFrameLoadAndActivate();
    void infoFrameLengthLimits();
    void infoFrameFailures();

    void aviLoadActivateAndRegister();
    void aviLengthLimits();
    void aviFailuresStopTheSequence();
    void replaceAviCheckBox();
    void forceHdrCheckBox();

    void textLimitsInCharacters_data();
    void textLimitsInCharacters();
};

void TestPacketsWindow::init()
{
    h = std::make_unique<WindowHarness>();
    h->create();
    ui = WindowTestAccess::form(h->window());
    h->clearFrames();
}

void TestPacketsWindow::cleanup()
{
    ui = nullptr;
    h.reset();
}

void TestPacketsWindow::cecSendFrames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("frames");
    QTest::newRow("menu up") << "54:44:01" << QStringList { "10 04 B2 54 02 44 01", "10 04 B3 10" };
    QTest::newRow("standby") << "0f:36" << QStringList { "10 03 B2 0F 01 36", "10 03 B3 10" };
    QTest::newRow("lower case") << "5b:44:40"
                                << QStringList { "10 04 B2 5B 02 44 40", "10 04 B3 10" };
    // Without colons only the second and third characters count.
    QTest::newRow("no colon") << "ABCDE" << QStringList { "10 01 B2 BC", "10 01 B3 10" };
}

void TestPacketsWindow::cecSendFrames()
{
    QFETCH(QString, text);
    QFETCH(QStringList, frames);
    ui->CECtext->setPlainText(text);
    const quint64 sleptBefore = h->clock.totalSleptMs();

    ui->ButWriteCEC->click();

    QCOMPARE(h->framesHex(), frames);
    QCOMPARE(h->statusMessage(), QStringLiteral("CEC values written..."));
    QCOMPARE(h->clock.totalSleptMs() - sleptBefore, quint64(100));
    QCOMPARE(h->box.activations(), QList<quint8> { ACTIVATE_CEC });
}

void TestPacketsWindow::cecStoreCarriesTheUpperCaseText()
{
    ui->CECtext->setPlainText(QStringLiteral("54:44:01"));
    ui->ButSaveCEC_1->click();
    QCOMPARE(h->framesHex(), QStringList { "10 0D E3 43 45 43 20 35 34 3A 34 34 3A 30 31 0D" });
    QCOMPARE(h->statusMessage(), QStringLiteral("CEC values written..."));

    h->clearFrames();
    ui->CECtext->setPlainText(QStringLiteral("5b:44:40"));
    ui->ButSaveCEC_2->click();
    QCOMPARE(h->framesHex(), QStringList { "10 0D E4 43 45 43 20 35 42 3A 34 34 3A 34 30 0D" });
    QCOMPARE(h->box.cecStore(2), QByteArray("5B:44:40\r"));
    QVERIFY(h->box.activations().isEmpty());
}

void TestPacketsWindow::cecLengthLimits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sendAccepted");
    QTest::addColumn<bool>("storeAccepted");
    QTest::newRow("empty") << QString() << false << false;
    QTest::newRow("single byte") << "50" << false << false;
    QTest::newRow("two bytes") << "50:04" << true << true;
    QTest::newRow("20 bytes") << byteList(20) << true << true;
    QTest::newRow("21 bytes") << byteList(21) << true << false;
    QTest::newRow("31 bytes") << byteList(31) << true << false;
    QTest::newRow("32 bytes") << byteList(32) << false << false;
}

void TestPacketsWindow::cecLengthLimits()
{
    QFETCH(QString, text);
    QFETCH(bool, sendAccepted);
    QFETCH(bool, storeAccepted);
    ui->CECtext->setPlainText(text);
    const int bytes = text.isEmpty() ? 0 : int(text.count(QLatin1Char(':'))) + 1;

    ui->ButWriteCEC->click();
    if (sendAccepted) {
        QCOMPARE(h->framesHex().size(), 2);
        QCOMPARE(h->box.lastCecMessage().size(), bytes + 1);
    } else {
        QVERIFY(h->framesHex().isEmpty());
        QCOMPARE(h->statusMessage(), sendCecError);
    }

    h->clearFrames();
    ui->ButSaveCEC_1->click();
    if (storeAccepted) {
        QCOMPARE(h->framesHex().size(), 1);
        QCOMPARE(h->box.cecStore(1), text.toUpper().toLatin1() + '\r');
    } else {
        QVERIFY(h->framesHex().isEmpty());
        QCOMPARE(h->statusMessage(), QStringLiteral("CEC values not correct"));
    }
    QCOMPARE(ui->CECtext->toPlainText(), text);
}

void TestPacketsWindow::cecFailures()
{
    ui->CECtext->setPlainText(QStringLiteral("50:04"));

    // A send that gets no answer is an error, and the activate frame still follows.
    h->box.setSilentFor(CODE_CEC_SEND);
    ui->ButWriteCEC->click();
    QCOMPARE(h->statusMessage(), QStringLiteral("Error Writing CEC command."));
    QCOMPARE(h->framesHex(), (QStringList { "10 03 B2 50 01 04", "10 03 B3 10" }));

    // A failed activation shows only on standard output; the window keeps the send's outcome.
    h->box.setSilentFor(CODE_ACTIVATE);
    {
        StdoutCapture out;
        QVERIFY(!WindowTestAccess::sendCecCommand(h->window(), CODE_CEC_SEND));
        QCOMPARE(out.text(), QByteArray("\nError Populating CEC values.\n"));
    }
    QCOMPARE(h->statusMessage(), QStringLiteral("CEC values written..."));

    h->box.setWrongCodeNext();
    ui->ButSaveCEC_2->click();
    QCOMPARE(h->statusMessage(), QStringLiteral("Error Writing CEC values."));
}

// Colons where the bytes should be: whatever the conversion makes of it, the frame's count byte
// matches its length and the activate frame reuses it.
void TestPacketsWindow::malformedTextStillBuildsAConsistentFrame()
{
    for (const QString &text :
        { QString(92, QLatin1Char(':')), QStringLiteral(":50:04:"), QStringLiteral("5:0::4") }) {
        h->clearFrames();
        ui->CECtext->setPlainText(text);
        ui->ButWriteCEC->click();
        const QList<QByteArray> frames = h->box.receivedFrames();
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[0].size(), quint8(frames[0][1]) + 3);
        QCOMPARE(frames[1], frames[0].left(2) + "\xB3\x10");
    }
}

void TestPacketsWindow::infoFrameLoadAndActivate()
{
    ui->IFtext->setPlainText(QStringLiteral("87:01:17:5c:02:00:d0:84"));
    ui->ButWriteIF->click();
    QCOMPARE(h->framesHex(), (QStringList { "10 08 E5 87 01 17 5C 02 00 D0 84", "10 08 B3 20" }));
    QCOMPARE(h->statusMessage(), QStringLiteral("Infoframe values written..."));
    QCOMPARE(h->box.activations(), QList<quint8> { ACTIVATE_INFOFRAME });
}

void TestPacketsWindow::infoFrameLengthLimits()
{
    for (int bytes : { 0, 1, 2, 31, 32 }) {
        h->clearFrames();
        ui->IFtext->setPlainText(byteList(bytes));
        ui->ButWriteIF->click();
        if (bytes >= 2 && bytes <= 31) {
            QCOMPARE(h->box.infoFrame().size(), bytes);
        } else {
            QVERIFY(h->framesHex().isEmpty());
            QCOMPARE(h->statusMessage(), sendCecError);
        }
    }
}

void TestPacketsWindow::infoFrameFailures()
{
    ui->IFtext->setPlainText(QStringLiteral("87:01"));
    h->box.setSilentFor(CODE_INFOFRAME);
    ui->ButWriteIF->click();
    QCOMPARE(h->statusMessage(), QStringLiteral("Error Writing Infoframe values."));
    QCOMPARE(h->framesHex(), (QStringList { "10 02 E5 87 01", "10 02 B3 20" }));

    h->box.setSilentFor(CODE_ACTIVATE);
    StdoutCapture out;
    QVERIFY(!WindowTestAccess::sendHdrInfoFrame(h->window()));
    QCOMPARE(out.text(), QByteArray("\nError Populating IF values.\n"));
    QCOMPARE(h->statusMessage(), QStringLiteral("Infoframe values written..."));
}

void TestPacketsWindow::aviLoadActivateAndRegister()
{
    ui->AVItext->setPlainText(QStringLiteral("60:c8:60:61:00"));
    ui->ButWriteAVI->click();
    QCOMPARE(h->framesHex(),
        (QStringList { "10 05 E6 60 C8 60 61 00", "10 05 B3 80", "10 04 E0 21 00" }));
    QCOMPARE(h->statusMessage(), QStringLiteral("AVI values written..."));
    QCOMPARE(int(h->link.registerMirror[33]), 0);
}

void TestPacketsWindow::aviLengthLimits()
{
    for (int bytes : { 0, 1, 2, 13, 14 }) {
        h->clearFrames();
        ui->AVItext->setPlainText(byteList(bytes));
        ui->ButWriteAVI->click();
        if (bytes >= 2 && bytes <= 13) {
            QCOMPARE(h->box.aviInfoFrame().size(), bytes);
        } else {
            QVERIFY(h->framesHex().isEmpty());
            QCOMPARE(h->statusMessage(), QStringLiteral("Error: min 2, max 13 data bytes"));
        }
    }
}

void TestPacketsWindow::aviFailuresStopTheSequence()
{
    ui->AVItext->setPlainText(QStringLiteral("60:c8"));
    ui->cbAviPersistent->setChecked(true);

    // An unacknowledged load is neither activated nor made persistent.
    h->box.setWrongCodeNext();
    ui->ButWriteAVI->click();
    QCOMPARE(h->statusMessage(), QStringLiteral("Error Writing AVI command."));
    QCOMPARE(h->framesHex(), QStringList { "10 02 E6 60 C8" });

    h->clearFrames();
    h->box.setSilentFor(CODE_ACTIVATE);
    StdoutCapture out;
    ui->ButWriteAVI->click();
    QCOMPARE(out.text(), QByteArray("\nError Activating AVI values.\n"));
    QCOMPARE(h->framesHex(), (QStringList { "10 02 E6 60 C8", "10 02 B3 80" }));
    QCOMPARE(h->statusMessage(), QStringLiteral("AVI values written..."));
}

void TestPacketsWindow::replaceAviCheckBox()
{
    ui->AVItext->setPlainText(QStringLiteral("60:c8:60:61:00"));
    ui->cbAviPersistent->click();
    QCOMPARE(h->framesHex(),
        (QStringList {
            "10 05 E6 60 C8 60 61 00", "10 05 B3 80", "10 04 E0 21 01", "10 04 E0 21 01" }));
    QCOMPARE(int(h->link.registerMirror[33]), 1);

    // Unchecking only clears the register.
    h->clearFrames();
    ui->cbAviPersistent->click();
    QCOMPARE(h->framesHex(), QStringList { "10 04 E0 21 00" });

    // An invalid text is refused, and the register is set all the same.
    h->clearFrames();
    ui->AVItext->setPlainText(byteList(14));
    ui->cbAviPersistent->click();
    QCOMPARE(h->framesHex(), QStringList { "10 04 E0 21 01" });
    QCOMPARE(h->statusMessage(), QStringLiteral("Error: min 2, max 13 data bytes"));
}

void TestPacketsWindow::forceHdrCheckBox()
{
    ui->IFtext->setPlainText(QStringLiteral("87:01:17:5c:02:00:d0:84"));
    ui->cbHdrForceMode->setChecked(true);
    QCOMPARE(h->framesHex(),
        (QStringList { "10 08 E5 87 01 17 5C 02 00 D0 84", "10 08 B3 20", "10 04 E0 11 01" }));

    h->clearFrames();
    ui->cbHdrForceMode->setChecked(false);
    QCOMPARE(h->framesHex(), QStringList { "10 04 E0 11 00" });
}

void TestPacketsWindow::textLimitsInCharacters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    // The limits count characters, whatever they hold. Cutting well-formed byte lists, with and
    // without a one-digit first byte, at the edges gives what a hurried user types: a trailing
    // colon, a one-digit last byte.
    const QString wellFormed = byteList(40);
    const QString oneDigitFirst = QStringLiteral("0:") + wellFormed;
    const struct
    {
        const char *field;
        int longest;
    } limits[] = { { "cec send", 92 }, { "cec store", 59 }, { "hdr", 92 }, { "avi", 38 } };
    for (const auto &limit : limits) {
        for (const QString &base : { wellFormed, oneDigitFirst }) {
            for (int chars : { 4, 5, limit.longest, limit.longest + 1 }) {
                const QString text = base.left(chars);
                QTest::addRow(
                    "%s, %d characters, %s", limit.field, chars, qPrintable(text.right(6)))
                    << QString::fromLatin1(limit.field) << text
                    << (chars >= 5 && chars <= limit.longest);
            }
        }
    }
}

void TestPacketsWindow::textLimitsInCharacters()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QTextEdit *box = field.startsWith(QLatin1String("cec")) ? ui->CECtext
        : field == QLatin1String("hdr")                     ? ui->IFtext
                                                            : ui->AVItext;
    QPushButton *button = field == QLatin1String("cec send") ? ui->ButWriteCEC
        : field == QLatin1String("cec store")                ? ui->ButSaveCEC_1
        : field == QLatin1String("hdr")                      ? ui->ButWriteIF
                                                             : ui->ButWriteAVI;
    const QString refusal = field == QLatin1String("cec store")
        ? QStringLiteral("CEC values not correct")
        : field == QLatin1String("avi") ? QStringLiteral("Error: min 2, max 13 data bytes")
                                        : sendCecError;
    box->setPlainText(text);
    button->click();
    if (accepted) {
        QVERIFY(!h->framesHex().isEmpty());
        QVERIFY(h->statusMessage() != refusal);
    } else {
        QVERIFY(h->framesHex().isEmpty());
        QCOMPARE(h->statusMessage(), refusal);
    }
    QCOMPARE(box->toPlainText(), text);
}

QTEST_MAIN(TestPacketsWindow)
#include "tst_packets_window.moc"
