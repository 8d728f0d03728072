// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QMainWindow;

// Makes the form usable without a mouse and with a screen reader, leaving its visible texts as
// they are: names for controls whose caption says nothing alone (six ENABLE/DISABLE pairs, the
// text boxes), labels tied to their controls, menu mnemonics (the & is only drawn with Alt), and
// the shortcuts Ctrl+O (Load), Ctrl+S (Save) and Ctrl+Q (Exit). Tab leaves every text box, and
// the controls the form's tab order lacks follow its last stop, so that Tab alone reaches every
// control; the captured HDR InfoFrame, which the status tick rewrites, takes no typing.
class AccessibleForm
{
public:
    static void apply(QMainWindow &window);
};
