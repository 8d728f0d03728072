// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The device layer reports its failures in modal warning boxes with the caption " ", a warning
// icon, an OK button and no owner window. The window layer supplies the real boxes; tests record.
class DeviceWarnings
{
public:
    virtual ~DeviceWarnings() = default;
    virtual void deviceWarning(const QString &text) = 0;
};
