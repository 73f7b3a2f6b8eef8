// TfrmMain's start-up and shut-down: the order in which the run comes up and
// goes down again.
#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>
#include <utility>

#include "launcher/config.h"
#include "launcher/main_run.h"
#include "launcher/run_view.h"
#include "server/server_files.h"
#include "util/command_line.h"
#include "server/server_logs.h"
#include "util/notice.h"
#include "util/platform.h"
#include "util/product.h"
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
// How long the clean-up keeps trying to delete one entry that stays locked.
constexpr auto kDeleteRetryLimit = std::chrono::seconds(10);
// Lines of each log that go into a message.
constexpr int kLogLines = 8;

void Sleep(std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); }

std::string InBin(const std::string& binDir, const char* relative) {
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

    FSplashPid = THi::RunProgram(THi::GetProgramFile(), "splash " + QuoteArgument(FConfigIni), "",
                                 kShowNormal, TChildTie::kEndWithLauncher);
    FBinDir = ResolveBinDir();
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

void TMainRun::FormCreate() {
  StartServers();
  try {
    if (FTitleRead) {
      if (FRunView) FRunView->SetTitle(AppName);
      TitleApplied();
    }
    if (FStartFailure) std::rethrow_exception(std::exchange(FStartFailure, nullptr));
    if (const std::string failure = WaitForWebServer(); !failure.empty()) {
      FailStartUp(failure);
      return;
    }
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
    if (!FNotice.empty()) ShowNotice(FNotice);
    // A database server that failed while the web server came up is told now.
    WatchServers();
  } catch (const std::exception& e) {
    // The rest of the start-up is skipped; the run goes on without it.
    if (FRunView) FRunView->ShowError(e.what());
  }
}

void TMainRun::StartDatabase() {
  FMySqlExe = InBin(FBinDir, server_files::kMySqlExe);
  if (!THi::FileExists(FMySqlExe)) return;
  FMySqlPort = THi::FindFreePort(3306, true);
  FMyIni = WriteMyIni();
  FMySqlLog = InWorkDir(server_logs::kDatabaseOutput);
  WaitForEarlierRun();
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
void TMainRun::WaitForEarlierRun() {
  const auto others = [this] {
    int count = 0;
    for (TProcessId pid : THi::FindProcessesByPath(THi::GetProgramFile()))
      if (pid != FSplashPid) ++count;
    return count - 1;  // this launcher
  };
  const auto deadline = Clock::now() + kEarlierRunLimit;
  while (others() > 0 && Clock::now() < deadline) {
    ProcessMessages();
    Sleep(std::chrono::milliseconds(60));
  }
}

void TMainRun::StartWebServer() {
  FHttpdConf = WriteHttpdConf();
  FApacheExe = InBin(FBinDir, server_files::kApacheExe);
  FApacheLog = InWorkDir(server_logs::kWebServerOutput);
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
  const std::string message =
      WithLogLines(why, {FApacheLog, InWorkDir(server_logs::kWebServerErrors)});
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
  while (!THi::FindProcessesByPath(THi::ExpandPath(FBrowserPath)).empty()) {
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
