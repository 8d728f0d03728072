// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The words after a command's name. A command takes its options out first (flag(), value()),
// then checks that nothing else looking like an option is left and reads the positionals.
class CommandArgs
{
public:
    explicit CommandArgs(const QStringList &words)
        : m_words(words)
    {
    }

    // Takes every "--name" out; true when there was one.
    bool flag(const QString &name);
    // Takes "NAME VALUE" or "NAME=VALUE" out. `missing` is set when NAME is last with no value.
    std::optional<QString> value(const QString &name, bool *missing);
    // The first word left that looks like an option, or an empty string.
    QString unknownOption() const;
    // What is left, in order.
    const QStringList &positionals() const { return m_words; }

private:
    QStringList m_words;
};
