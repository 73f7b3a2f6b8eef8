// The launcher's main window on GTK 3 and WebKitGTK, and the run's view:
// it hands the widgets' events, the window's state changes, the quit
// signals and a removed medium to TfrmMain.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "forms/main_form.h"
#include "forms/main_view.h"
#include "forms/main_window_view.h"
#include "views/gtk/browser_widgets.h"
#include "views/gtk/dialog_services_gtk.h"

class GtkMainWindow : public MainView, public GtkBrowserView<MainWindowView> {
 public:
  GtkMainWindow();
  ~GtkMainWindow() override;

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
  TWindowHandle ApplicationWindow() override;
  TWindowHandle ForegroundWindow() override;

  // MainWindowView
  void SetApplicationTitle(const std::string& title) override;
  void SetFavorites(const std::vector<TFavoriteEntry>& menu) override;
  void SetTrayItem(TTrayItem item, bool visible, bool enabled) override;
  void Maximize() override;
  void ShowWindow(bool show) override;
  bool WindowVisible() const override;
  bool HasBorder() const override { return !fullScreen_; }
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
  DialogServices& Dialogs() override { return dialogs_; }

 private:
  GtkWidget* MakeTrayMenu();
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);
  static gboolean OnActivate(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnWatchTick(gpointer self);
  static gboolean OnSplashTimer(gpointer self);
  static gboolean OnQuitSignal(gpointer self);
  static void OnTrayItem(GtkMenuItem* item, gpointer self);
  static void OnFavorite(GtkMenuItem* item, gpointer self);

  GtkWidget* window_;
  GdkPixbuf* icon_ = nullptr;
  TfrmMain* form_ = nullptr;
  GtkWidget* favoritesMenu_ = nullptr;
  GtkWidget* trayMenu_ = nullptr;
  GtkWidget* trayItems_[kTrayItemCount] = {};
  std::string title_;
  bool fullScreen_ = false;
  bool quit_ = false;
  GMainLoop* loop_ = nullptr;
  guint splashTimer_ = 0;
  guint sources_[4] = {};
  GtkDialogServices dialogs_;
};

// The GTK main window, or null without a display.
std::unique_ptr<MainView> CreateGtkMainView();
