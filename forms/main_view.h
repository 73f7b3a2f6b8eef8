// MainView: the run's view (RunView) as the main window's form knows it:
// the window backends implement it with real widgets; without a display a
// console view stands in, so the servers run the same either way.
#pragma once

#include <memory>
#include <string>

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
// display or without its desktop; Windows until the window exists): it
// keeps the run going until the user or the system ends it. `whyNoWindow`,
// when not empty, says why a named display got no window: the view says so
// and hands the start page to the user's web browser.
std::unique_ptr<MainView> CreateBackgroundView(const std::string& whyNoWindow = std::string());
