#include "MainWindow.h"

#include "Clock.h"
#include "DeviceLink.h"
#include "HexBytes.h"
#include "ui_ZelvarinForm.h"

#include <QTextEdit>
#include <cstdio>

// CEC commands and InfoFrame injection: the text fields of the CEC and HDR / IF tabs go to the box
// as load frames, most of them followed 100 ms later by an activate frame.

namespace {

// Prepared lengths (characters plus the carriage return) the fields accept: five characters is
// the shortest text of two bytes ("50:04"), 3 * bytes - 1 characters the longest.
constexpr int MIN_PREPARED = 6;
constexpr int MAX_PREPARED_31_BYTES = 93;
constexpr int MAX_PREPARED_13_BYTES = 39;
// The stored text travels as characters and must fit the 67-byte store frame.
constexpr int MAX_PREPARED_STORE = 60;

constexpr quint32 ACTIVATE_DELAY_MS = 100;
constexpr quint32 MIN_REPLY = 2;

const quint8 *bytesOf(const QByteArray &frame)
{
    return reinterpret_cast<const quint8 *>(frame.constData());
}

// A failed activate frame is not shown on the window, whose status bar keeps the load's outcome;
// it goes to standard output, unbuffered so it is not lost if the program ends abruptly.
void reportOnStdout(const char *line)
{
    std::fputs(line, stdout);
    std::fflush(stdout);
}

// Turns a load frame that was just sent into its activate frame (the count byte stays, as the box
// expects) and runs it after the box has had time to take the load in. True when acknowledged.
bool sendActivateFrame(const AppServices &services, QByteArray &frame, quint8 selector)
{
    services.clock->sleepMs(ACTIVATE_DELAY_MS);
    frame[2] = static_cast<char>(CODE_ACTIVATE);
    frame[3] = static_cast<char>(selector);
    Reply reply{};
    return services.link->transact(reply, bytesOf(frame), MIN_REPLY, 4)
        && reply[0] == CODE_ACTIVATE;
}

} // namespace

void MainWindow::WriteCEC()
{
    clearTextBuffer();
    sendCecCommand(CODE_CEC_SEND);
}

void MainWindow::SaveCEC_1()
{
    clearTextBuffer();
    storeCecCommand(CODE_CEC_STORE_1);
}

void MainWindow::SaveCEC_2()
{
    clearTextBuffer();
    storeCecCommand(CODE_CEC_STORE_2);
}

void MainWindow::WriteIF()
{
    clearTextBuffer();
    sendHdrInfoFrame();
}

bool MainWindow::sendCecCommand(quint8 code)
{
    const QByteArray text = prepareHexText(ui->CECtext->toPlainText());
    if (text.size() < MIN_PREPARED || text.size() > MAX_PREPARED_31_BYTES) {
        showStatus(tr("Error: min 2, max 31 data bytes"), 2000);
        return false;
    }

    HexOutput message;
    const quint8 count = parseHexBytes(text.constData(), int(text.size()), true, message);
    QByteArray frame = buildLoadFrame(code, message, count);

    Reply reply{};
    const bool sent = m_services.link->transact(reply, bytesOf(frame), MIN_REPLY,
                                                static_cast<quint8>(frame.size()));
    if (sent && reply[0] == code)
        showStatus(tr("CEC values written..."), 2000);
    else
        showStatus(tr("Error Writing CEC command."), 4000);

    if (code != CODE_CEC_SEND)
        return sent;
    // The box gets the activate frame even when the send was not acknowledged.
    const bool activated = sendActivateFrame(m_services, frame, ACTIVATE_CEC);
    if (!activated)
        reportOnStdout("\nError Populating CEC values.\n");
    return activated;
}

bool MainWindow::storeCecCommand(quint8 code)
{
    const QByteArray text = prepareHexText(ui->CECtext->toPlainText());
    if (text.size() < MIN_PREPARED || text.size() > MAX_PREPARED_STORE) {
        showStatus(tr("CEC values not correct"), 2000);
        return false;
    }

    // The store keeps the text itself, carriage return included, behind a "CEC " tag.
    QByteArray frame;
    frame.append(static_cast<char>(FRAME_WRITE));
    frame.append(static_cast<char>(text.size() + 4));
    frame.append(static_cast<char>(code));
    frame.append("CEC ");
    frame.append(text);

    Reply reply{};
    const bool ok = m_services.link->transact(reply, bytesOf(frame), MIN_REPLY,
                                              static_cast<quint8>(frame.size()));
    if (ok && reply[0] == code)
        showStatus(tr("CEC values written..."), 2000);
    else
        showStatus(tr("Error Writing CEC values."), 4000);
    return ok;
}

bool MainWindow::sendHdrInfoFrame()
{
    const QByteArray text = prepareHexText(ui->IFtext->toPlainText());
    if (text.size() < MIN_PREPARED || text.size() > MAX_PREPARED_31_BYTES) {
        showStatus(tr("Error: min 2, max 31 data bytes"), 2000);
        return false;
    }

    HexOutput bytes;
    const quint8 count = parseHexBytes(text.constData(), int(text.size()), false, bytes);
    QByteArray frame = buildLoadFrame(CODE_INFOFRAME, bytes, count);

    Reply reply{};
    const bool loaded = m_services.link->transact(reply, bytesOf(frame), MIN_REPLY,
                                                  static_cast<quint8>(frame.size()));
    if (loaded && reply[0] == CODE_INFOFRAME)
        showStatus(tr("Infoframe values written..."), 2000);
    else
        showStatus(tr("Error Writing Infoframe values."), 4000);

    // Activated whatever the load's outcome: the box may still hold an earlier InfoFrame.
    if (sendActivateFrame(m_services, frame, ACTIVATE_INFOFRAME))
        return true;
    reportOnStdout("\nError Populating IF values.\n");
    return false;
}

bool MainWindow::sendAVI()
{
    const QByteArray text = prepareHexText(ui->AVItext->toPlainText());
    if (text.size() < MIN_PREPARED || text.size() > MAX_PREPARED_13_BYTES) {
        showStatus(tr("Error: min 2, max 13 data bytes"), 2000);
        return false;
    }

    HexOutput bytes;
    const quint8 count = parseHexBytes(text.constData(), int(text.size()), false, bytes);
    QByteArray frame = buildLoadFrame(CODE_AVI, bytes, count);

    Reply reply{};
    if (!m_services.link->transact(reply, bytesOf(frame), MIN_REPLY,
                                   static_cast<quint8>(frame.size()))
        || reply[0] != CODE_AVI) {
        showStatus(tr("Error Writing AVI command."), 4000);
        return false;
    }
    showStatus(tr("AVI values written..."), 2000);

    if (!sendActivateFrame(m_services, frame, ACTIVATE_AVI)) {
        reportOnStdout("\nError Activating AVI values.\n");
        return false;
    }

    // Register 33 sits at position 33 of the settings image.
    const quint8 persistent = ui->cbAviPersistent->isChecked() ? 1 : 0;
    writeRegister(33, persistent);
    m_services.link->registerMirror[33] = persistent;
    return true;
}
