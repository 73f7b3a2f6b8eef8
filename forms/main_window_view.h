// MainWindowView: the main window of the run, as TfrmMain drives it: the
// browser window's widgets (BrowserView) plus the favorites and tray menus,
// showing and hiding, full screen, the tray icon, popups and the About box.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "forms/browser_view.h"
#include "forms/dialog_services.h"
#include "forms/favorites.h"
#include "forms/popup_form.h"
#include "forms/tray_icon.h"

class TfrmSettings;
class TfrmDownSize;
class TfrmBrand;

enum class TTrayItem {
  kShow, kSeparator0, kDownSize, kSettings, kBackUp, kRestore, kSeparator1,
  kTerminal, kLogs, kSeparator2,
  kHelp, kEmail, kWebsite, kAbout, kSeparator3, kExit,
};
inline constexpr int kTrayItemCount = 16;

class MainWindowView : public BrowserView {
 public:
  // The application's title (the window caption follows the page's title separately).
  virtual void SetApplicationTitle(const std::string& title) = 0;
  // The favorites button's menu.
  virtual void SetFavorites(const std::vector<TFavoriteEntry>& menu) = 0;
  virtual void SetTrayItem(TTrayItem item, bool visible, bool enabled) = 0;
  virtual void Maximize() = 0;
  // Shows the window with its taskbar button and in front, or hides both.
  virtual void ShowWindow(bool show) = 0;
  virtual bool WindowVisible() const = 0;
  virtual bool HasBorder() const = 0;
  // The whole screen, without border; LeaveFullScreen gives the window its
  // border back (the form then shows the bars and maximises it).
  virtual void EnterFullScreen() = 0;
  virtual void LeaveFullScreen() = 0;
  // While enabled, tmrCloseSplashTimer runs about every millisecond.
  virtual void EnableCloseSplashTimer(bool enabled) = 0;
  virtual std::unique_ptr<TrayIconView> CreateTrayIcon(TrayIconEvents& events) = 0;
  virtual std::unique_ptr<PopupView> CreatePopup(TfrmBrowser& form, BrowserEngine& opener) = 0;
  // The About dialog, modal.
  virtual void ShowAbout(const std::string& title, const std::string& version,
                         const std::string& year) = 0;
  // The tools' dialogs, modal: each view attaches itself to the form, runs
  // the form's FormShow and returns how the form closed it.
  virtual TModalResult ShowSettings(TfrmSettings& form) = 0;
  virtual TModalResult ShowDownSize(TfrmDownSize& form) = 0;
  virtual TModalResult ShowBrand(TfrmBrand& form) = 0;
  virtual DialogServices& Dialogs() = 0;
};
