// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/DecodedView.h"

#include "ui/DecodedText.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {
constexpr int TEXT_COLUMNS = 118;
constexpr int TEXT_LINES = 32;
} // namespace

DecodedView::DecodedView(const Sources &sources, const SignalInfo *signal, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("decodedView"));
    setWindowTitle(tr("ZELVARIN Utility: decoded"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("decodedTabs"));
    // The describers line fields up in columns: they read best in a fixed-pitch font.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const char *const names[PAGE_COUNT]
        = { "decodedEdid", "decodedCapture", "decodedHdr", "decodedAvi", "decodedCec" };
    const QString titles[PAGE_COUNT]
        = { tr("&EDID"), tr("&Signal HDR"), tr("&HDR IF"), tr("&AVI IF"), tr("&CEC") };
    for (int i = 0; i < PAGE_COUNT; ++i) {
        auto *page = new QPlainTextEdit(m_tabs);
        page->setObjectName(QLatin1String(names[i]));
        page->setReadOnly(true);
        page->setFont(fixed);
        // A few lines (the 4:2:0 list of a big EDID) are longer than any sensible window.
        page->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        page->setAccessibleName(titles[i].mid(1));
        m_tabs->addTab(page, titles[i]);
        m_pages[i] = page;
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_tabs);
    // Wide enough for an EDID's detailed timing line, tall enough for a base block and then some.
    const QFontMetrics metrics(fixed);
    resize(metrics.horizontalAdvance(QLatin1Char('0')) * TEXT_COLUMNS + 48,
        metrics.lineSpacing() * TEXT_LINES + 72);

    follow(sources.edid, EdidPage, DecodedText::edid);
    follow(sources.hdr, HdrPage, DecodedText::hdrInfoFrame);
    follow(sources.avi, AviPage, DecodedText::aviInfoFrame);
    follow(sources.cec, CecPage, DecodedText::cec);
    setLines(CapturedPage, DecodedText::captured(signal));
}

void DecodedView::showSignal(const SignalInfo &signal)
{
    setLines(CapturedPage, DecodedText::captured(&signal));
}

QString DecodedView::pageText(Page page) const
{
    return m_pages[page]->toPlainText();
}

void DecodedView::follow(QTextEdit *source, Page page, const Words &words)
{
    if (!source)
        return;
    // The view is the receiver: the form's wiring to the window stays as it was, and the
    // connection goes when either end does.
    QPointer<QTextEdit> guarded(source);
    auto update = [this, guarded, page, words] {
        if (guarded)
            setLines(page, words(guarded->toPlainText()));
    };
    connect(source, &QTextEdit::textChanged, this, update);
    update();
}

void DecodedView::setLines(Page page, const QStringList &lines)
{
    const QString text = lines.join(QLatin1Char('\n'));
    // The capture is handed over at every status tick; an unchanged text keeps the reader's place.
    if (m_pages[page]->toPlainText() != text)
        m_pages[page]->setPlainText(text);
}
