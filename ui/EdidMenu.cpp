// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "ui/Dialogs.h"
#include "ui/EdidEditWindow.h"
#include "ui_ZelvarinForm.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

// EDID > Edit...: the table in the EDID text box, edited by what it means in a window of its
// own, on a copy. The form stays as it is; the text box changes only when the user takes the
// edited table with OK.

void MainWindow::installEdidMenu()
{
    auto *menu = new QMenu(tr("&EDID"), menuBar());
    menu->setObjectName(QStringLiteral("menuEdid"));
    menu->setFont(ui->menuFile->font());
    menuBar()->insertMenu(ui->menuHelp->menuAction(), menu);

    auto *edit = new QAction(tr("&Edit..."), menu);
    edit->setObjectName(QStringLiteral("actionEdidEdit"));
    edit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    edit->setShortcutContext(Qt::WindowShortcut);
    edit->setFont(ui->actionExit->font());
    menu->addAction(edit);
    // The menu bar is hidden from the window's shortcut map until the menu opens.
    addAction(edit);
    connect(edit, &QAction::triggered, this, [this] { showEdidEditor(); });
}

void MainWindow::showEdidEditor()
{
    if (!ui)
        return;
    if (edidEditor) {
        edidEditor->raise();
        edidEditor->activateWindow();
        return;
    }
    EdidImage image {};
    if (parseEdidText(image) < 0) {
        m_services.dialogs->warning(this, tr("ZELVARIN Utility"), tr("Hex Format Error"));
        return;
    }
    const QByteArray table(reinterpret_cast<const char *>(image.data()), EDID_SIZE);
    if (!table.startsWith(QByteArray::fromHex("00ffffffffffff00"))) {
        m_services.dialogs->warning(this, tr("ZELVARIN Utility"),
            tr("The EDID text box holds no EDID table to edit: load one or read one from the "
               "box first."));
        return;
    }
    edidEditor = new EdidEditWindow(table, this);
    edidEditor->setAttribute(Qt::WA_DeleteOnClose);
    edidEditor->setWindowModality(Qt::WindowModal);
    connect(edidEditor, &QDialog::accepted, this, [this] {
        const QByteArray edited = edidEditor->table();
        EdidImage out {};
        std::copy_n(edited.constBegin(), qMin<int>(int(edited.size()), EDID_SIZE), out.begin());
        showEdidImage(out);
        showStatus(tr("EDID edited"), 2000);
    });
    edidEditor->show();
}
