// The splash process's own module: GTK and the picture, nothing of the
// browser engine, whose libraries alone cost the splash several times its
// memory and start time while the servers and the window compete for the
// processor.
#include <cstring>

#include "forms/desktop_module.h"
#include "views/gtk/splash_window.h"

extern "C" __attribute__((visibility("default"))) const TDesktopModule* LodestackDesktop(
    const char* programVersion) {
  if (!programVersion || std::strcmp(programVersion, LODESTACK_VERSION) != 0) return nullptr;
  static const TDesktopModule splash = {nullptr, RunGtkSplash};
  return &splash;
}
