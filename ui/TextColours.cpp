// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/TextColours.h"

#include <QPalette>

#include <algorithm>
#include <cmath>

namespace {

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.red()) + 0.7152 * channel(rgb.green())
        + 0.0722 * channel(rgb.blue());
}

// Moves the colour's lightness away from the background's, keeping hue and saturation, until the
// contrast reaches `wanted` (or the lightness runs out, when the far end is taken).
QColor withContrast(const QColor &colour, const QColor &background, double wanted)
{
    if (TextColours::contrast(colour, background) >= wanted)
        return colour;
    const QColor hsl = colour.toHsl();
    const bool lighter = luminance(background) < 0.18;
    // Single steps: the first colour that is enough keeps the most of the marking's own colour.
    for (int l = hsl.lightness(); l >= 0 && l <= 255; l += lighter ? 1 : -1) {
        const QColor candidate = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), l).toRgb();
        if (TextColours::contrast(candidate, background) >= wanted)
            return candidate;
    }
    return lighter ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace

bool TextColours::isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness()
        < palette.color(QPalette::WindowText).lightness();
}

QColor TextColours::forText(const QPalette &palette, const QColor &marking)
{
    if (!isDark(palette))
        return marking;
    const QColor background = palette.color(QPalette::Base);
    const QColor plain = palette.color(QPalette::Text);
    // Black means "plain text": the scheme's own text colour says that best.
    if (marking.toHsl().hslSaturation() == 0 && marking.lightness() < 128)
        return withContrast(plain, background, MINIMUM_CONTRAST);
    // A marked text stands beside plain text (a table from a file beside one from the box): it
    // gets as much contrast as the plain text has, so that it never looks dimmed or disabled.
    return withContrast(
        marking, background, std::max(MINIMUM_CONTRAST, contrast(plain, background)));
}

double TextColours::contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
