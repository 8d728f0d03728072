// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/PacketToolTips.h"

#include "ui/DecodedText.h"

#include <QPointer>
#include <QTextEdit>

PacketToolTips::PacketToolTips(
    QTextEdit *cec, QTextEdit *hdr, QTextEdit *avi, QTextEdit *captured, QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("packetToolTips"));
    follow(cec, DecodedText::cecLine);
    follow(hdr, DecodedText::hdrInfoFrameLine);
    follow(avi, DecodedText::aviInfoFrameLine);
    follow(captured, DecodedText::hdrInfoFrameLine);
}

void PacketToolTips::follow(QTextEdit *box, QString (*line)(const QString &))
{
    if (!box)
        return;
    const QString base = box->toolTip();
    QPointer<QTextEdit> guarded(box);
    auto update = [guarded, base, line] {
        if (!guarded)
            return;
        const QString decoded = line(guarded->toPlainText());
        if (base.isEmpty() || decoded.isEmpty())
            guarded->setToolTip(base + decoded);
        else
            guarded->setToolTip(base + QLatin1Char('\n') + decoded);
    };
    // Received by this object, not the window, whose connections are the form's alone.
    connect(box, &QTextEdit::textChanged, this, update);
    update();
}
