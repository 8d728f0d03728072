// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The texts of --help and `zelvarinctl help COMMAND`.
namespace Help {

QString general();
// Empty for a command that does not exist.
QString command(const QString &name);

} // namespace Help
