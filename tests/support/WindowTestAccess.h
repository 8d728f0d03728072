// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ui/MainWindow.h"
#include "ui_ZelvarinForm.h"

#include <QCoreApplication>
#include <QTimerEvent>

// The window's internals, for tests only (MainWindow befriends this class).
class WindowTestAccess
{
public:
    static Ui::ZelvarinForm *form(MainWindow &w) { return w.ui; }
    static QProgressBar *progressBar(MainWindow &w) { return w.progressBar; }
    static bool boxConnected(MainWindow &w) { return w.boxConnected; }
    static bool edidRefreshPending(MainWindow &w) { return w.edidRefreshPending; }
    static void setEdidRefreshPending(MainWindow &w, bool on) { w.edidRefreshPending = on; }
    static bool statusTimerRunning(MainWindow &w) { return w.statusTimerRunning; }
    static int statusTimerId(MainWindow &w) { return w.statusTimerId; }
    static void startStatusTimer(MainWindow &w, int ms) { w.startStatusTimer(ms); }
    static void stopStatusTimer(MainWindow &w) { w.stopStatusTimer(); }
    static const std::array<char, 1000> &textBuffer(MainWindow &w) { return w.textBuffer; }
    static void tick(MainWindow &w)
    {
        QTimerEvent event(w.statusTimerId);
        QCoreApplication::sendEvent(&w, &event);
    }
    static bool searching(MainWindow &w) { return w.searchTimerId != 0; }
    static void searchTick(MainWindow &w)
    {
        QTimerEvent event(w.searchTimerId);
        QCoreApplication::sendEvent(&w, &event);
    }
    static void reflectSettings(MainWindow &w) { w.reflectSettings(); }
    static void describeSignal(MainWindow &w) { w.describeSignal(); }
    static bool readRegisters(MainWindow &w, quint8 block, Reply &r, quint8 n)
    {
        return w.readRegisters(block, r, n);
    }
    static bool writeRegister(MainWindow &w, quint8 i, quint8 v) { return w.writeRegister(i, v); }
    static bool readStatus(MainWindow &w, Reply &r, quint8 n) { return w.readStatus(r, n); }
    static bool writeAllRegisters(MainWindow &w, const RegisterImage &img)
    {
        return w.writeAllRegisters(img);
    }
    static bool readBoxEdid(MainWindow &w) { return w.readBoxEdid(); }
    static bool readTvEdid(MainWindow &w, bool b) { return w.readTvEdid(b); }
    static bool writeBoxEdid(MainWindow &w) { return w.writeBoxEdid(); }
    static int parseEdidText(MainWindow &w, EdidImage &img) { return w.parseEdidText(img); }
    static void showEdidImage(MainWindow &w, const EdidImage &img) { w.showEdidImage(img); }
    static bool sendCecCommand(MainWindow &w, quint8 c) { return w.sendCecCommand(c); }
    static bool storeCecCommand(MainWindow &w, quint8 c) { return w.storeCecCommand(c); }
    static bool sendHdrInfoFrame(MainWindow &w) { return w.sendHdrInfoFrame(); }
};
