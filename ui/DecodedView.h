// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "box/SignalInfo.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

class QPlainTextEdit;
class QTabWidget;
class QTextEdit;

// View > Decoded...: what the bytes in the window mean, one page per source. It only reads: the
// text boxes of the form through their textChanged, and the captured HDR InfoFrame through
// showSignal, which the status tick calls.
class DecodedView : public QWidget
{
    Q_OBJECT

public:
    enum Page { EdidPage, CapturedPage, HdrPage, AviPage, CecPage, PAGE_COUNT };

    struct Sources
    {
        QTextEdit *edid = nullptr;
        QTextEdit *cec = nullptr;
        QTextEdit *hdr = nullptr;
        QTextEdit *avi = nullptr;
    };

    // A separate window; `parent` owns it. `signal` is the last signal read, if any.
    DecodedView(const Sources &sources, const SignalInfo *signal, QWidget *parent);

    void showSignal(const SignalInfo &signal);

    QTabWidget *tabs() const { return m_tabs; }
    QString pageText(Page page) const;

private:
    using Words = std::function<QStringList(const QString &)>;
    void follow(QTextEdit *source, Page page, const Words &words);
    void setLines(Page page, const QStringList &lines);

    QTabWidget *m_tabs = nullptr;
    std::array<QPlainTextEdit *, PAGE_COUNT> m_pages {};
};
