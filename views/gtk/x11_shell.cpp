// The notification area on Linux is the X11 system tray: the client that
// owns the selection _NET_SYSTEM_TRAY_S<screen> keeps it, and tells its
// process id in _NET_WM_PID. Windows are X11 window ids, activated through
// the window manager.
#include "views/gtk/x11_shell.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <string>

#include "util/shell_hooks.h"

namespace {

// One connection for the life of the process: the tray is looked for often.
Display* TrayDisplay() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

// A window id that names no window makes the X server report an error, which
// must not end the program.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

// The _NET_WM_PID of a window: 0 when it has none, -1 when no such window.
std::int64_t WindowPid(Display* display, Window window) {
  XSync(display, False);
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(IgnoreError);
  XWindowAttributes attributes;
  const bool exists = XGetWindowAttributes(display, window, &attributes) != 0;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::int64_t pid = exists ? 0 : -1;
  if (exists &&
      XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
      data && type == XA_CARDINAL && format == 32 && count == 1)
    pid = static_cast<TProcessId>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  XSync(display, False);
  XSetErrorHandler(previous);
  return pid;
}

TProcessId ShellProcessId() {
  Display* display = TrayDisplay();
  if (!display) return 0;
  const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
  const Window owner = XGetSelectionOwner(display, XInternAtom(display, name.c_str(), False));
  if (owner == None) return 0;
  const std::int64_t pid = WindowPid(display, owner);
  if (pid < 0) return 0;  // the tray has just gone
  // A tray that does not tell its process is still a tray.
  return pid > 0 ? static_cast<TProcessId>(pid) : static_cast<TProcessId>(-1);
}

TProcessId WindowProcessId(TWindowHandle window) {
  Display* display = TrayDisplay();
  const std::int64_t pid = display && window ? WindowPid(display, static_cast<Window>(window)) : -1;
  return pid < 0 ? 0xFFFFFFFFu : static_cast<TProcessId>(pid);
}

// The window manager activates a window when asked with _NET_ACTIVE_WINDOW;
// the request names a pager as its source, which managers do not refuse.
void ForceForeground(TWindowHandle window) {
  Display* display = TrayDisplay();
  if (!display || !window) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = static_cast<Window>(window);
  event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = 2;
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(display);
}

}  // namespace

void InstallX11ShellHooks() {
  TShellHooks hooks;
  hooks.shellProcessId = ShellProcessId;
  hooks.windowProcessId = WindowProcessId;
  hooks.forceForeground = ForceForeground;
  SetShellHooks(hooks);
}
