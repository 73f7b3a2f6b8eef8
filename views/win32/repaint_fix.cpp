#include "views/win32/repaint_fix.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<HWND>& Pending() {
  static std::vector<HWND> windows;
  return windows;
}

}  // namespace

void NoteCueChange(HWND window) {
  std::vector<HWND>& pending = Pending();
  if (std::find(pending.begin(), pending.end(), window) == pending.end()) pending.push_back(window);
}

// A window that has gone since is skipped.
void RepaintAfterCueChanges() {
  std::vector<HWND> pending;
  pending.swap(Pending());
  for (HWND window : pending)
    if (IsWindow(window))
      RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
