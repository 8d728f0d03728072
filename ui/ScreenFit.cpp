// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/ScreenFit.h"

#include <QLayout>
#include <QMainWindow>
#include <QRect>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

bool ScreenFit::fitInto(QMainWindow &window, const QRect &available)
{
    // Before the window is shown its frame is not known; the title bar is what most frames add.
    const int frame = window.isVisible()
        ? window.frameGeometry().height() - window.geometry().height()
        : window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    if (window.height() + frame <= available.height() || !window.centralWidget())
        return false;

    window.layout()->activate(); // gives the form its size within the window
    QWidget *form = window.takeCentralWidget();
    form->setFixedSize(form->size());

    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("formScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tabbing through the form scrolls it; the area itself is no stop on the way.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(form);
    window.setCentralWidget(scroll);

    const int scrollBar = scroll->verticalScrollBar()->sizeHint().width();
    window.resize(window.width() + scrollBar, available.height() - frame);
    return true;
}
