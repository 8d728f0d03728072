#pragma once

#include <QString>

class MainWindow;

// Renders the window once per tab to PREFIX-edid.png, PREFIX-cec.png, PREFIX-hdr-if.png and
// PREFIX-config.png. False when a file could not be written.
bool saveScreenshots(MainWindow &window, const QString &prefix);
