// The frame of the tools' dialogs on Win32: a dialog window (class #32770)
// in Tahoma 8 point whose client area has an exact size in pixels, controls
// placed at the forms' coordinates, and a modal loop that runs until the
// form closes it. The title bar's close button closes with mrCancel.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "forms/dialog_services.h"

class Win32ModalDialog {
 public:
  enum TPlacement { kScreenCentre, kOwnerCentre };
  Win32ModalDialog(HWND owner, const std::string& caption, int clientWidth, int clientHeight,
                   TPlacement placement);
  ~Win32ModalDialog();
  Win32ModalDialog(const Win32ModalDialog&) = delete;
  Win32ModalDialog& operator=(const Win32ModalDialog&) = delete;

  HWND Window() const { return dialog_; }
  // A control of a window class with the dialog's font, its top-left corner
  // at (left, top) of the client area. Controls are tab stops only when
  // `style` says so; Tab follows the order of creation.
  HWND Put(const wchar_t* windowClass, const std::string& text, DWORD style, int left, int top,
           int width, int height, DWORD exStyle = 0, int id = 0);
  HWND Label(const std::string& text, int left, int top, int width = 0);
  // A push button that is not a tab stop; `id` IDOK makes it the default
  // (Return), IDCANCEL the Escape key's.
  HWND Button(const std::string& caption, int left, int top, int width, int height,
              std::function<void()> onClick, int id = 0);
  // A fixed drop-down list of items (no typing), a tab stop.
  HWND List(const std::vector<std::string>& items, int left, int top, int width);
  // An edit that is a tab stop.
  HWND Edit(int left, int top, int width);
  // An etched frame around an area, as a bevel.
  HWND Bevel(int left, int top, int width, int height);
  // A digits-only edit with an up-down control, within [low, high]; returns the edit.
  HWND SpinEdit(int left, int top, int width, int low, int high);
  // Runs `handler` when `control` sends this notification (BN_CLICKED,
  // CBN_SELCHANGE, EN_CHANGE, EN_KILLFOCUS, ...). A disabled control's
  // notifications are dropped, so Return cannot press a disabled OK.
  void OnCommand(HWND control, WORD code, std::function<void()> handler);

  // Runs `onShow` (which fills the controls), shows the dialog with the
  // keyboard in `focus` (when given) and runs until Close.
  TModalResult ShowModal(const std::function<void()>& onShow, HWND focus = nullptr);
  void Close(TModalResult result) { result_ = result; }
  // What the title bar's close button does (default: Close(mrCancel)).
  std::function<void()> OnCloseQuery;

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  HWND dialog_ = nullptr;
  HWND owner_;
  TPlacement placement_;
  int nextId_ = 100;
  TModalResult result_ = mrNone;
  std::map<std::pair<int, WORD>, std::function<void()>> handlers_;
};

// Window texts as UTF-8.
std::string ControlText(HWND window);
void SetControlText(HWND window, const std::string& text);
// Enables or disables several controls at once.
void SetEnabled(std::initializer_list<HWND> controls, bool enabled);
