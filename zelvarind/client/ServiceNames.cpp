// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/client/ServiceNames.h"

#include "session/ExitCodes.h"

#include <iterator>

QString ServiceNames::boxPath(const QString &serial)
{
    QString element;
    for (const char c : serial.toUtf8()) {
        const bool plain
            = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (plain)
            element += QLatin1Char(c);
        else
            element += QStringLiteral("_%1").arg(uint(quint8(c)), 2, 16, QLatin1Char('0'));
    }
    if (element.isEmpty())
        element = QStringLiteral("_");
    return managerPath() + QStringLiteral("/box/") + element;
}

namespace {

const char *const kSearchWords[] = { "connected", "not-found", "open-failed", "no-reply" };

} // namespace

QString ServiceNames::searchWord(SearchOutcome outcome)
{
    return QLatin1String(kSearchWords[int(outcome)]);
}

ServiceNames::SearchOutcome ServiceNames::searchOutcome(const QString &word)
{
    for (int i = 0; i < int(std::size(kSearchWords)); ++i) {
        if (word == QLatin1String(kSearchWords[i]))
            return SearchOutcome(i);
    }
    return SearchOutcome::NotFound;
}

int ServiceNames::Error::exitCode(const QString &errorName)
{
    if (errorName == invalidArgs())
        return ExitCode::Usage;
    if (errorName == badData())
        return ExitCode::BadData;
    return ExitCode::BoxFailed;
}
