// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QMainWindow;
class QRect;

// The window has a fixed height of 794 pixels. On a shorter screen its lower part (the EDID
// buttons, the status bar) would be out of reach, so there the form goes into a scroll area and
// the window is made as tall as the screen allows; the form itself keeps its size and layout.
class ScreenFit
{
public:
    // Returns true when the form was put into a scroll area. `available` is the screen's
    // available geometry.
    static bool fitInto(QMainWindow &window, const QRect &available);
};
