// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "edid/EdidChecksum.h"
#include "edid/EdidFile.h"
#include "edid/EdidText.h"
#include "ui/Dialogs.h"
#include "ui/TextColours.h"
#include "ui_ZelvarinForm.h"

#include <QFile>
#include <QSaveFile>
#include <QTextCharFormat>
#include <QTextCursor>

int MainWindow::parseEdidText(EdidImage &image)
{
    return EdidText::parse(ui->EDIDtext->toPlainText(), image);
}

void MainWindow::showEdidImage(const EdidImage &image)
{
    // Sized for the screen's density, so the 16 columns fit the text box at every scale.
    const qreal scale = m_services.displayScale > 0.0f ? m_services.displayScale : 1.0;
    QTextCharFormat byteFormat;
    byteFormat.setForeground(
        QBrush(TextColours::forText(ui->EDIDtext->palette(), Qt::black), Qt::SolidPattern));
    byteFormat.setFontPointSize(8.0 / scale);
    byteFormat.setFontWeight(QFont::Normal);
    QTextCharFormat lineEndFormat = byteFormat;

    ui->EDIDtext->clear();
    QTextCursor cursor = ui->EDIDtext->textCursor();
    cursor.movePosition(QTextCursor::Start);
    cursor.clearSelection();
    for (int i = 0; i < EDID_SIZE; ++i) {
        if (i % 16 != 15) {
            cursor.insertText(QString::asprintf("%02X ", image[i]), byteFormat);
            continue;
        }
        // The checksum bytes stand out, so a user editing the table sees what to fix.
        const bool checksumByte = i == 127 || i == 255;
        lineEndFormat.setFontWeight(checksumByte ? QFont::Bold : QFont::Normal);
        cursor.insertText(QString::asprintf("%02X", image[i]), lineEndFormat);
        cursor.insertText(QStringLiteral("\n"));
    }
}

void MainWindow::LoadEDIDfromFile()
{
    clearTextBuffer();
    // Both forms the load reads are shown at first; the binary-only and all-files choices follow.
    const QString fileName = m_services.dialogs->openFileName(this, tr("Open file"), QString(),
        tr("EDID tables, binary or hex text (*.bin *.txt *.hex);;Binary Files (*.bin);;"
           "All files (*.*)"));
    if (fileName.isEmpty())
        return;

    QFile file(fileName);
    QByteArray data(EdidFile::READ_LIMIT, '\0');
    const qint64 got = file.open(QIODevice::ReadOnly) ? file.read(data.data(), data.size()) : -1;
    if (got < 0) {
        // Nothing is shown: a table of zeros would look like a successful load.
        m_services.dialogs->warning(this, tr("ZELVARIN Utility"),
            tr("Cannot read file %1:\n%2.").arg(fileName, file.errorString()));
        return;
    }
    data.truncate(int(got));
    if (!EdidFile::holdsEdid(data)) {
        // "File loaded" for a picture or random bytes would be a lie; the text stays as it was.
        m_services.dialogs->warning(
            this, tr("ZELVARIN Utility"), tr("File %1 does not hold an EDID table.").arg(fileName));
        return;
    }

    if (EdidFile::isBinaryTable(data)) {
        showEdidImage(EdidFile::tableFromBinary(data));
    } else {
        // Text from a file is shown in blue, so it is clear it has not come from a box yet.
        ui->EDIDtext->setTextColor(
            TextColours::forText(ui->EDIDtext->palette(), QColor(0, 0, 255, 255)));
        ui->EDIDtext->setFontWeight(QFont::Bold);
        ui->EDIDtext->setText(QString::fromLatin1(EdidFile::hexTextFromFile(data)));
    }
    showStatus(tr("File loaded"), 2000);
}

void MainWindow::SaveEDIDtoFile()
{
    clearTextBuffer();
    EdidImage image;
    if (parseEdidText(image) < 0) {
        m_services.dialogs->warning(this, tr("ZELVARIN Utility"), tr("Hex Format Error"));
        return;
    }
    const QString fileName = m_services.dialogs->saveFileName(
        this, tr("Save File"), QStringLiteral("ZELVARIN_edid0.bin"), tr("Binary file (*.bin)"));
    if (fileName.isEmpty())
        return;

    // Written to a temporary file and renamed over the old one only when complete, so a failed
    // save never leaves a truncated or half-written table behind. Unbuffered, so a short write
    // (a full disk) shows in the count written rather than vanishing in a later flush.
    QSaveFile file(fileName);
    const auto cannotWrite = [&](const QString &reason) {
        m_services.dialogs->warning(
            this, tr("ZELVARIN Utility"), tr("Cannot write file %1:\n%2.").arg(fileName, reason));
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        cannotWrite(file.errorString());
        return;
    }
    showStatus(tr("Saving file..."), 2000);
    const qint64 written = file.write(reinterpret_cast<const char *>(image.data()), EDID_SIZE);
    if (written >= 0 && written < EDID_SIZE && file.error() == QFileDevice::NoError) {
        cannotWrite(tr("only %1 of %2 bytes could be written").arg(written).arg(EDID_SIZE));
        return;
    }
    if (written != EDID_SIZE || !file.commit()) {
        cannotWrite(file.errorString());
        return;
    }
    showStatus(tr("File saved"), 2000);
}

void MainWindow::CalculateChkSum()
{
    clearTextBuffer();
    EdidImage image;
    if (parseEdidText(image) < 0) {
        m_services.dialogs->warning(this, tr("ZELVARIN Utility"), tr("Hex Format Error"));
        return;
    }
    const quint8 block0 = edidChecksum(image.data());
    const quint8 block1 = edidChecksum(image.data() + EDID_BLOCK_SIZE);
    if (block0 == image[127] && block1 == image[255]) {
        showEdidImage(image);
        return;
    }
    const auto answer = m_services.dialogs->question(nullptr, QString(),
        tr("The EDID Checksum is not correct."), tr("Do you want to calculate a new checksum?"));
    if (answer != QMessageBox::Yes)
        return;
    image[127] = block0;
    image[255] = block1;
    showEdidImage(image);
}
