// The Windows desktop: the main window with the WebBrowser control, and the
// splash window.
#include "views/win32/main_window.h"
#include "views/win32/tool_dialogs_win32.h"
// <windows.h> names a function of its own CreateDesktop (a macro for
// CreateDesktopW); ours is the program's.
#undef CreateDesktop
#include "forms/desktop.h"

TDesktop CreateDesktop() { return {CreateWin32MainView, RunSplashWindow, {}}; }
