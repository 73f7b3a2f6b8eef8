// TfrmMain's start-up and shut-down: the order in which the run comes up and
// goes down again.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>
#include <utility>

#include "launcher/config.h"
#include "launcher/main_run.h"
#include "launcher/run_view.h"
#include "launcher/stale_files.h"
#include "server/server_config.h"
#include "server/server_files.h"
#include "util/command_line.h"
#include "server/server_logs.h"
#include "util/notice.h"
#include "util/platform.h"
#include "util/product.h"
#include "util/quit_signals.h"
#include "util/server_stop.h"
#include "util/text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kWebServerPoll = std::chrono::milliseconds(330);
// How long the web server may take to answer before the start-up fails.
constexpr auto kWebServerLimit = std::chrono::seconds(30);
constexpr auto kBrowserFirstCheck = std::chrono::milliseconds(5000);
// How long a start waits for the guard of an earlier, killed run of this
// program file to stop that run's database server (it ends it after 15 s).
constexpr auto kEarlierRunLimit = std::chrono::seconds(20);
// When a start that waits says what for.
constexpr auto kSayWhatWeWaitFor = std::chrono::seconds(2);
// How long the clean-up keeps trying to delete one entry that stays locked.
constexpr auto kDeleteRetryLimit = std::chrono::seconds(10);
// Lines of each log that go into a message.
constexpr int kLogLines = 8;

void Sleep(std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); }

std::string InBin(const std::string& binDir, const std::string& relative) {
  return binDir + platform::kPathDelim + relative;
}

std::string InWorkDir(const char* name) { return THi::GetWorkDir() + platform::kPathDelim + name; }

std::string HomeAddress(int port) { return "http://127.0.0.1:" + std::to_string(port); }

// A message followed by the last lines of the logs that have any.
std::string WithLogLines(std::string message, std::initializer_list<std::string> logs) {
  for (const std::string& log : logs) {
    const std::string lines = server_logs::LastLines(log, kLogLines);
    if (!lines.empty()) message += "\n\n" + lines;
  }
  return message;
}

// Files the database server keeps its data, recovery logs and replication
// settings in: never loose files.
bool IsDatabaseFile(const std::string& name) {
  for (const char* prefix : {"ib", "undo", "aria_log", "ddl_recovery", "tc.log", "mysql_upgrade_info"}) {
    if (name.rfind(prefix, 0) == 0) return true;
  }
  // Binary logs ("<name>-bin.000001"), their index ("<name>-bin.index") and
  // replication state ("multi-master.info", "relay-log.info", ...).
  return name.find("-bin.") != std::string::npos || name.ends_with(".info");
}

}  // namespace

void TMainRun::ProcessMessages() {
  if (FRunView) FRunView->ProcessMessages();
}

// Until the view takes the quit signals they wait, held, for it.
bool TMainRun::QuitRequested() const {
  return (FRunView && FRunView->QuitRequested()) || QuitSignalPending();
}

void TMainRun::StartServers() {
  if (FServersStarted) return;
  FServersStarted = true;
  if (!THi::CreateInstanceMutex(THi::GetInstanceHash())) THi::KillSelf();
  try {
    THi::SetPhprcEnv();
    THi::SetOsLanguageEnv();
    server_files::PrepareServerEnvironment();
    THi::SetEnvVar("SERVER_FILENAME", THi::GetProgramFile());
    THi::SetEnvVar("SERVER_FILEVERSION", product::kFileVersion);
    THi::SetEnvVar("SERVER_APPNAME", AppName);
    FStarted = false;
    FConfigIni = PrepareConfigIni();
    FBrandIni = WriteDefaultBrandIni();
    AppName = ReadConfig("title");
    FTitleRead = true;
    THi::SetEnvVar("SERVER_APPNAME", AppName);
    // Not for the servers: the notice is this run's to show.
    FNotice = TakeNotice();
    FStatusLine = TakeStatusLine();
    server_config::RefuseUnwritableFolders({THi::GetAppDir(), THi::GetWorkDir()});
    // Before anything starts: a pair of servers that cannot work is refused.
    // A CD's copy of the bin folder, made later, holds the same names.
    FServers = server_set::Find(THi::GetAppPath() + "bin");

    FSplashPid = THi::RunProgram(THi::GetProgramFile(), "splash " + QuoteArgument(FConfigIni), "",
                                 kShowNormal, TChildTie::kEndWithLauncher);
    FBinDir = ResolveBinDir();
    WaitForEarlierRun();
    // A quit during the wait for an earlier run starts nothing more.
    if (QuitRequested()) return;
    RemoveStaleServerFiles();
    StartDatabase();
    WritePhpIni();
    FHttpPort = StrToInt(ReadConfig("port"));
    FHttpPort = THi::FindFreePort(FHttpPort, ReadConfig("ip") == "127.0.0.1");
    StartWebServer();
  } catch (const std::exception&) {
    // Told by FormCreate, once there is a view to tell it.
    FStartFailure = std::current_exception();
  }
}

