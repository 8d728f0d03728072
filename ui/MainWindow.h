// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "box/SignalInfo.h"
#include "edid/EdidImage.h"
#include "protocol/Frames.h"
#include "protocol/SettingsTable.h"
#include "ui/AppServices.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

class BoxClient;
class BoxRoute;
class ConnectionWatch;
class DecodedView;
class SettingsReflection;
class EdidEditWindow;
struct BoxResult;

class QCloseEvent;
class QProgressBar;
class QTimerEvent;
namespace Ui {
class ZelvarinForm;
}

// The program's only window and the owner of every user action. The order of the slots below is
// the window's method table: do not reorder, insert or remove slots.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int STATUS_PERIOD_MS = 3000;

    explicit MainWindow(AppServices &services, QWidget *parent = nullptr);
    ~MainWindow() override;

public Q_SLOTS:
    void on_ProgressChange(int value, int maximum); // 0

private Q_SLOTS:
    void SaveEDIDtoFile(); // 1
    void LoadEDIDfromFile(); // 2
    void FileExit(); // 3
    void FileAbout(); // 4
    void ReadEDID(); // 5
    void WriteEDID(); // 6
    void WriteCEC(); // 7
    void WriteIF(); // 8
    void CalculateChkSum(); // 9
    void SetActivePort(); // 10
    void SetAutoSwitch(); // 11
    void SetAudioSource(); // 12
    void SetHDCP_Version(); // 13
    void SetOut_420(); // 14
    void SetEDID_Mode(); // 15
    void SetEPState(); // 16
    void SaveCEC_1(); // 17
    void SaveCEC_2(); // 18
    void force2c(); // 19
    void force51(); // 20
    void forceHdr(); // 21
    void forceFullAudio(); // 22
    void setSwPriority(); // 23
    void changeCustomEdid(); // 24
    bool sendAVI(); // 25
    void CecLpRepurp(); // 26
    void hdrForceActivate(); // 27
    void hdrSamsung(); // 28
    void setLogoLed(); // 29
    void setBt2020(); // 30
    void setBlueLed(); // 31
    void factoryReset(); // 32
    void setYUV(); // 33
    void setCEC(); // 34
    void setCecLa(); // 35
    void setAVR(); // 36
    void readTvEdidA(); // 37
    void readTvEdidB(); // 38
    void set3D(); // 39
    void setEdidAlgo(); // 40
    void setAviPers(); // 41

protected:
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    friend class WindowTestAccess; // tests reach the internals through this

    // Shell and connect sequence (MainWindow.cpp, ConnectSequence.cpp).
    void connectBox();
    void runConnectSequence();
    void releaseForm();
    void teardown();
    void matchMenuFonts();
    void showStatus(const QString &text, int timeoutMs);
    void clearTextBuffer();

    // Frame operations (FrameOps.cpp).
    bool readRegisters(quint8 block, Reply &reply, quint8 count);
    bool writeRegister(quint8 index, quint8 value);
    bool readStatus(Reply &reply, quint8 count);
    bool writeAllRegisters(const RegisterImage &image);

    // Watching the connection (Connection.cpp).
    void installConnectionMenu();
    void resetConnectionWatch();
    void noteResult(const BoxResult &result);
    void beginTick();
    void endTick();
    void noteBusyTick(bool busy);
    bool lostDuringTick() const;
    void boxLost();
    void startBoxSearch();
    void stopBoxSearch();
    void searchForBox(bool asked);
    bool isSearchTimer(const QTimerEvent *event) const;

    // Status polling and signal description (StatusMonitor.cpp).
    void startStatusTimer(int periodMs);
    void stopStatusTimer();
    void followEdidRefresh();
    void reflectSettings();
    void describeSignal();

    // Settings (Settings.cpp).
    void writeSetting(Settings::Id id, quint8 value);
    void writeOnOff(bool on, Settings::Id id);
    void writeListIndex(int index, Settings::Id id);

    // EDID (EdidTransfers.cpp, EdidFiles.cpp).
    void ensureProgressBar();
    bool readBoxEdid();
    bool readTvEdid(bool outputB);
    bool readEdidTable(int source, const QString &successMessage);
    bool writeBoxEdid();
    int parseEdidText(EdidImage &image);
    void showEdidImage(const EdidImage &image);

    // File > Save Settings... / Load Settings... (SettingsPresets.cpp).
    void addSettingsPresetActions();
    bool saveSettingsPreset();
    bool loadSettingsPreset();

    // View > Decoded... and the text boxes' tooltips (ViewMenu.cpp).
    void installViewMenu();
    void showDecodedView();

    // EDID > Edit... (EdidMenu.cpp).
    void installEdidMenu();
    void showEdidEditor();

    // Packet injection (PacketInjection.cpp).
    bool sendCecCommand(quint8 code);
    bool storeCecCommand(quint8 code);
    bool sendHdrInfoFrame();

    AppServices &m_services;
    // Every frame the window sends goes through this client; the slots only present its results.
    std::unique_ptr<BoxClient> m_box;
    // When the box counts as lost and how often to look for it (shared with the service).
    std::unique_ptr<ConnectionWatch> m_watch;
    // Where the frames go: through the service when it runs, else to the USB bus.
    std::unique_ptr<BoxRoute> m_route;
    Ui::ZelvarinForm *ui = nullptr;
    // Which control shows which setting; lives as long as the form.
    std::unique_ptr<SettingsReflection> m_reflection;
    QProgressBar *progressBar = nullptr;
    // Created on first use; a child window of this one.
    DecodedView *decodedView = nullptr;
    // Open while the user edits a copy of the EDID table; it deletes itself when closed.
    QPointer<EdidEditWindow> edidEditor;
    // The signal of the last status tick that read it, for the decoded view.
    SignalInfo lastSignal;
    bool signalRead = false;

    bool boxConnected = false;
    bool connectedOnce = false;
    // Connection watch: see Connection.cpp.
    QString baseTitle;
    int searchTimerId = 0;
    QString busyNotice; // on the status bar while the box stays busy
    bool edidRefreshPending = true;
    bool statusTimerRunning = false;
    int statusTimerId = 0;
    // The 1000-character work buffer the EDID read composes its text in; the EDID, CEC and
    // InfoFrame slots clear it first.
    std::array<char, 1000> textBuffer {};
};
