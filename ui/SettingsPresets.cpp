// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MainWindow.h"

#include "box/BoxClient.h"
#include "box/SettingsPreset.h"
#include "link/DeviceLink.h"
#include "ui/Dialogs.h"
#include "ui_ZelvarinForm.h"

#include <QAction>
#include <QFile>
#include <QSaveFile>

// File > Save Settings... and Load Settings...: every setting in a preset file, the same file
// zelvarinctl's `settings save` and `settings load` use.

void MainWindow::addSettingsPresetActions()
{
    auto *save = new QAction(tr("Save Settings..."), this);
    save->setObjectName(QStringLiteral("actionSaveSettings"));
    auto *load = new QAction(tr("Load Settings..."), this);
    load->setObjectName(QStringLiteral("actionLoadSettings"));
    ui->menuFile->insertAction(ui->actionExit, save);
    ui->menuFile->insertAction(ui->actionExit, load);
    ui->menuFile->insertSeparator(ui->actionExit);
    connect(save, &QAction::triggered, this, [this] { saveSettingsPreset(); });
    connect(load, &QAction::triggered, this, [this] { loadSettingsPreset(); });
}

bool MainWindow::saveSettingsPreset()
{
    // Read afresh rather than from the mirror, which may hold a value the box did not take.
    BoxClient::FirmwareVersion version;
    BoxClient::Status status;
    bool read = false;
    {
        const DeviceLink::Sequence snapshot(*m_services.link);
        read = m_box->identify(version).ok() && m_box->readStatus(status).ok();
    }
    if (!read) {
        showStatus(tr("Error Reading values"), 4000);
        return false;
    }
    const QString fileName = m_services.dialogs->saveFileName(this, tr("Save Settings"),
        QStringLiteral("ZELVARIN_settings.json"), tr("Settings presets (*.json)"));
    if (fileName.isEmpty())
        return false;
    const QByteArray json = SettingsPreset::fromImage(status.settings(), version.dotted()).toJson();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
        m_services.dialogs->warning(this, tr("ZELVARIN Utility"),
            tr("Cannot write file %1:\n%2.").arg(fileName, file.errorString()));
        return false;
    }
    showStatus(tr("Settings saved"), 2000);
    return true;
}

bool MainWindow::loadSettingsPreset()
{
    const QString fileName = m_services.dialogs->openFileName(
        this, tr("Load Settings"), QString(), tr("Settings presets (*.json);;All files (*.*)"));
    if (fileName.isEmpty())
        return false;
    QFile file(fileName);
    SettingsPreset preset;
    QString why;
    // The file is checked as a whole before anything is written.
    const bool readable = file.open(QIODevice::ReadOnly);
    if (!readable)
        why = file.errorString();
    // One byte past the limit is enough to refuse a file that is too long (or endless: a device).
    if (!readable
        || !SettingsPreset::fromJson(file.read(SettingsPreset::FILE_LIMIT + 1), preset, &why)) {
        m_services.dialogs->warning(this, tr("ZELVARIN Utility"),
            tr("Cannot load settings from %1:\n%2.").arg(fileName, why));
        return false;
    }
    // Only what differs from the box goes out; the next tick shows the result in the controls.
    const RegisterImage current = m_services.link->registerMirror;
    // A preset reaches the box whole: no other program's setting lands between two of its own.
    const DeviceLink::Sequence whole(*m_services.link);
    for (const SettingsPreset::Entry &e : preset.entries) {
        if (current[Settings::setting(e.id).position] == e.value)
            continue;
        if (!m_box->writeSetting(e.id, e.value).ok()) {
            showStatus(tr("Error Writing values"), 4000);
            return false;
        }
        m_services.link->registerMirror[Settings::setting(e.id).position] = e.value;
    }
    showStatus(tr("Settings loaded"), 2000);
    return true;
}
