#include "views/win32/centre_window_win32.h"

#include <algorithm>

namespace {

SIZE SizeOf(HWND window) {
  RECT own{};
  GetWindowRect(window, &own);
  return {own.right - own.left, own.bottom - own.top};
}

// Moves the window there, kept whole on the work area of its monitor: a
// window pushed off the screen could not be reached. The top-left corner wins
// when the window is larger than the work area.
void PlaceOnWorkArea(HWND window, LONG left, LONG top) {
  const SIZE size = SizeOf(window);
  const RECT wanted{left, top, left + size.cx, top + size.cy};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (GetMonitorInfoW(MonitorFromRect(&wanted, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    const RECT& work = monitor.rcWork;
    left = std::max(std::min(left, work.right - size.cx), work.left);
    top = std::max(std::min(top, work.bottom - size.cy), work.top);
  }
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void CentreWindowOn(HWND window, const RECT& area) {
  const SIZE size = SizeOf(window);
  PlaceOnWorkArea(window, area.left + (area.right - area.left) / 2 - size.cx / 2,
                  area.top + (area.bottom - area.top) / 2 - size.cy / 2);
}

void CentreWindowOnScreen(HWND window) {
  const SIZE size = SizeOf(window);
  PlaceOnWorkArea(window, (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2,
                  (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2);
}

void CentreWindowOnOwner(HWND window, HWND owner) {
  RECT area{};
  if (owner && IsWindowVisible(owner) && !IsIconic(owner) && GetWindowRect(owner, &area)) {
    CentreWindowOn(window, area);
  } else {
    CentreWindowOnScreen(window);
  }
}
