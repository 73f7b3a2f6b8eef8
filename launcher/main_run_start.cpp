// TfrmMain's start-up and shut-down: the order in which the run comes up and
// goes down again.
#include <chrono>
#include <exception>
#include <thread>

#include "launcher/config.h"
#include "launcher/main_run.h"
#include "launcher/run_view.h"
#include "server/server_files.h"
#include "util/command_line.h"
#include "util/platform.h"
#include "util/product.h"
#include "util/text.h"

namespace {

constexpr auto kWebServerPoll = std::chrono::milliseconds(330);
constexpr auto kBrowserFirstCheck = std::chrono::milliseconds(5000);
// How long the database server may take to shut down cleanly before it is ended.
constexpr auto kDatabaseStopLimit = std::chrono::seconds(15);
// How long the clean-up keeps trying to delete one entry that stays locked.
constexpr auto kDeleteRetryLimit = std::chrono::seconds(10);

void Sleep(std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); }

std::string InBin(const std::string& binDir, const char* relative) {
  return binDir + platform::kPathDelim + relative;
}

std::string HomeAddress(int port) { return "http://127.0.0.1:" + std::to_string(port); }

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

void TMainRun::FormCreate() {
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
    if (FRunView) FRunView->SetTitle(AppName);
    TitleApplied();
    THi::SetEnvVar("SERVER_APPNAME", AppName);

    FSplashPid = THi::RunProgram(THi::GetProgramFile(), "splash " + QuoteArgument(FConfigIni), "",
                                 kShowNormal, TChildTie::kEndWithLauncher);
    FBinDir = ResolveBinDir();
    StartDatabase();
    WritePhpIni();
    FHttpPort = StrToInt(ReadConfig("port"));
    FHttpPort = THi::FindFreePort(FHttpPort, ReadConfig("ip") == "127.0.0.1");
    StartWebServer();
    WaitForWebServer();
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
  const std::string params =
      QuoteArguments({"--defaults-file=" + FMyIni, "--port=" + std::to_string(FMySqlPort), "--skip-innodb",
                      "--language=" + InBin(FBinDir, server_files::kMySqlLanguage), "--user=root"});
  FMySqlPid = THi::RunProgram(FMySqlExe, params, "", kShowHidden, TChildTie::kShutDownWithLauncher);
}

void TMainRun::StartWebServer() {
  FHttpdConf = WriteHttpdConf();
  FApacheExe = InBin(FBinDir, server_files::kApacheExe);
  // Asked to stop rather than killed when the launcher dies, so that the web
  // server takes its own children down with it.
  FApachePid = THi::RunProgram(FApacheExe, server_files::ApacheParams(FHttpdConf), "",
                               kShowHidden, TChildTie::kStopWithLauncher);
}

// The web server is ready when it runs as a parent and at least one child.
void TMainRun::WaitForWebServer() {
  while (FApachePid != 0 && THi::ProcessExists(FApachePid)) {
    ProcessMessages();
    Sleep(kWebServerPoll);
    if (THi::FindProcessesByPath(FApacheExe).size() >= 2) return;
  }
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
  SetTrayIcon(false);
  ProcessMessages();
  if (FSplashPid != 0) THi::KillProcess(FSplashPid);
  if (FApachePid != 0) {
    THi::KillProcess(FApachePid);
    for (TProcessId pid : THi::FindProcessesByPath(FApacheExe)) THi::KillProcess(pid);
  }
  if (FMySqlPid != 0) StopDatabase();
  CleanUpWorkFiles();
}

// Terminating a database server can lose or corrupt data: it is asked to
// shut down first, and ended only when it does not within the limit. The
// request is repeated, since a server still starting up may not take it yet.
void TMainRun::StopDatabase() {
  const auto start = std::chrono::steady_clock::now();
  auto nextRequest = start;
  while (THi::ProcessExists(FMySqlPid) && std::chrono::steady_clock::now() < start + kDatabaseStopLimit) {
    if (std::chrono::steady_clock::now() >= nextRequest) {
      THi::RequestStop(FMySqlPid);
      nextRequest += std::chrono::seconds(1);
    }
    ProcessMessages();
    Sleep(std::chrono::milliseconds(20));
  }
  THi::KillProcess(FMySqlPid);
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
