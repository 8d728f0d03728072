// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The screen's horizontal logical pixels per inch divided by 96 (1.0 at 96, 1.5 at 144).
float measureDisplayScale();
// The conversion itself, kept apart so it can be checked without a screen.
float displayScaleFromDpi(int dpi);
