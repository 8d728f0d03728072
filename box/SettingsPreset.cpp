// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "box/SettingsPreset.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>

SettingsPreset SettingsPreset::fromImage(const RegisterImage &image, const QString &firmware)
{
    SettingsPreset preset;
    preset.firmware = firmware;
    for (const Settings::Setting &s : Settings::all())
        preset.entries.append({ s.id, image[s.position] });
    return preset;
}

QByteArray SettingsPreset::toJson() const
{
    QJsonObject settings;
    for (const Entry &e : entries) {
        const Settings::Setting &s = Settings::setting(e.id);
        settings.insert(QLatin1String(s.name), Settings::valueName(s, e.value));
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), FORMAT_VERSION);
    root.insert(QStringLiteral("firmware"), firmware);
    root.insert(QStringLiteral("settings"), settings);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool SettingsPreset::fromJson(const QByteArray &json, SettingsPreset &preset, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (json.size() > FILE_LIMIT)
        return fail(
            QStringLiteral("more than %1 bytes, too much for a settings preset").arg(FILE_LIMIT));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not JSON: %1 at offset %2")
                        .arg(parseError.errorString())
                        .arg(parseError.offset));
    if (!doc.isObject())
        return fail(QStringLiteral("not a settings preset: no JSON object"));
    const QJsonObject root = doc.object();
    const QJsonValue format = root.value(QStringLiteral("format"));
    if (!format.isDouble() || format.toInt() != FORMAT_VERSION)
        return fail(QStringLiteral("format version %1 is not %2")
                        .arg(format.isDouble() ? QString::number(format.toDouble())
                                               : QStringLiteral("missing"))
                        .arg(FORMAT_VERSION));
    const QJsonValue settings = root.value(QStringLiteral("settings"));
    if (!settings.isObject())
        return fail(QStringLiteral("no \"settings\" object"));

    SettingsPreset read;
    read.firmware = root.value(QStringLiteral("firmware")).toString();
    const QJsonObject values = settings.toObject();
    // Checked in name order (a JSON object keeps no other), so the same file always gets the
    // same message.
    QSet<int> seen;
    for (auto it = values.begin(); it != values.end(); ++it) {
        const Settings::Setting *s = Settings::find(it.key());
        if (!s)
            return fail(QStringLiteral("unknown setting \"%1\"").arg(it.key()));
        if (!it.value().isString())
            return fail(QStringLiteral("%1: the value is not a string").arg(it.key()));
        const QString name = it.value().toString();
        const std::optional<quint8> value = Settings::valueOf(*s, name);
        if (!value)
            return fail(QStringLiteral("%1: \"%2\" is not one of %3")
                            .arg(it.key(), name, Settings::valueNames(*s)));
        seen.insert(int(s->id));
    }
    for (const Settings::Setting &s : Settings::all()) {
        if (!seen.contains(int(s.id)))
            return fail(QStringLiteral("%1: missing").arg(QLatin1String(s.name)));
        read.entries.append(
            { s.id, *Settings::valueOf(s, values.value(QLatin1String(s.name)).toString()) });
    }
    preset = read;
    return true;
}
