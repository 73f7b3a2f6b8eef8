// TDesktop: what the program's window toolkit gives its roles. A part that
// is missing (or gives nothing: no display) leaves the role without a
// window. CreateDesktop makes it: on Windows from the Win32 views linked into
// the program, on Linux from the desktop module loaded at run time.
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
  // Why there is no main window although a display was named (the desktop
  // or its libraries could not be loaded, the display could not be opened);
  // empty when there is a window, or no display at all.
  std::function<std::string()> WhyNoWindow;
};

// The desktop of this platform.
TDesktop CreateDesktop();
