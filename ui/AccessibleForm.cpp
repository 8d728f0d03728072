// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/AccessibleForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

namespace {

struct Named
{
    const char *object;
    const char *name;
};

// Captions repeat (ENABLE, DISABLE) or need the row's label to mean anything (HDMI, 1.4, OK).
const Named kNames[] = {
    { "cmbInputSel", QT_TRANSLATE_NOOP("AccessibleForm", "Active input") },
    { "autoSwEn", QT_TRANSLATE_NOOP("AccessibleForm", "Auto switch: enable") },
    { "autoSwDis", QT_TRANSLATE_NOOP("AccessibleForm", "Auto switch: disable") },
    { "bPrioNorm", QT_TRANSLATE_NOOP("AccessibleForm", "Switch priority: normal") },
    { "pPrioForce", QT_TRANSLATE_NOOP("AccessibleForm", "Switch priority: forced") },
    { "audioHdmi", QT_TRANSLATE_NOOP("AccessibleForm", "Audio source: HDMI") },
    { "audioJack", QT_TRANSLATE_NOOP("AccessibleForm", "Audio source: jack") },
    { "hdcp14", QT_TRANSLATE_NOOP("AccessibleForm", "HDCP version 1.4") },
    { "hdcp22", QT_TRANSLATE_NOOP("AccessibleForm", "HDCP version 2.2") },
    { "cb2cForce", QT_TRANSLATE_NOOP("AccessibleForm", "Automix: 2.0 audio") },
    { "cb51", QT_TRANSLATE_NOOP("AccessibleForm", "Automix: 5.1 audio") },
    { "cmBEdid", QT_TRANSLATE_NOOP("AccessibleForm", "Custom EDID table") },
    { "EDIDtext", QT_TRANSLATE_NOOP("AccessibleForm", "EDID table, hexadecimal") },
    { "cmbLa", QT_TRANSLATE_NOOP("AccessibleForm", "CEC device type") },
    { "CECtext", QT_TRANSLATE_NOOP("AccessibleForm", "CEC command") },
    { "IFtext", QT_TRANSLATE_NOOP("AccessibleForm", "Custom HDR InfoFrame") },
    { "AVItext", QT_TRANSLATE_NOOP("AccessibleForm", "Custom AVI InfoFrame") },
    { "txtHdrIf", QT_TRANSLATE_NOOP("AccessibleForm", "Captured HDR InfoFrame") },
    { "enableLed", QT_TRANSLATE_NOOP("AccessibleForm", "Green LED: enable") },
    { "disableLed", QT_TRANSLATE_NOOP("AccessibleForm", "Green LED: disable") },
    { "enableBLed", QT_TRANSLATE_NOOP("AccessibleForm", "Blue LEDs: enable") },
    { "disableBLed", QT_TRANSLATE_NOOP("AccessibleForm", "Blue LEDs: disable") },
    { "bHdrRepurpEn", QT_TRANSLATE_NOOP("AccessibleForm", "HDR hotkey: enable") },
    { "bHdrRepurpDis", QT_TRANSLATE_NOOP("AccessibleForm", "HDR hotkey: disable") },
    { "enable420", QT_TRANSLATE_NOOP("AccessibleForm", "4:2:0 output: enable") },
    { "disable420", QT_TRANSLATE_NOOP("AccessibleForm", "4:2:0 output: disable") },
    { "cmbEdidAlgo", QT_TRANSLATE_NOOP("AccessibleForm", "Automix algorithm") },
    { "enableAVR", QT_TRANSLATE_NOOP("AccessibleForm", "AVR audio test mode: enable") },
    { "disableAVR", QT_TRANSLATE_NOOP("AccessibleForm", "AVR audio test mode: disable") },
    { "leReset", QT_TRANSLATE_NOOP("AccessibleForm", "Type RESET to confirm the factory reset") },
    { "pbReset", QT_TRANSLATE_NOOP("AccessibleForm", "Factory reset") },
};

// The label in front of a control, so that a screen reader reads them together.
const Named kBuddies[] = {
    { "label_3", "cmbInputSel" },
    { "label_28", "cmbLa" },
    { "label_4", "CECtext" },
    { "label_8", "IFtext" },
    { "label_9", "AVItext" },
    { "label_41", "txtHdrIf" },
    { "label_37", "cmbEdidAlgo" },
    { "label_17", "leReset" },
};

// Controls the form's tab order leaves out, in the order they stand on the window: header, then
// the HDR / IF and CONFIG tabs. They follow the form's own order, after its last stop.
const char *const kAppendedTabStops[] = { "cmbInputSel", "cbAviPersistent", "txtHdrIf",
    "bHdrRepurpEn", "bHdrRepurpDis", "cmbEdidAlgo", "cbClearEdid" };
const char kLastFormTabStop[] = "enableAVR";

QString translated(const char *text)
{
    return QCoreApplication::translate("AccessibleForm", text);
}

// A shortcut for a push button that lives on the EDID tab: the tab is brought forward first,
// as a hidden button takes no shortcut of its own.
void addButtonShortcut(QMainWindow &window, const char *buttonName, const QKeySequence &keys)
{
    auto *button = window.findChild<QAbstractButton *>(QLatin1String(buttonName));
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    if (!button || !tabs)
        return;
    auto *action = new QAction(&window);
    action->setObjectName(QStringLiteral("shortcut_%1").arg(QLatin1String(buttonName)));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(action);
    QObject::connect(action, &QAction::triggered, button, [button, tabs] {
        for (QWidget *page = button->parentWidget(); page; page = page->parentWidget()) {
            if (tabs->indexOf(page) >= 0) {
                tabs->setCurrentWidget(page);
                break;
            }
        }
        if (button->isEnabled())
            button->click();
    });
}

// Tab leaves every text box instead of typing a tab character (no field takes one), and every
// control can be reached with Tab alone.
void completeTabChain(QMainWindow &window)
{
    for (QTextEdit *box : window.findChildren<QTextEdit *>())
        box->setTabChangesFocus(true);
    QWidget *previous = window.findChild<QWidget *>(QLatin1String(kLastFormTabStop));
    for (const char *name : kAppendedTabStops) {
        QWidget *next = window.findChild<QWidget *>(QLatin1String(name));
        if (!previous || !next)
            return;
        QWidget::setTabOrder(previous, next);
        previous = next;
    }
}

// The captured HDR InfoFrame is the box's, rewritten at every status tick: it can be selected and
// copied, by mouse or keyboard, but not typed into. Its look stays that of the other text boxes.
void makeCaptureReadOnly(QMainWindow &window)
{
    if (auto *capture = window.findChild<QTextEdit *>(QStringLiteral("txtHdrIf"))) {
        capture->setReadOnly(true);
        capture->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
}

} // namespace

void AccessibleForm::apply(QMainWindow &window)
{
    completeTabChain(window);
    makeCaptureReadOnly(window);

    for (const Named &n : kNames) {
        if (auto *w = window.findChild<QWidget *>(QLatin1String(n.object)))
            w->setAccessibleName(translated(n.name));
    }
    for (const Named &b : kBuddies) {
        auto *label = window.findChild<QLabel *>(QLatin1String(b.object));
        auto *buddy = window.findChild<QWidget *>(QLatin1String(b.name));
        if (label && buddy)
            label->setBuddy(buddy);
    }
    if (auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget")))
        tabs->tabBar()->setAccessibleName(translated(QT_TRANSLATE_NOOP("AccessibleForm", "Tabs")));

    if (auto *menu = window.findChild<QMenu *>(QStringLiteral("menuFile")))
        menu->setTitle(translated(QT_TRANSLATE_NOOP("AccessibleForm", "&File")));
    if (auto *menu = window.findChild<QMenu *>(QStringLiteral("menuHelp")))
        menu->setTitle(translated(QT_TRANSLATE_NOOP("AccessibleForm", "&Help")));
    if (auto *exit = window.findChild<QAction *>(QStringLiteral("actionExit"))) {
        exit->setText(translated(QT_TRANSLATE_NOOP("AccessibleForm", "E&xit")));
        exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    }
    if (auto *about = window.findChild<QAction *>(QStringLiteral("actionAbout")))
        about->setText(translated(QT_TRANSLATE_NOOP("AccessibleForm", "&About")));

    addButtonShortcut(window, "ButLoadEDID", QKeySequence(Qt::CTRL | Qt::Key_O));
    addButtonShortcut(window, "ButSaveEDID", QKeySequence(Qt::CTRL | Qt::Key_S));
}
