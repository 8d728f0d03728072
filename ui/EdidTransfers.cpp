#include "MainWindow.h"

#include "Clock.h"
#include "DeviceLink.h"
#include "Dialogs.h"
#include "EdidChecksum.h"
#include "EdidText.h"
#include "ui_ZelvarinForm.h"

#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>

namespace {
constexpr int EDID_READ_CHUNK = 16;
constexpr int EDID_WRITE_CHUNK = 8;
constexpr int EDID_WRITE_CHUNKS = EDID_SIZE / EDID_WRITE_CHUNK;
// The box needs a moment after a fetch before it answers status reads sensibly, and paces the
// chunk writes into its EEPROM.
constexpr quint32 FETCH_SETTLE_MS = 100;
constexpr quint32 BUSY_POLL_MS = 10;
constexpr quint32 CHUNK_WRITE_PAUSE_MS = 30;
// About five seconds of polling; a box that is still busy after that is read all the same.
constexpr int MAX_BUSY_STATUS_READS = 502;
} // namespace

void MainWindow::ensureProgressBar()
{
    if (progressBar)
        return;
    progressBar = new QProgressBar(statusBar());
    progressBar->setTextVisible(false);
    statusBar()->addPermanentWidget(progressBar, 0);
    progressBar->hide();
}

void MainWindow::on_ProgressChange(int value, int maximum)
{
    ensureProgressBar();
    if (value <= 0 || maximum <= 0) {
        progressBar->hide();
        return;
    }
    progressBar->show();
    progressBar->setRange(0, maximum);
    progressBar->setValue(value);
}

void MainWindow::ReadEDID()
{
    clearTextBuffer();
    readBoxEdid();
}

void MainWindow::readTvEdidA()
{
    clearTextBuffer();
    readTvEdid(false);
}

void MainWindow::readTvEdidB()
{
    clearTextBuffer();
    readTvEdid(true);
}

bool MainWindow::readBoxEdid()
{
    return readEdidTable(CODE_EDID_FETCH_BOX, tr("EDID values read."));
}

bool MainWindow::readTvEdid(bool outputB)
{
    return readEdidTable(
        outputB ? CODE_EDID_FETCH_TV_B : CODE_EDID_FETCH_TV_A, tr("TV EDID values read."));
}

// Fetch, wait while the box reports busy, then read the table in 16 chunks. Every reply buffer is
// cleared before its frame, so a reply that never came cannot pass for the previous one.
bool MainWindow::readEdidTable(quint8 fetchCode, const QString &successMessage)
{
    ensureProgressBar();
    DeviceLink &link = *m_services.link;
    Reply reply {};

    const quint8 fetch[] = { FRAME_WRITE, 0x01, fetchCode };
    if (!link.transact(reply, fetch, 2, sizeof fetch) || reply[0] != fetchCode)
        showStatus(tr("Error Writing values"), 4000);
    m_services.clock->sleepMs(FETCH_SETTLE_MS);

    // readStatus reports its own failures; a cleared buffer reads as "not busy".
    for (int reads = 0; reads < MAX_BUSY_STATUS_READS;) {
        reply.fill(0);
        readStatus(reply, STATUS_LEN);
        ++reads;
        m_services.clock->sleepMs(BUSY_POLL_MS);
        if (!(reply[1] & STATUS_FLAG_BUSY))
            break;
    }

    // Composed aside and shown only once every chunk has come, so a failed read leaves the
    // table the user sees untouched.
    clearTextBuffer();
    EdidImage table {};
    for (int offset = 0; offset < EDID_SIZE; offset += EDID_READ_CHUNK) {
        on_ProgressChange(offset, 255);
        const quint8 chunk = quint8(std::min(EDID_READ_CHUNK, EDID_SIZE - offset));
        const quint8 request[] = { FRAME_READ, chunk, CODE_EDID_DATA, quint8(offset) };
        reply.fill(0);
        if (!link.transact(reply, request, chunk, sizeof request))
            return false;
        std::copy_n(reply.begin(), chunk, table.begin() + offset);
    }
    on_ProgressChange(0, 0);
    showStatus(successMessage, 2000);

    const QByteArray text = EdidText::canonical(table).toLatin1();
    const int length = int(std::min<qsizetype>(text.size(), textBuffer.size() - 1));
    std::copy_n(text.constData(), length, textBuffer.begin());
    ui->EDIDtext->setTextColor(Qt::black);
    ui->EDIDtext->setFontWeight(QFont::Normal);
    ui->EDIDtext->setText(QString::fromLatin1(textBuffer.data(), length));
    return true;
}

void MainWindow::WriteEDID()
{
    clearTextBuffer();
    if (ui->automixEDID->isChecked() || ui->fixedEDID->isChecked()
        || ui->cmBEdid->currentIndex() != 0) {
        m_services.dialogs->warning(this, tr("ZELVARIN Utility"),
            tr("\nSelect CUSTOM EDID TABLE mode to upload an EDID table\n"));
        return;
    }
    writeBoxEdid();
}

bool MainWindow::writeBoxEdid()
{
    ensureProgressBar();
    EdidImage image;
    if (parseEdidText(image) < 0) {
        m_services.dialogs->warning(this, tr("ZELVARIN Utility"), tr("Hex Format Error"));
        return false;
    }
    // The user may mean to upload a table with deliberate checksum faults; it is sent as it is.
    if (edidChecksum(image.data()) != image[127]
        || edidChecksum(image.data() + EDID_BLOCK_SIZE) != image[255]) {
        const auto answer = m_services.dialogs->question(nullptr, tr("ZELVARIN Utility"),
            tr("The EDID Checksum is not correct."), tr("Write anyway?"));
        if (answer == QMessageBox::No)
            return false;
    }

    DeviceLink &link = *m_services.link;
    Reply reply {};
    for (int i = 0; i < EDID_WRITE_CHUNKS; ++i) {
        on_ProgressChange(i, EDID_WRITE_CHUNKS);
        quint8 request[4 + EDID_WRITE_CHUNK]
            = { FRAME_WRITE, EDID_WRITE_CHUNK, CODE_EDID_DATA, quint8(i * EDID_WRITE_CHUNK) };
        std::copy_n(image.begin() + i * EDID_WRITE_CHUNK, EDID_WRITE_CHUNK, request + 4);
        reply.fill(0);
        if (!link.transact(reply, request, 2, sizeof request) || reply[0] != CODE_EDID_DATA) {
            // Committing now would make the box keep a half-written table: stop here, and the
            // box goes on using the table it had.
            showStatus(tr("Error Writing EDID values."), 2000);
            on_ProgressChange(0, 0);
            return false;
        }
        m_services.clock->sleepMs(CHUNK_WRITE_PAUSE_MS);
    }

    const quint8 commit[] = { FRAME_WRITE, EDID_WRITE_CHUNK, CODE_EDID_COMMIT };
    reply.fill(0);
    const bool ok = link.transact(reply, commit, 2, sizeof commit);
    if (ok && reply[0] == CODE_EDID_COMMIT)
        showStatus(tr("EDID values written..."), 2000);
    else
        showStatus(tr("Error Populating EDID values."), 2000);
    on_ProgressChange(0, 0);
    return ok;
}
