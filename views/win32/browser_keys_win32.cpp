#include "views/win32/browser_keys_win32.h"

bool RouteBrowserKey(TBrowserForm& form, MSG& message, unsigned modifiers, PageKeys& page) {
  if (message.message == WM_MOUSEWHEEL && (GET_KEYSTATE_WPARAM(message.wParam) & MK_CONTROL)) {
    form.ZoomStep(GET_WHEEL_DELTA_WPARAM(message.wParam) > 0 ? 1 : -1);
    return true;
  }
  if (message.message != WM_KEYDOWN) return false;
  const int key = static_cast<int>(message.wParam);
  if (key == kKeyF5) {
    form.FormKeyDown(key);
    return false;
  }
  const TBrowserKey action = BrowserKeyOf(key, modifiers);
  if (action == TBrowserKey::kNone) return false;
  bool dispatched = false;
  if (page.HasFocus(message)) {
    const PageKeys::TAnswer answer = page.DispatchToPage(message);
    if (answer != PageKeys::TAnswer::kNotPrevented) return true;
    dispatched = true;
  }
  if (form.BrowserKeyDown(key, modifiers)) return true;
  // The window has no find bar: the control's own find takes Ctrl+F.
  if (action == TBrowserKey::kFind && page.ToControl(message)) return true;
  return dispatched;
}

unsigned HeldModifiers() {
  return (GetKeyState(VK_SHIFT) < 0 ? kModShift : 0u) | (GetKeyState(VK_CONTROL) < 0 ? kModCtrl : 0u) |
         (GetKeyState(VK_MENU) < 0 ? kModAlt : 0u);
}
