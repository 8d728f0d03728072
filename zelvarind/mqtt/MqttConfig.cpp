// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/mqtt/MqttConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSysInfo>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace {

const char *const kKeys[]
    = { "enabled", "broker", "client_id", "topic_prefix", "discovery", "discovery_prefix", "user",
          "password_file", "ca_file", "cert_file", "key_file", "keepalive", "boxes" };

// A password is a line, not a file's worth of data.
constexpr qint64 MAX_PASSWORD_FILE = 4096;

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = QStringLiteral("[mqtt] ") + text;
    return false;
}

// QSettings turns an unquoted value with commas into a list; every key but `boxes` is one value.
QString text(const QSettings &settings, const char *key)
{
    const QVariant v = settings.value(QLatin1String(key));
    if (v.userType() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString().trimmed();
}

std::optional<bool> boolean(const QString &word)
{
    const QString w = word.toLower();
    if (w == QLatin1String("true") || w == QLatin1String("yes") || w == QLatin1String("on")
        || w == QLatin1String("1"))
        return true;
    if (w == QLatin1String("false") || w == QLatin1String("no") || w == QLatin1String("off")
        || w == QLatin1String("0"))
        return false;
    return std::nullopt;
}

// Topic levels of our own: no wildcards, no empty level, not one of the broker's "$" topics.
bool validPrefix(const QString &prefix)
{
    if (prefix.isEmpty() || prefix.size() > 100 || prefix.startsWith(QLatin1Char('$')))
        return false;
    for (const QString &level : prefix.split(QLatin1Char('/'))) {
        if (level.isEmpty() || level.contains(QLatin1Char('+')) || level.contains(QLatin1Char('#'))
            || level.contains(QChar(0)))
            return false;
    }
    return true;
}

// Entity ids and client ids: what Home Assistant and every broker take.
bool validId(const QString &id, int maxLength)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return id.size() <= maxLength && pattern.match(id).hasMatch();
}

QString defaultClientId()
{
    QString host = QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0);
    host.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    return QStringLiteral("zelvarind-") + (host.isEmpty() ? QStringLiteral("host") : host.left(40));
}

bool parseBroker(const QString &url, MqttConfig &c, QString *error)
{
    const QUrl u(url, QUrl::StrictMode);
    const QString scheme = u.scheme();
    if (!u.isValid() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))
        || u.host().isEmpty())
        return fail(error,
            QStringLiteral("broker: \"%1\" is not mqtt://HOST[:PORT] or mqtts://HOST[:PORT]")
                .arg(u.toString(QUrl::RemoveUserInfo)));
    if (!u.userInfo().isEmpty())
        return fail(error,
            QStringLiteral("broker: put the user in \"user\" and the password in a file named by "
                           "\"password_file\", not in the URL"));
    if (!u.path().isEmpty() && u.path() != QLatin1String("/"))
        return fail(error, QStringLiteral("broker: the URL has a path (%1)").arg(u.path()));
    c.tls = scheme == QLatin1String("mqtts");
    c.host = u.host();
    c.port = u.port(c.tls ? 8883 : 1883);
    if (c.port <= 0 || c.port > 65535)
        return fail(error, QStringLiteral("broker: port %1 is out of range").arg(c.port));
    return true;
}

bool parseBoxes(const QVariant &value, MqttConfig &c, QString *error)
{
    QStringList entries = value.toStringList();
    if (value.userType() == QMetaType::QString)
        entries = value.toString().split(QLatin1Char(','));
    for (const QString &raw : entries) {
        const QString entry = raw.trimmed();
        if (entry.isEmpty())
            continue;
        const int colon = int(entry.indexOf(QLatin1Char(':')));
        MqttConfig::Box box;
        box.serial = colon < 0 ? entry : entry.left(colon).trimmed();
        box.id = colon < 0 ? MqttConfig::idFromSerial(box.serial) : entry.mid(colon + 1).trimmed();
        if (box.serial.isEmpty() || !validId(box.id, 64) || box.id == QLatin1String("bridge"))
            return fail(error,
                QStringLiteral("boxes: \"%1\" is not SERIAL or SERIAL:ID (an id is letters, "
                               "digits, '-' and '_', and not \"bridge\")")
                    .arg(entry));
        for (const MqttConfig::Box &other : c.boxes) {
            if (other.serial == box.serial || other.id == box.id)
                return fail(error, QStringLiteral("boxes: \"%1\" is named twice").arg(entry));
        }
        c.boxes.append(box);
    }
    return true;
}

} // namespace

