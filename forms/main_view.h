// MainView: the run's view (RunView) as the main window's form knows it:
// the window backends implement it with real widgets; without a display a
// console view stands in, so the servers run the same either way.
#pragma once

#include <memory>

#include "launcher/run_view.h"

class MainWindowView;
class TfrmMain;

class MainView : public RunView {
 public:
  // The form the window's events go to, once it exists.
  virtual void Attach(TfrmMain&) {}
  // The browser window; null for a view without one (the console).
  virtual MainWindowView* Window() { return nullptr; }
};

// The view of this platform when it has no window to show (Linux without a
// display; Windows until the window exists): it keeps the run going until
// the user or the system ends it.
std::unique_ptr<MainView> CreateBackgroundView();
