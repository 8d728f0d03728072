// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/Dialogs.h"

#include <cstdio>

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// One block per line, wrapped at the view's width; a line indented by blanks keeps its indent
// on every line it wraps to (four blanks make one step).
void fillWrapped(QTextEdit &view, const QString &text)
{
    QTextDocument *document = view.document();
    document->setIndentWidth(QFontMetrics(view.font()).horizontalAdvance(QLatin1Char(' ')) * 4);
    QTextCursor cursor(document);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        qsizetype blanks = 0;
        while (blanks < line.size() && line.at(blanks) == QLatin1Char(' '))
            ++blanks;
        QTextBlockFormat format;
        format.setIndent(int(blanks / 4));
        if (i == 0)
            cursor.setBlockFormat(format);
        else
            cursor.insertBlock(format);
        cursor.insertText(line.mid(blanks));
    }
    view.moveCursor(QTextCursor::Start);
}

} // namespace

void WidgetDialogs::deviceWarning(const QString &text)
{
#ifdef _WIN32
    // Native box, as the device layer has always shown it.
    MessageBoxW(nullptr, reinterpret_cast<LPCWSTR>(text.utf16()), L" ", MB_OK | MB_ICONWARNING);
#else
    QMessageBox box(QMessageBox::Warning, QStringLiteral(" "), text, QMessageBox::Ok);
    box.exec();
#endif
}

void WidgetDialogs::warning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text, QMessageBox::Ok, QMessageBox::NoButton);
}

QMessageBox::StandardButton WidgetDialogs::question(
    QWidget *parent, const QString &title, const QString &text, const QString &informativeText)
{
    QMessageBox box(parent);
    if (!title.isEmpty())
        box.setWindowTitle(title);
    box.setText(text);
    box.setInformativeText(informativeText);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::NoButton);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes || answer == QMessageBox::No)
        return QMessageBox::StandardButton(answer);
    return QMessageBox::NoButton;
}

void WidgetDialogs::about(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::about(parent, title, text);
}

void WidgetDialogs::showText(QWidget *parent, const QString &title, const QString &text)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto *view = new QTextEdit;
    view->setObjectName(QStringLiteral("textView"));
    view->setReadOnly(true);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setLineWrapMode(QTextEdit::WidgetWidth);
    view->setAccessibleName(title);
    fillWrapped(*view, text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(view);
    layout->addWidget(buttons);
    // A hundred columns and forty lines where the screen has room; the text wraps to less.
    const QFontMetrics metrics(view->font());
    QSize size(metrics.horizontalAdvance(QLatin1Char('M')) * 104, metrics.height() * 40);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(size);
    dialog.exec();
}

QString WidgetDialogs::openFileName(
    QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString WidgetDialogs::saveFileName(
    QWidget *parent, const QString &caption, const QString &name, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, name, filter);
}

namespace {
void report(const QString &text)
{
    std::fprintf(stderr, "zelvarin: %s\n", qPrintable(text.simplified()));
}
} // namespace

void HeadlessDialogs::deviceWarning(const QString &text)
{
    report(text);
}

void HeadlessDialogs::warning(QWidget *, const QString &, const QString &text)
{
    report(text);
}

QMessageBox::StandardButton HeadlessDialogs::question(
    QWidget *, const QString &, const QString &text, const QString &informativeText)
{
    report(text + QLatin1Char(' ') + informativeText + QStringLiteral(" (answered No)"));
    return QMessageBox::No;
}

void HeadlessDialogs::about(QWidget *, const QString &, const QString &) { }

void HeadlessDialogs::showText(QWidget *, const QString &, const QString &) { }

QString HeadlessDialogs::openFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return QString();
}

QString HeadlessDialogs::saveFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return QString();
}
