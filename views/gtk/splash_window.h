// The splash process on GTK 3: a borderless window of the picture, centred
// on the primary monitor, kept above others, without a taskbar entry.
#pragma once

#include <string>

// Runs the splash process for the given Config.ini; returns at once when
// there is no display or nothing to show, otherwise when the window is
// closed. A click on the picture ends the process (exit code 0).
void RunGtkSplash(const std::string& configIni);
