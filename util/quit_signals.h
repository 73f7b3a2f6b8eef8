// The signals that ask the launcher to quit (Ctrl+C, a closed terminal,
// SIGTERM) are held back from the moment its servers start until its view
// takes them, so that a quit asked for meanwhile still runs the shut-down.
// Programs it starts get them unheld. Nothing to hold on Windows.
#pragma once

// Holds them in the calling thread and in the threads it starts from now on.
void HoldQuitSignals();
// Lets them through in the calling thread again: one that arrived while
// they were held is delivered now.
void ReleaseQuitSignals();
// True when one of them arrived while held and waits to be delivered.
bool QuitSignalPending();
