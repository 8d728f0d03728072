// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "ui/DecodedView.h"
#include "ui/PacketToolTips.h"
#include "ui_ZelvarinForm.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

// View > Decoded...: a second window that says what the bytes of the form mean. The form itself
// stays as it is; the view and the tooltips only read from it.

void MainWindow::installViewMenu()
{
    auto *menu = new QMenu(tr("&View"), menuBar());
    menu->setObjectName(QStringLiteral("menuView"));
    menu->setFont(ui->menuFile->font());
    menuBar()->insertMenu(ui->menuHelp->menuAction(), menu);

    auto *decoded = new QAction(tr("&Decoded..."), menu);
    decoded->setObjectName(QStringLiteral("actionDecoded"));
    decoded->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    decoded->setShortcutContext(Qt::WindowShortcut);
    menu->addAction(decoded);
    // The menu bar is hidden from the window's shortcut map until the menu opens.
    addAction(decoded);
    connect(decoded, &QAction::triggered, this, [this] { showDecodedView(); });

    new PacketToolTips(ui->CECtext, ui->IFtext, ui->AVItext, ui->txtHdrIf, this);
}

void MainWindow::showDecodedView()
{
    if (!ui)
        return;
    if (!decodedView) {
        const DecodedView::Sources sources { ui->EDIDtext, ui->CECtext, ui->IFtext, ui->AVItext };
        decodedView = new DecodedView(sources, signalRead ? &lastSignal : nullptr, this);
    }
    decodedView->show();
    decodedView->raise();
    decodedView->activateWindow();
}
