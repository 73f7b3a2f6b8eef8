// The notification area and the windows on Linux belong to the desktop
// module (X11): THi asks it through the hooks it installed, and answers
// "none" when there is no desktop.
#include "util/hi.h"
#include "util/shell_hooks.h"

namespace {

TShellHooks& Hooks() {
  static TShellHooks hooks;
  return hooks;
}

}  // namespace

void SetShellHooks(const TShellHooks& hooks) { Hooks() = hooks; }

TProcessId THi::GetShellProcessId() {
  return Hooks().shellProcessId ? Hooks().shellProcessId() : 0;
}

TProcessId THi::GetWindowProcessId(TWindowHandle window) {
  return Hooks().windowProcessId ? Hooks().windowProcessId(window) : 0xFFFFFFFFu;
}

void THi::ForceForeground(TWindowHandle window) {
  if (Hooks().forceForeground) Hooks().forceForeground(window);
}
