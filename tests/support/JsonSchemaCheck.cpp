// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/JsonSchemaCheck.h"

#include "tests/support/CliRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>

void JsonSchemaCheck::add(const QStringList &args, const CliRun &run)
{
    if (run.exitCode != 0 || !args.contains(QStringLiteral("--json")))
        return;
    const QString schema = schemaFor(args);
    if (!schema.isEmpty())
        add(schema, args.join(QLatin1Char(' ')), run.out);
}

void JsonSchemaCheck::add(const QString &schema, const QString &what, const QByteArray &text)
{
    m_cases.append({ schema, what, text });
}

QString JsonSchemaCheck::schemaFor(const QStringList &args)
{
    QStringList words;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--serial") || a == QLatin1String("--usb-id")
            || a == QLatin1String("--usb-option"))
            ++i;
        else if (!a.startsWith(QLatin1Char('-')))
            words << a;
    }
    const QString command = words.value(0);
    const QString sub = words.value(1);
    if (command == QLatin1String("status") || command == QLatin1String("get")
        || command == QLatin1String("list") || command == QLatin1String("watch"))
        return command;
    if (sub == QLatin1String("decode")
        && (command == QLatin1String("edid") || command == QLatin1String("cec")
            || command == QLatin1String("infoframe")))
        return command + QStringLiteral("-decode");
    if (command == QLatin1String("edid")
        && (sub == QLatin1String("check") || sub == QLatin1String("fix")))
        return QStringLiteral("edid-check");
    // An edit answers in JSON only for a dry run; otherwise it writes the table.
    if (command == QLatin1String("edid") && sub == QLatin1String("edit")
        && args.contains(QLatin1String("--dry-run")))
        return QStringLiteral("edid-edit");
    return QString();
}

QString JsonSchemaCheck::problems() const
{
    QStringList out;
    QJsonArray cases;
    for (const Case &c : m_cases) {
        // The version is what a reader looks at first, so it comes first.
        const QList<QByteArray> documents = c.schema == QLatin1String("watch")
            ? c.text.trimmed().split('\n')
            : QList<QByteArray> { c.text };
        for (const QByteArray &d : documents) {
            if (!d.startsWith("{\n    \"format_version\": ")
                && !d.startsWith("{\"format_version\":"))
                out << c.what + QStringLiteral(": \"format_version\" is not the first key");
        }
        cases.append(QJsonObject { { QStringLiteral("schema"), c.schema },
            { QStringLiteral("what"), c.what },
            { QStringLiteral("text"), QString::fromUtf8(c.text) } });
    }
    QTemporaryFile file;
    if (!file.open())
        return QStringLiteral("cannot write the cases for the validator");
    file.write(QJsonDocument(cases).toJson(QJsonDocument::Compact));
    file.flush();

    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("python3"),
        { QStringLiteral(ZELVARIN_SCHEMA_CHECK), QStringLiteral(ZELVARIN_SCHEMA_DIR),
            file.fileName() });
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("the validator did not run (python3 with python3-jsonschema is "
                              "needed): ")
            + p.errorString();
    if (p.exitCode() != 0)
        out << QString::fromUtf8(p.readAll());
    return out.join(QLatin1Char('\n'));
}
