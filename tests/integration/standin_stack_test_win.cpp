// The launcher's start and stop under Wine, with small stand-ins for the web
// and database servers: a web server that runs as a parent and a child and
// listens where httpd.conf says, a database server that listens on its port
// and stops cleanly on its shutdown event.
#include <winsock2.h>
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <thread>

#include "support/test_support.h"
#include "util/wide.h"

namespace {

using namespace std::chrono_literals;

// Asks the launcher to end as the system asks an application: a quit message
// to its threads (which needs no window, so it works under Wine without a
// display too).
void AskToQuit(TProcessId pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == pid) PostThreadMessageW(entry.th32ThreadID, WM_QUIT, 0, 0);
  }
  CloseHandle(snapshot);
}

// True when a server accepts connections on the port of 127.0.0.1. Asked by
// connecting: a trial bind would hold the port for a moment, and a server
// binding it in that moment would fail to start.
bool Accepts(int port) {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  const SOCKET probe = ready ? socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
  if (probe == INVALID_SOCKET) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool accepted = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  closesocket(probe);
  return accepted;
}

// Starts the program as its relaunch starts it: with the marker, so the
// process started is the launcher itself.
TProcessId StartLauncher(const std::string& program) {
  std::wstring commandLine = L"\"" + wide::FromUtf8(program) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = kRelaunchMarker;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return 0;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return info.dwProcessId;
}

class StandInStackTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    const std::string bin = Path("bin");
    for (const char* folder : {"bin\\Apache", "bin\\mysql\\bin", "bin\\php", "data", "www"})
      std::filesystem::create_directories(test::U8Path(Path(folder)));
    test::CopyProgram(test::LodestackProgram(), Path("lodestack.exe"));
    test::CopyProgram(THi::GetAppPath() + "standin_httpd.exe", Path("bin\\Apache\\Apache.exe"));
    test::CopyProgram(THi::GetAppPath() + "standin_mysqld.exe", Path("bin\\mysql\\bin\\mysqld.exe"));
    test::WriteFile(Path("bin\\php\\php.ini"), "[PHP]\r\n");
    test::WriteFile(Path("data\\loose.txt"), "left over");
    test::WriteFile(Path("Config.ini"), "[INI]\r\ntitle=Stand-in\r\nport=18300\r\nip=127.0.0.1");
    THi::RunProgramAndWait(test::LodestackProgram(),
                           "/config \"" + Path("lodestack.exe") + "\" \"" + Path("Config.ini") + "\"",
                           "", kShowHidden);
  }
  // Whatever still runs when a test failed half-way.
  void TearDown() override {
    for (const char* program : {"lodestack.exe", "bin\\Apache\\Apache.exe", "bin\\mysql\\bin\\mysqld.exe"})
      for (TProcessId pid : THi::FindProcessesByPath(Path(program))) THi::KillProcess(pid);
  }
  std::string WorkDir() { return THi::GetTempDir() + "\\" + THi::Md5Hex(Path("lodestack.exe")); }
  // The programs of the tree that still run, by name.
  std::string StillRunning() {
    std::string running;
    for (const char* program : {"lodestack.exe", "bin\\Apache\\Apache.exe", "bin\\mysql\\bin\\mysqld.exe"})
      for (TProcessId pid : THi::FindProcessesByPath(Path(program)))
        running += std::string(" ") + program + "(" + std::to_string(pid) + " of " +
                   std::to_string(THi::GetParentProcessId(pid)) + ")";
    return running;
  }
};

