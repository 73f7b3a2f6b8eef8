// The widgets of a browser window on Win32: the band bar with the tool bar,
// the address box with its history and Go, the WebBrowser control, and the
// status bar with its progress bar over the second panel. They report to the
// window's form; BrowserFrameView turns them into a BrowserView.
#pragma once

#include <windows.h>
// The Win32 header above must come first.
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/browser_form.h"
#include "views/win32/web_browser_host.h"

class BrowserFrame {
 public:
  // Builds the widgets in the top-level `window`, whose procedure passes its
  // messages to HandleMessage first, and destroys the window with them.
  // `lastPanelWidth`: the status bar's third panel.
  BrowserFrame(HWND window, int lastPanelWidth);
  ~BrowserFrame();
  BrowserFrame(const BrowserFrame&) = delete;
  BrowserFrame& operator=(const BrowserFrame&) = delete;

  // The form the widgets report to (null: they report nothing).
  void SetForm(TBrowserForm* form) { form_ = form; }
  // The Favorites button's body and its arrow (with the point below the
  // button, in screen coordinates), and the Rebrand button.
  std::function<void()> onFavorites;
  std::function<void(POINT)> onFavoritesMenu;
  std::function<void()> onBrand;

  WebBrowserHost& Engine() { return *engine_; }
  HWND Window() const { return window_; }

  // The window procedure's share of a message: true when it was handled.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Places the bars, the address box, Go, the page and the progress bar.
  void Layout();
  // The window's own handling of a message before it is dispatched (F5,
  // zoom, print, find, full screen anywhere in a browser window, after the
  // page when it has focus): true when the message is not to be dispatched
  // (again).
  static bool PreviewMessage(MSG& message);

  void SetCaption(const std::string& caption);
  std::string AddressText() const;
  void SetAddressText(const std::string& text);
  void SetAddressList(const std::vector<std::string>& items, int selected);
  void SetStatusText(const std::string& text);
  void ShowStatusNote(const std::string& text);
  void SetProgress(bool visible, int position, int maximum);
  void SetButtonEnabled(TToolButton button, bool enabled);
  void SetButtonVisible(TToolButton button, bool visible);
  void SetToolbarVisible(bool visible);
  void SetStatusBarVisible(bool visible);
  int ToolbarHeight() const;
  // The band bar around the tool bar, as it shows.
  int TopBarHeight() const;
  int StatusBarHeight() const;

 private:
  void MakeTopBar();
  void MakeStatusBar();
  void Command(int id, int code);
  static LRESULT CALLBACK AddressEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR self);

  HWND window_;
  int lastPanelWidth_;
  std::unique_ptr<WebBrowserHost> engine_;
  TBrowserForm* form_ = nullptr;
  HWND rebar_ = nullptr;
  HWND panel_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND address_ = nullptr;
  HWND addressEdit_ = nullptr;
  HWND go_ = nullptr;
  HWND statusBar_ = nullptr;
  HWND progress_ = nullptr;
  HIMAGELIST images_[3] = {};  // the tool bar's, the address box's, Go's
  bool toolbarVisible_ = true;
  bool statusBarVisible_ = true;
  bool updatingAddress_ = false;
  std::string status_;  // the status text, while a note shows
  bool noteShown_ = false;
};

// The widgets as the window's BrowserView (or a view built on one).
template <typename View>
using BrowserFrameView = BrowserWidgetsView<View, BrowserFrame>;

// The browser windows' font: Tahoma 8 point.
HFONT BrowserFont();
