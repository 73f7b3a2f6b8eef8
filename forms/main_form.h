// TfrmMain: the launcher's main window on top of its run (TMainRun): the
// browser window's handlers, the tray icon and its menu, favorites, popups,
// help and About, and the tools. The window itself is a view; without one
// (the console) only the run remains.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "forms/browser_form.h"
#include "forms/popup_form.h"
#include "forms/tray_icon.h"
#include "launcher/main_run.h"

namespace backup {
struct TOutcome;
}
class MainView;
class MainWindowView;

// What reaches the main window besides its widgets' events.
enum class TWindowMessage {
  kAny,               // any message, at least once a second: the tray icon is
                      // created once a tray exists, the servers are watched
  kMinimized,         // the window was minimised
  kQueryEndSession,   // the session ends (log-off, shut-down)
  kDeviceChange,      // a medium came or went
};

class TfrmMain : public TBrowserForm, public TMainRun {
 public:
  explicit TfrmMain(MainView* view = nullptr);
  ~TfrmMain() override;
  // The view, when it is made after the form (the servers start first).
  void AttachView(MainView* view);

  std::string FFavoritesFile;

  // Rebrand (rebrand_command.cpp): Brand.ini's keys, the dialog and the
  // branded copy; failures are reported in an error box.
  std::string ReadBrand(const std::string& key) const;
  void WriteBrand(const std::string& key, const std::string& value);
  void DoRebrand();
  // "<documents>/$Output$", created when missing (raises when it cannot be).
  std::string GetDefaultOutputDir();
  // The built-in default icon written to "<work folder>/CD.ico"; returns that path.
  std::string ExtractDefaultIcon();

  MainWindowView* Window() const;
  // The window was shown or activated: the splash goes once the first page is complete.
  void FormActivate();
  void tmrCloseSplashTimer();
  void WndProc(TWindowMessage message);
  void ShowMainWindow(bool show);
  void ToggleMainWindow();
  void SetTrayIcon(bool create) override;
  void EnableTrayIcon(bool enabled);
  void EnterFullScreen();
  // F11: full screen and back to the maximised window with the bars the
  // configuration asks for; a branded copy that starts full screen stays so.
  bool ToggleFullScreen() override;
  std::string LoadFavorites();

  void btnFavoritesClick() { OpenFavoritesFile(); }
  void btnBrandClick();
  void mnuMenu_OrganizeFavoritesClick() { OpenFavoritesFile(); }
  void OpenFavoritesFile();
  void FavoriteFolderClick(const std::string& caption);
  void FavoriteUrlClick(const std::string& caption);

  void mnuTray_ShowClick() { ToggleMainWindow(); }
  void mnuTray_DownSizeClick();
  // A terminal (a console on Windows) with the stack's command line.
  void mnuTray_TerminalClick();
  // The stack's logs page in the main window.
  void mnuTray_LogsClick();
  void mnuTray_SettingsClick();
  // Backups (backup_commands.cpp): on demand, restored with confirmation,
  // and the automatic one before a tool changes or copies the data. Each
  // shows its progress in the status bar and its result in a message box.
  void mnuTray_BackUpClick();
  void mnuTray_RestoreClick();
  // False when the user chose to stop the tool after the backup failed;
  // *said gets what the status bar was told.
  bool AutomaticBackup(const std::string& before, std::string* said = nullptr);
  // Runs a backup or a restore with its progress in the status bar.
  backup::TOutcome WithProgress(const std::string& label,
                                const std::function<backup::TOutcome(const std::function<void(std::uint64_t)>&)>& work);
  void mnuTray_HelpClick();
  void mnuTray_EmailClick();
  void mnuTray_WebsiteClick();
  void mnuTray_AboutClick();
  void mnuTray_ExitClick() { QuitApplication(); }

  BrowserEngine* WebBrowser1NewWindow2() override;
  void WebBrowser1BeforeNavigate2() override {}
  // A page of the stack in the main window closed itself: the program
  // ends. Any other page's close is refused, as an ordinary browser refuses
  // a page that closes a window it did not open.
  void WebBrowser1Close() override;

  TTrayIconMan* TrayIcon() const { return FTrayIcon.get(); }
  TPopupWindows& Popups() { return FPopups; }

 protected:
  std::string HomeUrl() const override;
  std::string& SaveFolder() override { return FPopups.SaveFolder(); }
  bool DeveloperTools() const override { return ConfigIsOn("devtools"); }
  void TitleChanged(const std::string& title) override;
  void TitleApplied() override;
  void PrepareWindow() override;
  void ShowHome(const std::string& address) override;
  void StartFailed(const std::string& message) override;
  bool ServerEnded(const std::string& message) override;
  void ShowNotice(const std::string& message) override;
  void ShowStatusLine(const std::string& line) override;
  void ShutDownBegins() override;

 private:
  MainView* FMainView;
  std::unique_ptr<TTrayIconMan> FTrayIcon;
  TPopupWindows FPopups;
};
