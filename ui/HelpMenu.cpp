// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/HelpMenu.h"

#include "ui/Dialogs.h"

#include <QAction>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QRegularExpression>

namespace {

QString resourceText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

HelpMenu::HelpMenu(QMainWindow &window, Dialogs &dialogs, QMenu *menu, QAction *about)
    : QObject(&window)
    , m_window(window)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("helpMenu"));
    auto *help = new QAction(tr("&Help"), menu);
    help->setObjectName(QStringLiteral("actionHelp"));
    help->setShortcut(QKeySequence::HelpContents); // F1
    help->setShortcutContext(Qt::WindowShortcut);
    menu->insertAction(about, help);
    // The menu bar is hidden from the window's shortcut map until the menu opens.
    window.addAction(help);
    connect(help, &QAction::triggered, this, &HelpMenu::showManual);

    auto *notices = new QAction(tr("&Third-Party Notices..."), menu);
    notices->setObjectName(QStringLiteral("actionThirdPartyNotices"));
    menu->addAction(notices);
    connect(notices, &QAction::triggered, this, &HelpMenu::showNotices);
}

QString HelpMenu::plainTextFromScdoc(const QString &source)
{
    static const QRegularExpression bold(QStringLiteral("\\*([^*\\n]+)\\*"));
    static const QRegularExpression underline(
        QStringLiteral("(?<![A-Za-z0-9])_([^_\\n]+)_(?![A-Za-z0-9])"));
    static const QRegularExpression heading(QStringLiteral("^#+ +"));
    QStringList out;
    // The source is wrapped at its own width; the reader's window wraps again at its width, so
    // the lines of a paragraph are joined, as scdoc joins them. A paragraph ends at an empty line,
    // a heading or a change of indentation (an option and its description).
    bool joinable = false;
    bool indented = false;
    const QStringList lines = source.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.startsWith(QLatin1Char(';')))
            continue; // a comment
        const bool isHeading = line.startsWith(QLatin1Char('#'));
        const bool isIndented = line.startsWith(QLatin1Char('\t'));
        line.replace(heading, QString());
        line.replace(bold, QStringLiteral("\\1"));
        line.replace(underline, QStringLiteral("\\1"));
        line.replace(QLatin1Char('\t'), QStringLiteral("    "));
        if (joinable && !line.isEmpty() && !isHeading && isIndented == indented)
            out.last() += QLatin1Char(' ') + line.trimmed();
        else
            out << line;
        joinable = !line.isEmpty() && !isHeading;
        indented = isIndented;
    }
    // The comments leave runs of empty lines behind.
    return out.join(QLatin1Char('\n'))
        .replace(QRegularExpression(QStringLiteral("\\n{3,}")), QStringLiteral("\n\n"))
        .trimmed();
}

void HelpMenu::showManual()
{
    m_dialogs.showText(&m_window, tr("ZELVARIN Utility Help"),
        plainTextFromScdoc(resourceText(QStringLiteral(":/help/zelvarin.1.scd"))));
}

void HelpMenu::showNotices()
{
    m_dialogs.showText(&m_window, tr("Third-Party Notices"),
        resourceText(QStringLiteral(":/help/THIRD-PARTY-NOTICES.md")));
}