TEST_F(StandInStackTest, StartsBothServersAndStopsThemOnClose) {
  test::Listener taken(18300);
  ASSERT_TRUE(taken.ok());
  const std::string apache = Path("bin\\Apache\\Apache.exe");
  const std::string mysqld = Path("bin\\mysql\\bin\\mysqld.exe");
  THi::RunProgram(Path("lodestack.exe"), "", "", kShowNormal);

  // Ready: the web server runs as two processes.
  ASSERT_TRUE(test::WaitUntil([&] { return THi::FindProcessesByPath(apache).size() >= 2; }, 60s))
      << "the web server did not come up";
  const std::string work = WorkDir();
  const std::string httpd = test::ReadFile(work + "\\httpd.conf");
  // The configured port is taken: the next free one is used, for this run only.
  const std::size_t listen = httpd.find("Listen 127.0.0.1:");
  ASSERT_NE(listen, std::string::npos) << httpd;
  const int port = std::atoi(httpd.c_str() + listen + 17);
  EXPECT_GT(port, 18300);
  EXPECT_EQ(THi::ReadIniValue(work + "\\Config.ini", "INI", "port"), "18300");
  EXPECT_TRUE(test::WaitUntil([&] { return Accepts(port); }));
  const std::string dbPort = THi::ReadIniValue(work + "\\my.ini", "mysqld", "port");
  EXPECT_EQ(THi::ReadIniValue(work + "\\php.ini", "MySQL", "mysql.default_port"), dbPort);
  EXPECT_TRUE(test::WaitUntil([&] { return Accepts(std::stoi(dbPort)); }));

  // The relaunch has ended; the launcher runs, and the database server's
  // guard, the launcher's child.
  TProcessId launcher = 0;
  for (TProcessId pid : THi::FindProcessesByPath(Path("lodestack.exe")))
    if (THi::GetProcessPath(THi::GetParentProcessId(pid)).empty()) launcher = pid;
  ASSERT_NE(launcher, 0u);
  AskToQuit(launcher);
  EXPECT_TRUE(test::WaitUntil([&] {
    return THi::FindProcessesByPath(Path("lodestack.exe")).empty() &&
           THi::FindProcessesByPath(apache).empty() && THi::FindProcessesByPath(mysqld).empty();
  }, 60s));
  EXPECT_FALSE(THi::DirectoryExists(work));
  EXPECT_FALSE(THi::FileExists(Path("data\\loose.txt")));
  // The database server was asked to stop, and did so by itself.
  EXPECT_TRUE(THi::FileExists(Path("clean-shutdown")));
}

