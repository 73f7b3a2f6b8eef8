// The GTK desktop: the main window and the splash, each where a display is.
#include "forms/desktop.h"
#include "views/gtk/main_window.h"
#include "views/gtk/splash_window.h"

TDesktop CreateDesktop() { return {CreateGtkMainView, RunGtkSplash}; }
