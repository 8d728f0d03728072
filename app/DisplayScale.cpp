// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/DisplayScale.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QGuiApplication>
#include <QScreen>
#endif

float displayScaleFromDpi(int dpi)
{
    return float(dpi) / 96.0f;
}

float measureDisplayScale()
{
#ifdef _WIN32
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return displayScaleFromDpi(dpi);
#else
    const QScreen *screen = QGuiApplication::primaryScreen();
    return displayScaleFromDpi(screen ? int(screen->logicalDotsPerInchX()) : 96);
#endif
}
