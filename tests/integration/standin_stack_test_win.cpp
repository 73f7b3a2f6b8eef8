// The launcher's start and stop under Wine, with small stand-ins for the web
// and database servers: a web server that runs as a parent and a child and
// listens where httpd.conf says, a database server that listens on its port
// and stops cleanly on its shutdown event.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "support/test_support.h"

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
  EXPECT_TRUE(test::WaitUntil([&] { return THi::IsPortInUse(port, true); }));
  const std::string dbPort = THi::ReadIniValue(work + "\\my.ini", "mysqld", "port");
  EXPECT_EQ(THi::ReadIniValue(work + "\\php.ini", "MySQL", "mysql.default_port"), dbPort);
  EXPECT_TRUE(test::WaitUntil([&] { return THi::IsPortInUse(std::stoi(dbPort), true); }));

  const TProcessIdList launchers = THi::FindProcessesByPath(Path("lodestack.exe"));
  ASSERT_EQ(launchers.size(), 1u) << "the relaunch has ended, the launcher runs";
  AskToQuit(launchers[0]);
  EXPECT_TRUE(test::WaitUntil([&] {
    return THi::FindProcessesByPath(Path("lodestack.exe")).empty() &&
           THi::FindProcessesByPath(apache).empty() && THi::FindProcessesByPath(mysqld).empty();
  }, 60s));
  EXPECT_FALSE(THi::DirectoryExists(work));
  EXPECT_FALSE(THi::FileExists(Path("data\\loose.txt")));
  // The database server was asked to stop, and did so by itself.
  EXPECT_TRUE(THi::FileExists(Path("clean-shutdown")));
}

}  // namespace
