#include "util/quit_signals.h"

void HoldQuitSignals() {}

void ReleaseQuitSignals() {}

bool QuitSignalPending() { return false; }