// Killed at any moment of its start-up, or after it, the launcher leaves no
// server behind, and the database server is asked to stop rather than
// terminated.
TEST_F(StandInStackTest, KillingTheLauncherAtAnyMomentLeavesNothingRunning) {
  const std::string apache = Path("bin\\Apache\\Apache.exe");
  // -1: once the web server is ready.
  for (int ms : {0, 50, 150, 300, 600, 1200, -1}) {
    SCOPED_TRACE("killed after " + std::to_string(ms) + " ms");
    std::filesystem::remove(test::U8Path(Path("started")));
    std::filesystem::remove(test::U8Path(Path("clean-shutdown")));
    const TProcessId launcher = StartLauncher(Path("lodestack.exe"));
    ASSERT_NE(launcher, 0u);
    if (ms >= 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    if (ms < 0) {
      ASSERT_TRUE(test::WaitUntil([&] { return THi::FindProcessesByPath(apache).size() >= 2; }, 60s));
    }
    THi::KillProcess(launcher);
    EXPECT_TRUE(test::WaitUntil([&] { return StillRunning().empty(); }, 20s)) << StillRunning();
    if (THi::FileExists(Path("started"))) {
      EXPECT_TRUE(THi::FileExists(Path("clean-shutdown"))) << "the database server was terminated";
    }
  }
}

// The stand-ins laid out as today's zips unpack: Apache Lounge's Apache24 as
// bin\Apache, PHP 8 with its module and extensions, MariaDB with its
// mariadbd.exe beside a mysqld.exe.
class TodaysStandInStackTest : public StandInStackTest {
 protected:
  void SetUp() override {
    for (const char* folder : {"bin\\Apache\\bin", "bin\\Apache\\modules", "bin\\Apache\\conf", "bin\\mysql\\bin",
                               "bin\\mysql\\share\\english", "bin\\php\\ext", "data", "www"})
      std::filesystem::create_directories(test::U8Path(Path(folder)));
    test::CopyProgram(test::LodestackProgram(), Path("lodestack.exe"));
    test::CopyProgram(THi::GetAppPath() + "standin_httpd.exe", Path(kHttpd));
    test::CopyProgram(THi::GetAppPath() + "standin_mysqld.exe", Path(kMariaDb));
    test::CopyProgram(THi::GetAppPath() + "standin_mysqld.exe", Path(kMySqld));
    for (const char* file : {"bin\\Apache\\conf\\mime.types", "bin\\php\\php8apache2_4.dll",
                             "bin\\php\\ext\\php_gd.dll", "bin\\mysql\\share\\english\\errmsg.sys"})
      test::WriteFile(Path(file), "x");
    test::WriteFile(Path("bin\\php\\php.ini"), "[PHP]\r\nextension=gd\r\n");
    test::WriteFile(Path("Config.ini"), "[INI]\r\ntitle=Stand-in\r\nport=20510\r\nip=127.0.0.1");
    THi::RunProgramAndWait(test::LodestackProgram(),
                           "/config \"" + Path("lodestack.exe") + "\" \"" + Path("Config.ini") + "\"",
                           "", kShowHidden);
  }
  void TearDown() override {
    for (const char* program : {"lodestack.exe", kHttpd, kMariaDb, kMySqld})
      for (TProcessId pid : THi::FindProcessesByPath(Path(program))) THi::KillProcess(pid);
  }
  static constexpr const char* kHttpd = "bin\\Apache\\bin\\httpd.exe";
  static constexpr const char* kMariaDb = "bin\\mysql\\bin\\mariadbd.exe";
  static constexpr const char* kMySqld = "bin\\mysql\\bin\\mysqld.exe";
};

TEST_F(TodaysStandInStackTest, FindsStartsAndStopsApache24Php8AndMariaDb) {
  const std::string httpd = Path(kHttpd);
  const std::string mariadb = Path(kMariaDb);
  THi::RunProgram(Path("lodestack.exe"), "", "", kShowNormal);
  // Apache 2.4 on Windows runs as a parent and one child, as the older one did.
  ASSERT_TRUE(test::WaitUntil([&] { return THi::FindProcessesByPath(httpd).size() >= 2; }, 60s))
      << "the web server did not come up";
  const std::string work = WorkDir();
  const std::string conf = test::ReadFile(work + "\\httpd.conf");
  for (const std::string& line :
       {"ServerRoot \"" + Path("bin\\Apache") + "\"", std::string("LoadModule authz_core_module modules/mod_authz_core.so"),
        "LoadModule php_module \"" + Path("bin\\php\\php8apache2_4.dll") + "\"",
        std::string("TypesConfig conf/mime.types"), std::string("LoadModule rewrite_module modules/mod_rewrite.so"),
        std::string("Require env LODESTACK_LOCAL_CLIENT"), std::string("RewriteRule ^ - [R=421,L]")})
    EXPECT_NE(conf.find("\r\n" + line + "\r\n"), std::string::npos) << line << "\n" << conf;
  const std::size_t listen = conf.find("Listen 127.0.0.1:");
  ASSERT_NE(listen, std::string::npos);
  EXPECT_TRUE(test::WaitUntil([&] { return Accepts(std::atoi(conf.c_str() + listen + 17)); }));
  // PHP's own DLLs are found first.
  EXPECT_TRUE(test::WaitUntil([&] { return THi::FileExists(work + "\\path.txt"); }));
  EXPECT_EQ(test::ReadFile(work + "\\path.txt").rfind(Path("bin\\php") + ";", 0), 0u);

  const std::string dbPort = THi::ReadIniValue(work + "\\my.ini", "mysqld", "port");
  EXPECT_EQ(THi::ReadIniValue(work + "\\php.ini", "MySQLi", "mysqli.default_port"), dbPort);
  EXPECT_EQ(THi::ReadIniValue(work + "\\php.ini", "PHP", "extension"), "gd");
  EXPECT_EQ(THi::ReadIniValue(work + "\\my.ini", "mysqld", "default-storage-engine"), "Aria");
  EXPECT_TRUE(test::WaitUntil([&] { return Accepts(std::stoi(dbPort)); }));
  EXPECT_EQ(THi::FindProcessesByPath(mariadb).size(), 1u) << "MariaDB runs as mariadbd.exe";
  EXPECT_TRUE(THi::FindProcessesByPath(Path(kMySqld)).empty());

  TProcessId launcher = 0;
  for (TProcessId pid : THi::FindProcessesByPath(Path("lodestack.exe")))
    if (THi::GetProcessPath(THi::GetParentProcessId(pid)).empty()) launcher = pid;
  ASSERT_NE(launcher, 0u);
  AskToQuit(launcher);
  EXPECT_TRUE(test::WaitUntil([&] {
    return THi::FindProcessesByPath(Path("lodestack.exe")).empty() && THi::FindProcessesByPath(httpd).empty() &&
           THi::FindProcessesByPath(mariadb).empty();
  }, 60s));
  EXPECT_FALSE(THi::DirectoryExists(work));
  EXPECT_TRUE(THi::FileExists(Path("clean-shutdown"))) << "MariaDB was asked to stop through its shutdown event";
}

}  // namespace
