// The desktop module's interface (Linux): a shared library of the tree that
// holds the GTK and WebKitGTK views. It exports one plain C function named
// kDesktopEntry; given the program's version it returns the module's
// functions, or null when the module belongs to another version. The
// module's code runs on the program's own (the program exports it), so the
// program may load the module at any moment, also after the servers start.
#pragma once

#include <memory>
#include <string>

class MainView;

struct TDesktopModule {
  // The main window as the run's view; null when the display cannot be opened.
  std::unique_ptr<MainView> (*CreateMainView)();
  // The splash process's window for the working Config.ini.
  void (*RunSplash)(const std::string& configIni);
};

inline constexpr char kDesktopEntry[] = "LodestackDesktop";

extern "C" {
typedef const TDesktopModule* (*TDesktopEntry)(const char* programVersion);
}
