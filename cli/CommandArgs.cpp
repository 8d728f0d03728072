// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CommandArgs.h"

bool CommandArgs::flag(const QString &name)
{
    return m_words.removeAll(name) > 0;
}

std::optional<QString> CommandArgs::value(const QString &name, bool *missing)
{
    std::optional<QString> found;
    const QString prefix = name + QLatin1Char('=');
    for (int i = 0; i < m_words.size();) {
        if (m_words.at(i).startsWith(prefix)) {
            found = m_words.takeAt(i).mid(prefix.size());
        } else if (m_words.at(i) == name) {
            m_words.removeAt(i);
            if (i >= m_words.size()) {
                if (missing)
                    *missing = true;
                return std::nullopt;
            }
            found = m_words.takeAt(i);
        } else {
            ++i;
        }
    }
    return found;
}

QString CommandArgs::unknownOption() const
{
    for (const QString &w : m_words) {
        if (w.size() > 1 && w.startsWith(QLatin1Char('-')))
            return w;
    }
    return QString();
}
