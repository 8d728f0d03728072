// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/Decimal.h"
#include "edid/JsonWriter.h"

#include <QStringBuilder>
#include <QStringList>

#include <utility>

// Where a describer's one walk over decoded data goes: lines for people, JSON for programs, or
// both. The walk gives each field to both at the same place, so the two cannot say different
// things; what is not wanted costs a test of a pointer (lines are not even built for JSON).
class Description
{
public:
    Description(QStringList *lines, JsonWriter *json)
        : m_lines(lines)
        , m_json(json)
    {
    }

    bool wantsLines() const { return m_lines != nullptr; }
    void line(QString text)
    {
        if (m_lines)
            m_lines->append(std::move(text));
    }

    bool wantsJson() const { return m_json != nullptr; }
    JsonWriter *json() const { return m_json; }
    void beginObject(const char *key = nullptr)
    {
        if (m_json)
            m_json->beginObject(key);
    }
    void endObject()
    {
        if (m_json)
            m_json->endObject();
    }
    void beginArray(const char *key = nullptr)
    {
        if (m_json)
            m_json->beginArray(key);
    }
    void endArray()
    {
        if (m_json)
            m_json->endArray();
    }
    template <typename T> void field(const char *key, const T &v)
    {
        if (m_json)
            m_json->value(key, v);
    }
    template <typename T> void element(const T &v)
    {
        if (m_json)
            m_json->element(v);
    }

private:
    QStringList *m_lines;
    JsonWriter *m_json;
};
