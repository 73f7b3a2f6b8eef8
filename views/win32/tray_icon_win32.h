// The tray icon on Win32: Shell_NotifyIconW with a hidden window of its own
// that receives the icon's callback message (1025) and the shell's
// "TaskbarCreated" broadcast, and agrees to the end of the session.
#pragma once

#include <windows.h>

#include <functional>

#include "forms/tray_icon.h"

class Win32TrayIcon : public TrayIconView {
 public:
  // `popupMenu` shows the tray menu at a point (screen coordinates) and
  // returns once it has closed; `owner` is the main window.
  Win32TrayIcon(TrayIconEvents& events, HICON icon, HWND owner,
                std::function<void(HWND menuOwner, POINT at)> popupMenu);
  ~Win32TrayIcon() override;
  Win32TrayIcon(const Win32TrayIcon&) = delete;
  Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

  void AddIcon(const std::string& tip) override;
  void RemoveIcon() override;
  void PopupMenu() override;
  bool OwnerVisible() const override;
  void BringOwnerToFront() override;
  std::uint32_t TickCount() const override;
  std::uint32_t DoubleClickTime() const override;

  // The icon's callback message.
  static constexpr UINT kCallbackMessage = WM_USER + 1;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  TrayIconEvents& events_;
  HICON icon_;
  HWND owner_;
  std::function<void(HWND, POINT)> popupMenu_;
  HWND window_ = nullptr;
  UINT taskbarCreated_ = 0;
  bool added_ = false;
};
