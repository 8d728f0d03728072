// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QVarLengthArray>

#include <string>

// Writes JSON text as it goes, in the order the members are given: what a describer produces
// for programs, without a QJsonObject per object (building and sorting those cost more than
// decoding the table). Keys are the program's own ASCII words and are written as given; string
// values are escaped. The caller keeps objects and arrays balanced.
class JsonWriter
{
public:
    enum Style {
        Compact, // one line, as a stream of objects prints them
        Indented, // four spaces per level, as a single answer prints
    };

    explicit JsonWriter(Style style = Compact);

    // An object or array as the value of `key` in the current object, or (without a key) as
    // the next element of the current array or the whole document.
    void beginObject(const char *key = nullptr);
    void endObject();
    void beginArray(const char *key = nullptr);
    void endArray();

    // Members of the current object.
    void value(const char *key, bool v);
    void value(const char *key, int v);
    void value(const char *key, qint64 v);
    void value(const char *key, double v);
    void value(const char *key, const QString &v);
    void value(const char *key, QLatin1String v);
    void null(const char *key);
    // Elements of the current array.
    void element(int v);
    void element(const QString &v);
    void element(QLatin1String v);

    QByteArray text() const { return QByteArray(m_out.data(), qsizetype(m_out.size())); }

private:
    void next(const char *key); // the comma, line break and indentation, then the key
    void open(const char *key, char bracket);
    void close(char bracket);
    void string(const QString &s);
    void string(QLatin1String s);

    // A std::string rather than a QByteArray: its appends are inline, and a table's JSON is
    // thousands of them.
    std::string m_out;
    Style m_style;
    // Per open level: whether it holds anything yet.
    QVarLengthArray<bool, 8> m_filled;
};
