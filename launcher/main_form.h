// TfrmMain: the launcher's run and its main window. It owns the paths, ports
// and process ids of one run, starts and stops the servers, and serves the
// main window's events; the window itself is a view (none on a console).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "shell/browser_form.h"
#include "shell/popup_form.h"
#include "shell/tray_icon.h"
#include "util/hi.h"

class MainView;
class MainWindowView;

// What reaches the main window besides its widgets' events.
enum class TWindowMessage {
  kAny,               // any message: the tray icon is created once a tray exists
  kMinimized,         // the window was minimised
  kQueryEndSession,   // the session ends (log-off, shut-down)
  kDeviceChange,      // a medium came or went
};

class TfrmMain : public TBrowserForm {
 public:
  explicit TfrmMain(MainView* view = nullptr);
  ~TfrmMain() override;

  // The application title: the configured "title" from start-up on.
  std::string AppName = "Tarnlight";

  // The run's state.
  std::string FConfigIni;
  std::string FBrandIni;
  std::string FBinDir;
  std::string FMySqlExe;
  std::string FMyIni;
  int FMySqlPort = 0;
  TProcessId FMySqlPid = 0;
  int FHttpPort = 0;
  std::string FApacheExe;
  std::string FHttpdConf;
  TProcessId FApachePid = 0;
  TProcessId FSplashPid = 0;
  std::string FBrowserIni;
  std::string FBrowserPath;
  std::string FBrowserParams;
  std::string FFavoritesFile;
  bool FStarted = false;
  bool FUseTrayIcon = true;
  bool FShowToolbar = true;
  bool FShowStatusBar = true;

  // Asks the application to end; the shut-down follows.
  std::function<void()> QuitApplication = [] {};

  // The start-up: single instance, environment, configuration, servers,
  // then the site. An error ends it at the failing step (the view reports it).
  void FormCreate();
  // The shut-down: ends every process the run started and removes the work
  // files. The caller ends the process afterwards.
  void FormDestroy();

  // The server configurations, written into the work folder; each returns its path.
  std::string WriteHttpdConf();
  std::string WritePhpIni();
  std::string WriteMyIni();
  // Deletes the work folder and, unless on a CD-ROM, the loose files of the
  // data folder that the database server does not need.
  void CleanUpWorkFiles();

  // Writes the stored configuration out as <work folder>/Config.ini,
  // replacing what is there, and returns that path.
  std::string PrepareConfigIni();
  std::string ReadConfig(const std::string& key) const;
  void WriteConfig(const std::string& key, const std::string& value);
  // The key by the on/off rule.
  bool ConfigIsOn(const std::string& key) const;
  // Brand.ini in the work folder with its defaults; returns its path.
  std::string WriteDefaultBrandIni();
  // Rebrand (rebrand_command.cpp): Brand.ini's keys, the dialog and the
  // branded copy; failures are reported in an error box.
  std::string ReadBrand(const std::string& key) const;
  void WriteBrand(const std::string& key, const std::string& value);
  void DoRebrand();
  // "<documents>/$Output$", created when missing (raises when it cannot be).
  std::string GetDefaultOutputDir();
  // The built-in default icon written to "<work folder>/CD.ico"; returns that path.
  std::string ExtractDefaultIcon();

  // The bin folder: the program folder's, or on a CD-ROM a copy of it in the
  // work folder with the read-only attributes cleared.
  std::string ResolveBinDir();

  // A copy of the program file in the temporary folder (tnlt_cmd<n>.tmp).
  std::string MakeCommandCopy();
  // Hands the working Config.ini to a command copy that stores it into the
  // program file once this process has quit, then quits.
  void HandOverConfig();

  // ---- The main window (main_window.cpp) ----
  MainWindowView* Window() const;
  // The window was shown or activated: the splash goes once the first page is complete.
  void FormActivate();
  void tmrCloseSplashTimer();
  void WndProc(TWindowMessage message);
  void ShowMainWindow(bool show);
  void ToggleMainWindow();
  void SetTrayIcon(bool create);
  void EnableTrayIcon(bool enabled);
  void EnterFullScreen();
  std::string LoadFavorites();

  void btnFavoritesClick() { OpenFavoritesFile(); }
  void btnBrandClick();
  void mnuMenu_OrganizeFavoritesClick() { OpenFavoritesFile(); }
  void OpenFavoritesFile();
  void FavoriteFolderClick(const std::string& caption);
  void FavoriteUrlClick(const std::string& caption);

  void mnuTray_ShowClick() { ToggleMainWindow(); }
  void mnuTray_DownSizeClick();
  void mnuTray_SettingsClick();
  void mnuTray_HelpClick();
  void mnuTray_EmailClick();
  void mnuTray_WebsiteClick();
  void mnuTray_AboutClick();
  void mnuTray_ExitClick() { QuitApplication(); }

  BrowserEngine* WebBrowser1NewWindow2() override;
  void WebBrowser1BeforeNavigate2() override {}
  // A page in the main window closed itself: the program ends.
  void WebBrowser1Close() override { QuitApplication(); }

  TTrayIconMan* TrayIcon() const { return FTrayIcon.get(); }
  TPopupWindows& Popups() { return FPopups; }

 protected:
  std::string HomeUrl() const override;
  void TitleChanged(const std::string& title) override;

 private:
  void StartDatabase();
  void StartWebServer();
  void WaitForWebServer();
  bool RunExternalBrowser();
  void PrepareWindow(MainWindowView& window);
  void StopDatabase();
  void ProcessMessages();

  MainView* FMainView;
  std::unique_ptr<TTrayIconMan> FTrayIcon;
  TPopupWindows FPopups;
};
