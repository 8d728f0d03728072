// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct CliRun;

// zelvarinctl's JSON answers, gathered over a test's runs and checked together at its end against
// the schemas the package ships (dist/schema/), by a real JSON Schema validator: python3 with
// python3-jsonschema, run once for all of them. Also checked: "format_version" is the first key.
class JsonSchemaCheck
{
public:
    // Keeps the run's standard output when `args` ask for JSON and the run succeeded; the schema
    // is the one of the command the words name.
    void add(const QStringList &args, const CliRun &run);
    void add(const QString &schema, const QString &what, const QByteArray &text);
    int count() const { return int(m_cases.size()); }
    // Empty when every answer conforms; otherwise what the validator said.
    QString problems() const;

    // "status", "edid-decode"...: the schema of the answer to these zelvarinctl arguments, or an
    // empty string for a command that prints no JSON.
    static QString schemaFor(const QStringList &args);

private:
    struct Case
    {
        QString schema;
        QString what;
        QByteArray text;
    };
    QList<Case> m_cases;
};
