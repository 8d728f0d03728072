// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/JsonWriter.h"

#include <charconv>
#include <cmath>

namespace {

const char kHex[] = "0123456789abcdef";

} // namespace

JsonWriter::JsonWriter(Style style)
    : m_style(style)
{
    m_out.reserve(4096);
}

void JsonWriter::next(const char *key)
{
    if (!m_filled.isEmpty()) {
        if (m_filled.last())
            m_out += ',';
        m_filled.last() = true;
        if (m_style == Indented) {
            m_out += '\n';
            m_out.append(size_t(4 * m_filled.size()), ' ');
        }
    }
    if (key) {
        m_out += '"';
        m_out += key;
        m_out += m_style == Indented ? "\": " : "\":";
    }
}

void JsonWriter::open(const char *key, char bracket)
{
    next(key);
    m_out += bracket;
    m_filled.append(false);
}

void JsonWriter::close(char bracket)
{
    const bool filled = !m_filled.isEmpty() && m_filled.last();
    if (!m_filled.isEmpty())
        m_filled.removeLast();
    // An empty object or array stays on its line: "[]".
    if (filled && m_style == Indented) {
        m_out += '\n';
        m_out.append(size_t(4 * m_filled.size()), ' ');
    }
    m_out += bracket;
}

void JsonWriter::beginObject(const char *key)
{
    open(key, '{');
}

void JsonWriter::endObject()
{
    close('}');
}

void JsonWriter::beginArray(const char *key)
{
    open(key, '[');
}

void JsonWriter::endArray()
{
    close(']');
}

void JsonWriter::value(const char *key, bool v)
{
    next(key);
    m_out += v ? "true" : "false";
}

void JsonWriter::value(const char *key, int v)
{
    value(key, qint64(v));
}

void JsonWriter::value(const char *key, qint64 v)
{
    next(key);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    m_out.append(digits, size_t(end - digits));
}

void JsonWriter::value(const char *key, double v)
{
    next(key);
    // The shortest text that reads back as the same double, as QJsonDocument writes it; JSON
    // has no infinity or NaN.
    if (!std::isfinite(v)) {
        m_out += "null";
        return;
    }
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    m_out.append(digits, size_t(end - digits));
}

void JsonWriter::value(const char *key, const QString &v)
{
    next(key);
    string(v);
}

void JsonWriter::value(const char *key, QLatin1String v)
{
    next(key);
    string(v);
}

void JsonWriter::null(const char *key)
{
    next(key);
    m_out += "null";
}

void JsonWriter::element(int v)
{
    value(nullptr, v);
}

void JsonWriter::element(const QString &v)
{
    value(nullptr, v);
}

void JsonWriter::element(QLatin1String v)
{
    value(nullptr, v);
}

void JsonWriter::string(QLatin1String s)
{
    m_out += '"';
    for (char b : s) {
        const uchar c = uchar(b);
        if (c >= 0x80) { // Latin-1 above ASCII takes two bytes in UTF-8
            m_out += char(0xC0 | c >> 6);
            m_out += char(0x80 | (c & 0x3F));
        } else if (c < 0x20) {
            m_out += "\\u00";
            m_out += kHex[c >> 4];
            m_out += kHex[c & 0x0F];
        } else {
            if (c == '"' || c == '\\')
                m_out += '\\';
            m_out += b;
        }
    }
    m_out += '"';
}

void JsonWriter::string(const QString &s)
{
    m_out.reserve(m_out.size() + size_t(s.size()) + 2);
    m_out += '"';
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            m_out += char(c);
        } else if (c == '"' || c == '\\') {
            m_out += '\\';
            m_out += char(c);
        } else if (c >= 0x80) {
            // The rest of the string as UTF-8 in one go; escapes below 0x20 still apply to it.
            const QByteArray rest = QStringView(s).mid(i).toUtf8();
            m_out.reserve(m_out.size() + size_t(rest.size()));
            for (char b : rest) {
                const uchar u = uchar(b);
                if (u < 0x20) {
                    m_out += "\\u00";
                    m_out += kHex[u >> 4];
                    m_out += kHex[u & 0x0F];
                } else if (b == '"' || b == '\\') {
                    m_out += '\\';
                    m_out += b;
                } else {
                    m_out += b;
                }
            }
            break;
        } else if (c == '\n') {
            m_out += "\\n";
        } else if (c == '\t') {
            m_out += "\\t";
        } else {
            m_out += "\\u00";
            m_out += kHex[c >> 4];
            m_out += kHex[c & 0x0F];
        }
    }
    m_out += '"';
}
