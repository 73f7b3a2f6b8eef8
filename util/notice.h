// A failure that a helper process without a window (the Down Size worker,
// /setup) could not show goes, in the environment, to the launcher it
// starts next; that launcher shows it once its window is up.
#pragma once

#include <string>

// Gives the text to the processes this one starts from now on.
void HandOnNotice(const std::string& text);
// The notice this process was started with, once: later calls, and the
// processes it starts, see none.
std::string TakeNotice();

// What a tool did just before it ended this launcher (where its automatic
// backup went), for the status bar of the launcher started after it; given
// and taken as a notice is.
void HandOnStatusLine(const std::string& text);
std::string TakeStatusLine();
