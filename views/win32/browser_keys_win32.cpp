#include "views/win32/browser_keys_win32.h"

TKeyRoute RouteBrowserKey(TBrowserForm& form, const MSG& message, unsigned modifiers) {
  if (message.message == WM_MOUSEWHEEL && (GET_KEYSTATE_WPARAM(message.wParam) & MK_CONTROL)) {
    form.ZoomStep(GET_WHEEL_DELTA_WPARAM(message.wParam) > 0 ? 1 : -1);
    return TKeyRoute::kConsumed;
  }
  if (message.message != WM_KEYDOWN) return TKeyRoute::kDispatch;
  const int key = static_cast<int>(message.wParam);
  if (key == kKeyF5) {
    form.FormKeyDown(key);
    return TKeyRoute::kDispatch;
  }
  if (form.BrowserKeyDown(key, modifiers)) return TKeyRoute::kConsumed;
  // The window has no find bar: the control's own find takes Ctrl+F.
  if (key == kKeyF && (modifiers & kModCtrl)) return TKeyRoute::kToControl;
  return TKeyRoute::kDispatch;
}

unsigned HeldModifiers() {
  return (GetKeyState(VK_SHIFT) < 0 ? kModShift : 0u) | (GetKeyState(VK_CONTROL) < 0 ? kModCtrl : 0u) |
         (GetKeyState(VK_MENU) < 0 ? kModAlt : 0u);
}
