// The launcher's main window on Win32 and the run's view: a top-level window
// of class "TfrmMain" with the browser widgets, the favorites and tray menus,
// and the message loop. It hands the widgets' events, minimising, the end of
// the session, a removed medium and a 500 ms tick to TfrmMain.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/main_form.h"
#include "forms/main_view.h"
#include "forms/main_window_view.h"
#include "views/win32/browser_frame.h"

class Win32MainWindow : public MainView, public BrowserFrameView<MainWindowView> {
 public:
  Win32MainWindow();
  ~Win32MainWindow() override;

  // MainView
  void Attach(TfrmMain& form) override;
  void SetTitle(const std::string& title) override;
  void ProcessMessages() override;
  void ShowError(const std::string& message) override;
  void OpenHome(const std::string& address) override;
  void RunMessageLoop() override;
  void QuitApplication() override;
  bool QuitRequested() const override { return quit_; }
  MainWindowView* Window() override { return this; }
  TWindowHandle ApplicationWindow() override { return reinterpret_cast<TWindowHandle>(window_); }
  TWindowHandle ForegroundWindow() override {
    return reinterpret_cast<TWindowHandle>(GetForegroundWindow());
  }

  // MainWindowView
  void SetApplicationTitle(const std::string& title) override;
  void SetFavorites(const std::vector<TFavoriteEntry>& menu) override;
  void SetTrayItem(TTrayItem item, bool visible, bool enabled) override;
  void Maximize() override;
  void ShowWindow(bool show) override;
  bool WindowVisible() const override;
  bool HasBorder() const override;
  void EnterFullScreen() override;
  void LeaveFullScreen() override;
  void EnableCloseSplashTimer(bool enabled) override;
  std::unique_ptr<TrayIconView> CreateTrayIcon(TrayIconEvents& events) override;
  std::unique_ptr<PopupView> CreatePopup(TfrmBrowser& form, BrowserEngine& opener) override;
  void ShowAbout(const std::string& title, const std::string& version,
                 const std::string& year) override;
  TModalResult ShowSettings(TfrmSettings& form) override;
  TModalResult ShowDownSize(TfrmDownSize& form) override;
  TModalResult ShowBrand(TfrmBrand& form) override;
  DialogServices& Dialogs() override { return *dialogs_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);
  // Before a message is dispatched: the page sees the Return key, the
  // browser keys act; true when the message is not to be dispatched.
  bool Filter(MSG& message);
  void PopupTrayMenu(HWND owner, POINT at);
  void TrayCommand(TTrayItem item);
  void PopupFavorites(POINT at);

  HWND window_;
  HICON icon_;
  HICON smallIcon_;
  TfrmMain* form_ = nullptr;
  std::string appTitle_;
  std::vector<TFavoriteEntry> favorites_;
  bool trayVisible_[kTrayItemCount];
  bool trayEnabled_[kTrayItemCount];
  bool maximize_ = false;
  bool fullScreen_ = false;
  bool quit_ = false;
  std::unique_ptr<DialogServices> dialogs_;
};

// The Win32 main window.
std::unique_ptr<MainView> CreateWin32MainView();
