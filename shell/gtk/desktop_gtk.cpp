// The GTK desktop: the main window and the splash, each where a display is.
#include "shell/gtk/main_window.h"
#include "shell/gtk/splash_window.h"
#include "shell/views.h"

TDesktop CreateDesktop() { return {CreateGtkMainView, RunGtkSplash}; }
