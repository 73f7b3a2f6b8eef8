// The GTK desktop as a module of the tree: its entry point gives the
// program the main window and the splash, and lends the platform layer its
// X11 answers about the tray and the windows.
#include <cstring>

#include "forms/desktop_module.h"
#include "views/gtk/main_window.h"
#include "views/gtk/splash_window.h"
#include "views/gtk/x11_shell.h"

extern "C" __attribute__((visibility("default"))) const TDesktopModule* LodestackDesktop(
    const char* programVersion) {
  // The module's code calls into the program's: a program of another build
  // may not have what it calls, or not the same way.
  if (!programVersion || std::strcmp(programVersion, LODESTACK_VERSION) != 0) return nullptr;
  static const TDesktopModule desktop = {CreateGtkMainView, RunGtkSplash};
  InstallX11ShellHooks();
  return &desktop;
}
