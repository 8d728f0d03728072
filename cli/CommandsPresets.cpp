// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "box/SettingsPreset.h"
#include "cli/CliFiles.h"
#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "session/ExitCodes.h"

// settings save / settings load: every setting in a preset file (SettingsPreset.h).

namespace {

int save(CliSession &session, const QString &fileName)
{
    if (const int failed = session.connect())
        return failed;
    BoxClient::FirmwareVersion version;
    if (const BoxResult r = session.box().identify(version); !r.ok())
        return CliSession::boxFailure(QStringLiteral("reading the firmware version"), r);
    BoxClient::Status status;
    if (const BoxResult r = session.box().readStatus(status); !r.ok())
        return CliSession::boxFailure(QStringLiteral("reading the status"), r);

    // A regular file is renamed over only when complete, so a failed save leaves no half preset.
    return CliFiles::write(QString(), fileName,
        SettingsPreset::fromImage(status.settings(), version.dotted()).toJson());
}

int load(CliSession &session, const QString &fileName)
{
    SettingsPreset preset;
    // The whole file is checked before the box is even looked for.
    if (const int bad = Commands::readPreset(fileName, preset))
        return bad;

    RegisterImage current {};
    if (const int failed = session.connectAndReadSettings(current))
        return failed;
    // Only what differs is written: an unchanged EDID mode would still make the box rebuild its
    // EDID, and an unchanged input would still make it switch.
    for (const SettingsPreset::Entry &e : preset.entries) {
        const Settings::Setting &s = Settings::setting(e.id);
        if (current[s.position] == e.value)
            continue;
        const BoxResult r = session.box().writeSetting(e.id, e.value);
        if (!r.ok())
            return CliSession::boxFailure(
                QStringLiteral("setting %1=%2")
                    .arg(QLatin1String(s.name), Settings::valueName(s, e.value)),
                r);
        session.link().registerMirror[s.position] = e.value;
    }
    return ExitCode::Ok;
}

} // namespace

namespace Commands {

int readPreset(const QString &fileName, SettingsPreset &preset)
{
    QByteArray json;
    if (const int bad = CliFiles::read(QString(), fileName, SettingsPreset::FILE_LIMIT,
            QStringLiteral("a settings preset"), json))
        return bad;
    QString why;
    if (!SettingsPreset::fromJson(json, preset, &why))
        return CliOutput::fail(ExitCode::BadData, QStringLiteral("%1: %2").arg(fileName, why));
    return ExitCode::Ok;
}

int settings(CliSession &session, CommandArgs &args)
{
    const QString command = QStringLiteral("settings");
    if (const int bad = checkLeftovers(command, args, 2))
        return bad;
    const QStringList &words = args.positionals();
    if (words.size() < 2
        || (words.at(0) != QLatin1String("save") && words.at(0) != QLatin1String("load")))
        return usage(
            command, QStringLiteral("expected 'settings save FILE' or 'settings load FILE'"));
    return words.at(0) == QLatin1String("save") ? save(session, words.at(1))
                                                : load(session, words.at(1));
}

} // namespace Commands
