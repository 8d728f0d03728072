// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "box/BoxClient.h"
#include "edid/EdidChecksum.h"
#include "edid/EdidText.h"
#include "ui/Dialogs.h"
#include "ui/TextColours.h"
#include "ui_ZelvarinForm.h"

#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>

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
    return readEdidTable(int(BoxClient::EdidSource::Box), tr("EDID values read."));
}

bool MainWindow::readTvEdid(bool outputB)
{
    const auto source = outputB ? BoxClient::EdidSource::TvB : BoxClient::EdidSource::TvA;
    return readEdidTable(int(source), tr("TV EDID values read."));
}

// The table is composed aside and shown only once every chunk has come, so a failed read leaves
// the table the user sees untouched.
bool MainWindow::readEdidTable(int source, const QString &successMessage)
{
    ensureProgressBar();
    BoxClient::EdidReadEvents events;
    events.statusReadFailed
        = [this](const BoxResult &) { showStatus(tr("Error Reading values"), 4000); };
    events.progress = [this](int done, int total) { on_ProgressChange(done, total); };

    EdidImage table {};
    const auto read = m_box->readEdid(BoxClient::EdidSource(source), table, events);
    clearTextBuffer();
    on_ProgressChange(0, 0);
    if (!read.ok()) {
        // An unanswered fetch or chunk must not pass for a read: the user keeps the table shown.
        showStatus(tr("Error Reading EDID values."), 2000);
        return false;
    }
    showStatus(successMessage, 2000);

    const QByteArray text = EdidText::canonical(table).toLatin1();
    const int length = int(std::min<qsizetype>(text.size(), textBuffer.size() - 1));
    std::copy_n(text.constData(), length, textBuffer.begin());
    ui->EDIDtext->setTextColor(TextColours::forText(ui->EDIDtext->palette(), Qt::black));
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

    const auto written
        = m_box->writeEdid(image, [this](int done, int total) { on_ProgressChange(done, total); });
    if (written.failedChunk >= 0) {
        // The client stopped before the commit, so the box goes on using the table it had.
        showStatus(tr("Error Writing EDID values."), 2000);
        on_ProgressChange(0, 0);
        return false;
    }
    if (written.result.ok())
        showStatus(tr("EDID values written..."), 2000);
    else
        showStatus(tr("Error Populating EDID values."), 2000);
    on_ProgressChange(0, 0);
    return written.result.delivered();
}
