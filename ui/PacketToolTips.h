// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

class QTextEdit;

// The CEC, HDR InfoFrame, AVI and captured HDR InfoFrame text boxes say in their tooltips what
// their bytes mean, on one line, and follow the text as it changes. A tooltip the form gives a box
// stays first.
class PacketToolTips : public QObject
{
public:
    PacketToolTips(
        QTextEdit *cec, QTextEdit *hdr, QTextEdit *avi, QTextEdit *captured, QObject *parent);

private:
    void follow(QTextEdit *box, QString (*line)(const QString &));
};
