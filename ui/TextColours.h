// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>

class QPalette;

// Colours for text the window marks by colour (the EDID table: black from the box, blue from a
// file). Under a light colour scheme the marking colours are used as they are; under a dark one
// they would be near-invisible on the dark text background, so a colour of the same hue is taken
// instead, with as much contrast as the scheme's own text has (and at least MINIMUM_CONTRAST).
class TextColours
{
public:
    // WCAG 2 contrast for normal-size text.
    static constexpr double MINIMUM_CONTRAST = 4.5;

    // A dark scheme: the window colour is darker than the text drawn on it.
    static bool isDark(const QPalette &palette);
    // The colour to draw text in that should be `marking` on a light scheme.
    static QColor forText(const QPalette &palette, const QColor &marking);
    // The WCAG 2 contrast ratio of two colours, 1 to 21.
    static double contrast(const QColor &a, const QColor &b);
};
