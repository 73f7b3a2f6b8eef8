// Lets queued window messages through once: what every wait of the program
// does between its sleeps, so a process that shows a window stays
// responsive. On Windows that is the thread's message queue; elsewhere the
// window toolkit pumps its own loop, and a process without one has nothing
// to let through.
#pragma once

void ProcessPendingMessages();