bool MqttConfig::read(QSettings &settings, MqttConfig &config, QString *error)
{
    MqttConfig c;
    settings.beginGroup(QStringLiteral("mqtt"));
    struct GroupEnd
    {
        QSettings &s;
        ~GroupEnd() { s.endGroup(); }
    } groupEnd { settings };

    for (const QString &key : settings.allKeys()) {
        if (std::none_of(std::begin(kKeys), std::end(kKeys),
                [&key](const char *known) { return key == QLatin1String(known); }))
            return fail(error, QStringLiteral("unknown key \"%1\"").arg(key));
    }
    // Files named relative to the configuration file are found next to it.
    const QString base = QFileInfo(settings.fileName()).absolutePath();
    const auto path = [&](const char *key) {
        const QString p = text(settings, key);
        return p.isEmpty() ? p : QDir::cleanPath(QDir(base).absoluteFilePath(p));
    };

    const QString broker = text(settings, "broker");
    if (!broker.isEmpty() && !parseBroker(broker, c, error))
        return false;
    c.enabled = !broker.isEmpty();
    if (settings.contains(QStringLiteral("enabled"))) {
        const std::optional<bool> on = boolean(text(settings, "enabled"));
        if (!on)
            return fail(error, QStringLiteral("enabled: say true or false"));
        if (*on && broker.isEmpty())
            return fail(error, QStringLiteral("enabled: no broker is set"));
        c.enabled = *on;
    }
    if (settings.contains(QStringLiteral("discovery"))) {
        const std::optional<bool> on = boolean(text(settings, "discovery"));
        if (!on)
            return fail(error, QStringLiteral("discovery: say true or false"));
        c.discovery = *on;
    }

    c.clientId = text(settings, "client_id");
    if (c.clientId.isEmpty())
        c.clientId = defaultClientId();
    else if (!validId(c.clientId, 64))
        return fail(error,
            QStringLiteral("client_id: \"%1\" is not 1 to 64 letters, digits, '-' and '_'")
                .arg(c.clientId));
    if (settings.contains(QStringLiteral("topic_prefix")))
        c.topicPrefix = text(settings, "topic_prefix");
    if (!validPrefix(c.topicPrefix))
        return fail(error,
            QStringLiteral("topic_prefix: \"%1\" is not topic levels joined by '/' "
                           "(no '+', '#', empty level or leading '$')")
                .arg(c.topicPrefix));
    if (settings.contains(QStringLiteral("discovery_prefix")))
        c.discoveryPrefix = text(settings, "discovery_prefix");
    if (!validPrefix(c.discoveryPrefix))
        return fail(error,
            QStringLiteral("discovery_prefix: \"%1\" is not topic levels joined by '/'")
                .arg(c.discoveryPrefix));

    c.user = text(settings, "user");
    c.passwordFile = path("password_file");
    if (!c.passwordFile.isEmpty() && c.user.isEmpty())
        return fail(error, QStringLiteral("password_file: a password needs a \"user\""));
    c.caFile = path("ca_file");
    c.certFile = path("cert_file");
    c.keyFile = path("key_file");
    if (c.certFile.isEmpty() != c.keyFile.isEmpty())
        return fail(error, QStringLiteral("cert_file and key_file go together"));
    if (!c.tls && !(c.caFile.isEmpty() && c.certFile.isEmpty()))
        return fail(error,
            QStringLiteral("ca_file, cert_file and key_file need a broker URL with mqtts://"));

    if (settings.contains(QStringLiteral("keepalive"))) {
        bool ok = false;
        c.keepaliveSeconds = text(settings, "keepalive").toInt(&ok);
        if (!ok || c.keepaliveSeconds < 5 || c.keepaliveSeconds > 3600)
            return fail(error, QStringLiteral("keepalive: give 5 to 3600 seconds"));
    }
    if (!parseBoxes(settings.value(QStringLiteral("boxes")), c, error))
        return false;
    config = c;
    return true;
}

bool MqttConfig::checkPrivateFile(const QString &path, const char *key, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return fail(error, QStringLiteral("%1: %2 is not a file").arg(QLatin1String(key), path));
    if (info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther))
        return fail(error,
            QStringLiteral("%1: %2 may be read by others; allow only its owner (chmod 600 %2)")
                .arg(QLatin1String(key), path));
    return true;
}

bool MqttConfig::readPassword(const QString &path, QByteArray &password, QString *error)
{
    if (!checkPrivateFile(path, "password_file", error))
        return false;
    QFile file(path);
    if (file.size() > MAX_PASSWORD_FILE)
        return fail(
            error, QStringLiteral("password_file: %1 is too long for a password").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("password_file: %1 cannot be read").arg(path));
    QByteArray content = file.read(MAX_PASSWORD_FILE);
    const int end = int(content.indexOf('\n'));
    password = end < 0 ? content : content.left(end);
    if (password.endsWith('\r'))
        password.chop(1);
    content.fill('\0');
    if (password.isEmpty())
        return fail(error, QStringLiteral("password_file: %1 holds no password").arg(path));
    return true;
}

QString MqttConfig::boxId(const QString &serial) const
{
    if (boxes.isEmpty())
        return idFromSerial(serial);
    for (const Box &b : boxes) {
        if (b.serial == serial)
            return b.id;
    }
    return {};
}

QString MqttConfig::idFromSerial(const QString &serial)
{
    QString id = serial.left(64);
    id.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    // "bridge" is the bridge's own topic level.
    if (id.isEmpty() || id == QLatin1String("bridge"))
        id += QLatin1Char('_');
    return id;
}

QString MqttConfig::brokerUrl() const
{
    return QStringLiteral("%1://%2:%3")
        .arg(tls ? QLatin1String("mqtts") : QLatin1String("mqtt"), host)
        .arg(port);
}
