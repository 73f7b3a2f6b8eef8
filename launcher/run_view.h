// RunView: what the launcher's run asks of whatever shows it: a window, or
// without a display the console. The run's start-up and shut-down are the
// same either way.
#pragma once

#include <string>

#include "util/hi.h"

class RunView {
 public:
  virtual ~RunView() = default;

  // The application title and window caption.
  virtual void SetTitle(const std::string& title) = 0;
  // Lets queued window messages (or signals) run once.
  virtual void ProcessMessages() = 0;
  // The application's default report of an error that ended the start-up.
  virtual void ShowError(const std::string& message) = 0;
  // Shows the local site (or says where it is) once the servers run.
  virtual void OpenHome(const std::string& address) = 0;
  // Runs until QuitApplication; returns at once when it was already asked for.
  virtual void RunMessageLoop() = 0;
  // Ends the message loop (may be called before it starts).
  virtual void QuitApplication() = 0;
  // True once the application was asked to quit: a wait of the start-up
  // ends then, and an open box closes.
  virtual bool QuitRequested() const = 0;

  // The application's window, and the desktop's window that has the
  // keyboard now; 0 where there is none (the console).
  virtual TWindowHandle ApplicationWindow() { return 0; }
  virtual TWindowHandle ForegroundWindow() { return 0; }
};
