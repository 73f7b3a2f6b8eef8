#include "views/win32/popup_window.h"

#include "views/win32/repaint_fix.h"

namespace {

constexpr wchar_t kWindowClass[] = L"TfrmBrowser";
constexpr int kPopupLastPanelWidth = 80;

// Owned by no window of the program: a popup is a top-level window of its
// own, with its own taskbar button.
HWND NewWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    registered = RegisterClassW(&windowClass) != 0;
  }
  return CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, -4096, -4096, 0, 0,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

Win32PopupWindow::Win32PopupWindow(TfrmBrowser& form, HICON icon, HICON smallIcon)
    : BrowserFrameView<PopupView>(NewWindow(), kPopupLastPanelWidth), form_(form),
      window_(widgets_.Window()) {
  widgets_.SetForm(&form_);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  widgets_.Engine().SetRegisterAsBrowser(true);
}

Win32PopupWindow::~Win32PopupWindow() {
  widgets_.SetForm(nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
}

// What the window's frame adds to its client area, from its style.
TWindowMetrics Win32PopupWindow::Metrics() const {
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
          static_cast<int>(frame.right - frame.left), static_cast<int>(frame.bottom - frame.top),
          widgets_.TopBarHeight(), widgets_.StatusBarHeight()};
}

void Win32PopupWindow::SetBounds(int left, int top, int width, int height) {
  MoveWindow(window_, left, top, width, height, TRUE);
}

void Win32PopupWindow::Show() {
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void Win32PopupWindow::Close() { ShowWindow(window_, SW_HIDE); }

LRESULT CALLBACK Win32PopupWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* popup = reinterpret_cast<Win32PopupWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!popup) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  if (popup->widgets_.HandleMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_CLOSE:
      // The form frees the window at its next sweep.
      popup->form_.FormClose();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_UPDATEUISTATE:
      NoteCueChange(window);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
