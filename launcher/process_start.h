// What every process of the program file does around the entry routine,
// and the few entry services that differ per platform.
#pragma once

#include "launcher/mode_dispatcher.h"

// Runs before anything else: the Windows version guard (on Linux the check of
// the C library against the tree's floor), the program folder as current
// folder, OLE on Windows.
void ProcessStart();
// The current folder the process was started in, before ProcessStart left it.
const std::string& StartFolder();
// Ends what ProcessStart began, for a process that ends normally.
void ProcessEnd();

// The argument list: argument 0 is the program file's full path, the rest is
// the command line split by the shared rules.
TArgs ProgramArguments();

// The show value this process was started with (the relaunch marker included).
int StartupShowCommand();

// Starts the program file again, without arguments, carrying the relaunch marker.
void RelaunchSelf();
