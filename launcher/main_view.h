// MainView: what the launcher's run asks of the window that shows it. The
// window backends implement it with real widgets; without a display a
// console view stands in, so the servers run the same either way.
#pragma once

#include <memory>
#include <string>

class MainWindowView;
class TfrmMain;

class MainView {
 public:
  virtual ~MainView() = default;

  // The form the window's events go to, once it exists.
  virtual void Attach(TfrmMain&) {}
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
  // The browser window; null for a view without one (the console).
  virtual MainWindowView* Window() { return nullptr; }
};

// The view of this platform when it has no window to show (Linux without a
// display; Windows until the window exists): it keeps the run going until
// the user or the system ends it.
std::unique_ptr<MainView> CreateBackgroundView();
