// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class MainWindow;

// Lets the window take its first status tick, then renders it once per tab to PREFIX-edid.png,
// PREFIX-cec.png, PREFIX-hdr-if.png and PREFIX-config.png, and the decoded view to
// PREFIX-decoded.png. False when a file could not be written.
bool saveScreenshots(MainWindow &window, const QString &prefix);

// The rendering step alone, on the window as it stands. The tab shown before is shown again after.
bool saveTabPictures(MainWindow &window, const QString &prefix);

// The decoded view (View > Decoded...) to PREFIX-decoded.png, opened if it was not.
bool saveDecodedPicture(MainWindow &window, const QString &prefix);
