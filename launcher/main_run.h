// TMainRun: the launcher's run. It owns the paths, ports and process ids of
// one run, writes the servers' configurations, starts and stops the servers
// and hands a changed configuration over to the program file. The main
// window (TfrmMain) is built on it; without a window the run is the same.
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <string>

#include "server/server_set.h"
#include "util/hi.h"
#include "util/server_stop.h"

class RunView;

class TMainRun {
 public:
  explicit TMainRun(RunView* view = nullptr) : FRunView(view) {}
  virtual ~TMainRun() = default;
  TMainRun(const TMainRun&) = delete;
  TMainRun& operator=(const TMainRun&) = delete;

  // The application title: the configured "title" from start-up on.
  std::string AppName = "Tarnlight";

  // The run's state.
  std::string FConfigIni;
  std::string FBrandIni;
  std::string FBinDir;
  // The server programs of the bin folder, found once at start-up.
  TServerSet FServers = server_set::Default();
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
  // Where the servers' standard output and error go, in the work folder.
  std::string FMySqlLog;
  std::string FApacheLog;
  bool FStarted = false;
  // The process's exit code: not 0 once the start-up has failed.
  int FExitCode = 0;
  bool FUseTrayIcon = true;
  bool FShowToolbar = true;
  bool FShowStatusBar = true;

  // Asks the application to end; the shut-down follows.
  std::function<void()> QuitApplication = [] {};

  // The start-up's first half, which needs no view: single instance,
  // environment, configuration, the splash, the database server and the web
  // server. The window can then be built while the servers come up.
  // An error ends it at the failing step; FormCreate reports it.
  void StartServers();
  // The start-up: StartServers (unless it ran), then the wait for the web
  // server and the site. An error ends it at the failing step (the view
  // reports it). A web server that does not come up is told (StartFailed),
  // everything started is stopped, FExitCode is set and the application quits.
  void FormCreate();
  // The shut-down: ends every process the run started and removes the work
  // files; runs once, also when a message that arrives meanwhile asks again.
  // The caller ends the process afterwards.
  void FormDestroy();

  // While the stack runs, at least once a second: a server that has ended
  // unasked is told (ServerEnded) and started again if the user wants it.
  void WatchServers();
  // Stops the database server cleanly (Rebrand copies its data meanwhile):
  // kNotRunning when none ran, kKilled when it ignored the request.
  TServerStop StopDatabaseServer();
  // Starts it again on the same port with the same configuration.
  void RestartDatabaseServer();

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

  // The bin folder: the program folder's, or on a CD-ROM a copy of it in the
  // work folder with the read-only attributes cleared.
  std::string ResolveBinDir();

  // A copy of the program file in the temporary folder (tnlt_cmd<n>.tmp).
  std::string MakeCommandCopy();
  // Why a changed configuration could not be stored into the program file
  // (a read-only medium, no permission); empty when it can.
  std::string WhyConfigCannotBeStored() const;
  // Hands the working Config.ini to a command copy that stores it into the
  // program file once this process has quit, then quits. When the copy
  // cannot be made or started, the run goes on and the failure is returned.
  std::string HandOverConfig();

  // The tray icon: created once a notification area exists, or removed.
  // Only a window has one.
  virtual void SetTrayIcon(bool) {}

 protected:
  // The window's share of the start-up, in its order; a run without a
  // window skips them. The title is known (the window is maximised):
  virtual void TitleApplied() {}
  // The servers run: favorites, the tools, the bars, a silent engine.
  virtual void PrepareWindow() {}
  // The first page: the address box, the page, full screen, the window shown.
  virtual void ShowHome(const std::string&) {}
  // Tells why the start-up failed; returns once the user has read it.
  virtual void StartFailed(const std::string& message);
  // Tells that a server has ended unasked; true when it is to be started again.
  virtual bool ServerEnded(const std::string& message);
  // Tells what a helper process that started this one could not (its notice).
  virtual void ShowNotice(const std::string& message);
  // Shows what the tool that ended the run before this one did last (a
  // window's status bar; the console has none).
  virtual void ShowStatusLine(const std::string&) {}
  // The shut-down begins: the window takes no more clicks.
  virtual void ShutDownBegins() {}

  void ProcessMessages();
  bool QuitRequested() const;
  // The view arrives after StartServers when the servers start first.
  void SetRunView(RunView* view) { FRunView = view; }

 private:
  void StartDatabase();
  void LaunchDatabase();
  void StartWebServer();
  void LaunchWebServer();
  // Empty once the web server answers; otherwise why it did not.
  std::string WaitForWebServer();
  void FailStartUp(const std::string& why);
  bool RunExternalBrowser();
  void WaitForEarlierRun();
  void RemoveStaleServerFiles();
  void StopWebServer();
  TServerStop StopDatabase();

  RunView* FRunView;
  bool FServersStarted = false;  // StartServers has run
  bool FTitleRead = false;       // AppName holds the configured title
  std::exception_ptr FStartFailure;  // what ended StartServers early
  std::string FNotice;               // a helper's notice, shown once started
  std::string FStatusLine;           // the tool's last words before this run
  std::chrono::steady_clock::time_point FWebServerLaunched;
  bool FWatching = false;
  bool FShuttingDown = false;
};
