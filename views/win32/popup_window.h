// The window of a popup (TfrmBrowser) on Win32: a top-level window of class
// "TfrmBrowser" whose control can be the target of a page's new window,
// made hidden and shown once it is placed.
#pragma once

#include "forms/popup_form.h"
#include "views/win32/browser_frame.h"

class Win32PopupWindow : public BrowserFrameView<PopupView> {
 public:
  Win32PopupWindow(TfrmBrowser& form, HICON icon, HICON smallIcon);
  ~Win32PopupWindow() override;

  TWindowMetrics Metrics() const override;
  void SetBounds(int left, int top, int width, int height) override;
  void Show() override;
  void Close() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  TfrmBrowser& form_;
  HWND window_;
};
