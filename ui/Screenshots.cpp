// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/Screenshots.h"

#include "ui/DecodedView.h"
#include "ui/MainWindow.h"

#include <QAction>

#include <QEvent>
#include <QEventLoop>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <iterator>

namespace {

// Lets the window take its first status tick, so the pictures show what a user sees a moment
// after start: the settings and signal lines as the box reports them. Without a box no timer runs
// and the wait simply ends a little after one period.
class FirstTickWatcher : public QObject
{
public:
    FirstTickWatcher(QObject *window, QEventLoop &loop)
        : m_window(window)
        , m_loop(loop)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The filter sees the tick before the window does; quitting from a zero-time timer lets
        // the window finish handling it first.
        if (watched == m_window && event->type() == QEvent::Timer)
            QTimer::singleShot(0, &m_loop, &QEventLoop::quit);
        return false;
    }

private:
    QObject *m_window;
    QEventLoop &m_loop;
};

void waitForFirstTick(MainWindow &window)
{
    QEventLoop loop;
    FirstTickWatcher watcher(&window, loop);
    window.installEventFilter(&watcher);
    QTimer::singleShot(MainWindow::STATUS_PERIOD_MS + 500, &loop, &QEventLoop::quit);
    loop.exec();
    window.removeEventFilter(&watcher);
}

} // namespace

bool saveScreenshots(MainWindow &window, const QString &prefix)
{
    waitForFirstTick(window);
    const bool tabs = saveTabPictures(window, prefix);
    return saveDecodedPicture(window, prefix) && tabs;
}

bool saveTabPictures(MainWindow &window, const QString &prefix)
{
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    if (!tabs)
        return false;

    // One picture per tab, in the order the tabs appear.
    static const char *const suffixes[] = { "edid", "cec", "hdr-if", "config" };
    const int previous = tabs->currentIndex();
    bool ok = true;
    for (int i = 0; i < tabs->count() && i < int(std::size(suffixes)); ++i) {
        tabs->setCurrentIndex(i);
        const QString path
            = prefix + QLatin1Char('-') + QLatin1String(suffixes[i]) + QStringLiteral(".png");
        if (!window.grab().save(path, "PNG")) {
            std::fprintf(stderr, "Cannot write the screenshot %s\n", qPrintable(path));
            ok = false;
        }
    }
    tabs->setCurrentIndex(previous);
    return ok;
}

bool saveDecodedPicture(MainWindow &window, const QString &prefix)
{
    auto *open = window.findChild<QAction *>(QStringLiteral("actionDecoded"));
    if (!open)
        return false;
    open->trigger();
    auto *view = window.findChild<DecodedView *>();
    if (!view)
        return false;
    // The captured HDR InfoFrame: what the simulated source sends, decoded in full.
    view->tabs()->setCurrentIndex(DecodedView::EdidPage);
    const QString path = prefix + QStringLiteral("-decoded.png");
    if (!view->grab().save(path, "PNG")) {
        std::fprintf(stderr, "Cannot write the screenshot %s\n", qPrintable(path));
        return false;
    }
    return true;
}
