// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/TextColours.h"

#include <QPalette>
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
// contrast is enough (or the lightness runs out, when the other end is taken).
QColor withContrast(const QColor &colour, const QColor &background)
{
    if (TextColours::contrast(colour, background) >= TextColours::MINIMUM_CONTRAST)
        return colour;
    const QColor hsl = colour.toHsl();
    const bool lighter = luminance(background) < 0.18;
    for (int l = hsl.lightness(); l >= 0 && l <= 255; l += lighter ? 5 : -5) {
        const QColor candidate = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), l).toRgb();
        if (TextColours::contrast(candidate, background) >= TextColours::MINIMUM_CONTRAST)
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
    // Black means "plain text": the scheme's own text colour says that best.
    const QColor wanted = marking.toHsl().hslSaturation() == 0 && marking.lightness() < 128
        ? palette.color(QPalette::Text)
        : marking;
    return withContrast(wanted, background);
}

double TextColours::contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
