#include "views/win32/tray_icon_win32.h"

#include <shellapi.h>

#include <cwchar>

#include "util/hi.h"
#include "util/wide.h"

namespace {

constexpr wchar_t kWindowClass[] = L"TTrayIconMan";

void RegisterWindowClass(WNDPROC procedure) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  registered = RegisterClassW(&windowClass) != 0;
}

}  // namespace

Win32TrayIcon::Win32TrayIcon(TrayIconEvents& events, HICON icon, HWND owner,
                             std::function<void(HWND, POINT)> popupMenu)
    : events_(events), icon_(icon), owner_(owner), popupMenu_(std::move(popupMenu)) {
  RegisterWindowClass(WindowProc);
  window_ = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
}

Win32TrayIcon::~Win32TrayIcon() {
  RemoveIcon();
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

// The tip keeps at most 127 characters.
void Win32TrayIcon::AddIcon(const std::string& tip) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon_;
  std::wcsncpy(data.szTip, wide::FromUtf8(tip).c_str(), 127);
  data.szTip[127] = L'\0';
  // Added again after the tray restarted: the old entry may linger.
  if (added_) Shell_NotifyIconW(NIM_DELETE, &data);
  added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void Win32TrayIcon::RemoveIcon() {
  if (!added_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = 0;
  Shell_NotifyIconW(NIM_DELETE, &data);
  added_ = false;
}

// The menu belongs to the icon's window, which must be in front for the menu
// to close when the user clicks elsewhere.
void Win32TrayIcon::PopupMenu() {
  if (OwnerVisible() && !IsIconic(owner_)) BringOwnerToFront();
  POINT at{};
  GetCursorPos(&at);
  SetForegroundWindow(window_);
  if (popupMenu_) popupMenu_(window_, at);
  PostMessageW(window_, WM_NULL, 0, 0);
}

bool Win32TrayIcon::OwnerVisible() const { return IsWindowVisible(owner_) != FALSE; }

void Win32TrayIcon::BringOwnerToFront() {
  THi::ForceForeground(reinterpret_cast<TWindowHandle>(owner_));
}

std::uint32_t Win32TrayIcon::TickCount() const { return GetTickCount(); }

std::uint32_t Win32TrayIcon::DoubleClickTime() const { return GetDoubleClickTime(); }

LRESULT CALLBACK Win32TrayIcon::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* icon = reinterpret_cast<Win32TrayIcon*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_QUERYENDSESSION) return TRUE;
  if (!icon) return DefWindowProcW(window, message, wParam, lParam);
  if (message == icon->taskbarCreated_) {
    icon->events_.TaskbarCreated();
    return 0;
  }
  if (message == kCallbackMessage) {
    if (lParam == WM_LBUTTONUP) icon->events_.LeftButtonUp();
    if (lParam == WM_RBUTTONUP) icon->events_.RightButtonUp();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