// The servers' part of the start-up either brings the web server up or
// fails the whole start, whatever went wrong; the window's optional steps
// after it report an error and let the run go on.
void TMainRun::FormCreate() {
  StartServers();
  if (FTitleRead) {
    try {
      if (FRunView) FRunView->SetTitle(AppName);
      TitleApplied();
    } catch (const std::exception& e) {
      if (FRunView) FRunView->ShowError(e.what());
    }
  }
  // The view takes a quit that came while the servers started.
  ProcessMessages();
  std::string failure;
  try {
    if (FStartFailure) std::rethrow_exception(std::exchange(FStartFailure, nullptr));
    if (!QuitRequested()) failure = WaitForWebServer();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  // Asked to quit meanwhile: the shut-down follows, and nothing failed.
  if (QuitRequested()) return;
  if (!failure.empty()) {
    FailStartUp(failure);
    return;
  }
  try {
    if (RunExternalBrowser()) return;

    FUseTrayIcon = ConfigIsOn("trayicon");
    FShowToolbar = ConfigIsOn("toolbar");
    FShowStatusBar = ConfigIsOn("statusbar");
    PrepareWindow();
    ProcessMessages();
    Sleep(std::chrono::milliseconds(60));
    if (FRunView) FRunView->OpenHome(HomeAddress(FHttpPort));
    ShowHome(HomeAddress(FHttpPort));
    FStarted = true;
    if (!FStatusLine.empty()) ShowStatusLine(FStatusLine);
    if (!FNotice.empty()) ShowNotice(FNotice);
    // A database server that failed while the web server came up is told now.
    WatchServers();
  } catch (const std::exception& e) {
    // The rest of the start-up is skipped; the run goes on without it.
    if (FRunView) FRunView->ShowError(e.what());
  }
}

void TMainRun::StartDatabase() {
  FMySqlExe = InBin(FBinDir, FServers.databaseServer);
  if (!THi::FileExists(FMySqlExe)) return;
  FMySqlPort = THi::FindFreePort(3306, true);
  FMyIni = WriteMyIni();
  FMySqlLog = InWorkDir(server_logs::kDatabaseOutput);
  LaunchDatabase();
}

void TMainRun::LaunchDatabase() {
  const std::string params =
      QuoteArguments({"--defaults-file=" + FMyIni, "--port=" + std::to_string(FMySqlPort), "--skip-innodb",
                      "--language=" + InBin(FBinDir, server_files::kMySqlLanguage), "--user=root"});
  FMySqlPid = THi::RunServer(FMySqlExe, params, TChildTie::kShutDownWithLauncher, FMySqlLog, FMySqlPort);
}

// A run of this program file that was killed leaves its database server to
// its guard, a process of this file, which may still be stopping it; this
// start waits for that rather than fail on the data the old server holds.
// A wait that goes on says, once, what it waits for.
void TMainRun::WaitForEarlierRun() {
  const TProcessId self = THi::GetOwnProcessId();
  const auto others = [&] {
    TProcessIdList found;
    for (TProcessId pid : THi::FindProcessesByPath(THi::GetProgramFile()))
      if (pid != FSplashPid && pid != self) found.push_back(pid);
    return found;
  };
  const auto started = Clock::now();
  bool said = false;
  for (TProcessIdList left = others(); !left.empty(); left = others()) {
    if (Clock::now() >= started + kEarlierRunLimit || QuitRequested()) return;
    if (!said && Clock::now() >= started + kSayWhatWeWaitFor) {
      said = true;
      std::string ids;
      for (TProcessId pid : left) ids += (ids.empty() ? "" : ", ") + std::to_string(pid);
      std::fprintf(stderr, "%s: Waiting for an earlier run of %s to end (process %s).\n", AppName.c_str(),
                   THi::GetProgramFile().c_str(), ids.c_str());
    }
    ProcessMessages();
    Sleep(std::chrono::milliseconds(60));
  }
}

// The work folder is this run's now, but a killed run's pid files and
// sockets may still be in it; only those of its servers that still run stay.
void TMainRun::RemoveStaleServerFiles() {
  TProcessIdList live;
  for (const std::string& program : {FServers.webServer, FServers.databaseServer}) {
    const TProcessIdList found = THi::FindProcessesByPath(InBin(FBinDir, program));
    live.insert(live.end(), found.begin(), found.end());
  }
  RemoveStaleRunFiles(THi::GetWorkDir(), live);
}

void TMainRun::StartWebServer() {
  FHttpdConf = WriteHttpdConf();
  FApacheExe = InBin(FBinDir, FServers.webServer);
  FApacheLog = InWorkDir(server_logs::kWebServerOutput);
  server_files::PrepareWebServerEnvironment(FBinDir);
  LaunchWebServer();
}

// Asked to stop rather than killed when the launcher dies, so that the web
// server takes its own children down with it.
void TMainRun::LaunchWebServer() {
  FWebServerLaunched = Clock::now();
  FApachePid = THi::RunServer(FApacheExe, server_files::ApacheParams(FHttpdConf),
                              TChildTie::kStopWithLauncher, FApacheLog, FHttpPort);
}

// The web server is ready once it answers on its port. It may end instead,
// or never answer. The poll steps count from its launch: time spent building
// the window meanwhile is time the first step need not sleep.
std::string TMainRun::WaitForWebServer() {
  const std::string port = std::to_string(FHttpPort);
  if (FApachePid == 0) {
    return "The web server " + FApacheExe + " could not be started" +
           (THi::FileExists(FApacheExe) ? "." : ": the file is missing.");
  }
  const auto deadline = FWebServerLaunched + kWebServerLimit;
  auto poll = FWebServerLaunched;
  for (;;) {
    if (!THi::ProcessExists(FApachePid)) return "The web server ended before it answered on port " + port + ".";
    ProcessMessages();
    if (QuitRequested()) return {};
    poll = std::max(poll + kWebServerPoll, Clock::now());
    std::this_thread::sleep_until(poll);
    if (THi::PortAccepts(FHttpPort)) return {};
    if (Clock::now() >= deadline) {
      return "The web server did not answer on port " + port + " within " +
             std::to_string(kWebServerLimit.count()) + " seconds.";
    }
  }
}

// What was started is stopped before the user reads why, so nothing runs on
// behind the message; the work files it quotes go only after it.
void TMainRun::FailStartUp(const std::string& why) {
  // Logs only of a web server this run started: the work folder may hold a
  // killed run's.
  const std::string message =
      FApacheLog.empty() ? why : WithLogLines(why, {FApacheLog, InWorkDir(server_logs::kWebServerErrors)});
  if (FSplashPid != 0) THi::KillProcess(FSplashPid);
  StopWebServer();
  StopDatabase();
  FExitCode = 1;
  StartFailed(message);
  QuitApplication();
}

void TMainRun::StartFailed(const std::string& message) {
  if (FRunView) FRunView->ShowError(message);
}

bool TMainRun::ServerEnded(const std::string& message) {
  if (FRunView) FRunView->ShowError(message);
  return false;
}

void TMainRun::ShowNotice(const std::string& message) {
  if (FRunView) FRunView->ShowError(message);
}

void TMainRun::WatchServers() {
  if (!FStarted || FWatching) return;
  FWatching = true;
  if (FMySqlPid != 0 && !THi::ProcessExists(FMySqlPid)) {
    FMySqlPid = 0;
    if (ServerEnded(WithLogLines("The database server has stopped unexpectedly.", {FMySqlLog})))
      LaunchDatabase();
  }
  if (FApachePid != 0 && !THi::ProcessExists(FApachePid)) {
    FApachePid = 0;
    const std::string message = WithLogLines("The web server has stopped unexpectedly.",
                                             {FApacheLog, InWorkDir(server_logs::kWebServerErrors)});
    // Workers of the ended server may still hold its port.
    for (TProcessId pid : THi::FindProcessesByPath(FApacheExe)) THi::KillProcess(pid);
    if (ServerEnded(message)) LaunchWebServer();
  }
  FWatching = false;
}

TServerStop TMainRun::StopDatabaseServer() { return StopDatabase(); }

void TMainRun::RestartDatabaseServer() {
  if (FMySqlPid == 0 && !FMyIni.empty()) LaunchDatabase();
}

bool TMainRun::RunExternalBrowser() {
  FBrowserIni = InBin(FBinDir, "Browser.ini");
  if (!THi::FileExists(FBrowserIni)) return false;
  FBrowserPath = ReplacePlaceholder(THi::ReadIniValue(FBrowserIni, "Browser", "BrowserPath"), "{bin}", FBinDir);
  FBrowserParams = ReplacePlaceholder(THi::ReadIniValue(FBrowserIni, "Browser", "Parameters"), "{bin}", FBinDir);
  FBrowserParams = ReplacePlaceholder(FBrowserParams, "{url}", HomeAddress(FHttpPort));
  if (!THi::FileExists(FBrowserPath)) return false;

  ProcessMessages();
  if (FSplashPid != 0) THi::KillProcess(FSplashPid);
  THi::RunProgram(FBrowserPath, FBrowserParams, "", kShowMaximized);
  ProcessMessages();
  Sleep(kBrowserFirstCheck);
  while (!QuitRequested() && !THi::FindProcessesByPath(THi::ExpandPath(FBrowserPath)).empty()) {
    ProcessMessages();
    Sleep(kWebServerPoll);
  }
  QuitApplication();
  return true;
}

void TMainRun::FormDestroy() {
  if (FShuttingDown) return;
  FShuttingDown = true;
  // A server that ends from here on was asked to.
  FStarted = false;
  ShutDownBegins();
  SetTrayIcon(false);
  ProcessMessages();
  if (FSplashPid != 0) THi::KillProcess(FSplashPid);
  StopWebServer();
  StopDatabase();
  CleanUpWorkFiles();
}

void TMainRun::StopWebServer() {
  if (FApachePid == 0) return;
  THi::KillProcess(FApachePid);
  for (TProcessId pid : THi::FindProcessesByPath(FApacheExe)) THi::KillProcess(pid);
  FApachePid = 0;
}

// The watch leaves alone a server that is being stopped.
TServerStop TMainRun::StopDatabase() {
  const TProcessId pid = FMySqlPid;
  if (pid == 0) return TServerStop::kNotRunning;
  FMySqlPid = 0;
  return StopServerGently({[&](std::chrono::milliseconds time) {
                      const auto until = Clock::now() + time;
                      while (THi::ProcessExists(pid) && Clock::now() < until) {
                        ProcessMessages();
                        Sleep(std::chrono::milliseconds(20));
                      }
                      return !THi::ProcessExists(pid);
                    },
                    [&] { THi::RequestStop(pid); }, [&] { THi::KillProcess(pid); }, FMySqlPort});
}

void TMainRun::CleanUpWorkFiles() {
  const auto retryUntilGone = [this](const auto& exists, const auto& remove) {
    const auto deadline = std::chrono::steady_clock::now() + kDeleteRetryLimit;
    while (exists() && std::chrono::steady_clock::now() < deadline) {
      try {
        ProcessMessages();
        Sleep(std::chrono::milliseconds(1));
        remove();
      } catch (const std::exception&) {
      }
    }
  };
  const std::string work = THi::GetWorkDir();
  if (!work.empty())
    retryUntilGone([&] { return THi::DirectoryExists(work); }, [&] { THi::DeleteFolder(work); });
  if (THi::IsCdRom()) return;
  const std::string data = THi::GetAppPath() + "data";
  for (const std::string& name : THi::ListFiles(data)) {
    if (IsDatabaseFile(name)) continue;
    const std::string file = data + platform::kPathDelim + name;
    retryUntilGone([&] { return THi::FileExists(file); }, [&] { THi::DeleteFile(file); });
  }
}
