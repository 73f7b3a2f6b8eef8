// The entry routine every process of the program file runs: no arguments
// means relaunch (or, with the relaunch marker, the interactive launcher);
// arguments mean one command-line mode, after which the process ends.
#pragma once

#include "launcher/mode_dispatcher.h"

class EntryRoles : public ModeHandlers {
 public:
  // Starts the program file again with the relaunch marker.
  virtual void Relaunch() = 0;
  // The interactive start: the application's initialisation (its window
  // and the start hook), then its run.
  virtual void InitializeApplication() = 0;
  virtual void RunInteractive() = 0;
  // Lets queued window messages through once (nothing without windows).
  virtual void ProcessMessages() = 0;
  // Ends the process (exit code 0); returns only in tests.
  virtual void KillSelf() = 0;
};

// args[0] is the program file; showCommand is the process's start-up show value.
void RunEntry(const TArgs& args, int showCommand, EntryRoles& roles);
