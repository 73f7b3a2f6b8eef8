// TDesktop: what the program's window toolkit gives its roles. A part that
// is missing (or gives nothing: no display) leaves the role without a
// window. The views of this platform's toolkit make it (CreateDesktop).
#pragma once

#include <functional>
#include <memory>
#include <string>

class MainView;

struct TDesktop {
  // The main window as the run's view, or null.
  std::function<std::unique_ptr<MainView>()> CreateMainView;
  // The splash process's window for the working Config.ini.
  std::function<void(const std::string& configIni)> RunSplash;
};

// The windows of this platform's toolkit: GTK on Linux, Win32 on Windows.
TDesktop CreateDesktop();
