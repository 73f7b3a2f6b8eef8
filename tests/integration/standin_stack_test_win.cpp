// The launcher's start and stop under Wine, with small stand-ins for the web
// and database servers: a web server that runs as a parent and a child and
// listens where httpd.conf says, a database server that listens on its port
// and stops cleanly on its shutdown event.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

using namespace std::chrono_literals;

// The launcher's hidden window: the one of class "TfrmMain" in its process.
HWND LauncherWindow(const std::string& program) {
  struct Search {
    TProcessIdList pids;
    HWND found = nullptr;
  } search{THi::FindProcessesByPath(program)};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[64];
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (GetClassNameW(window, name, 64) && std::wstring(name) == L"TfrmMain" &&
            std::find(s->pids.begin(), s->pids.end(), pid) != s->pids.end()) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
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
  std::string WorkDir() { return THi::GetTempDir() + "\\" + THi::Md5Hex(Path("lodestack.exe")); }
};

TEST_F(StandInStackTest, StartsBothServersAndStopsThemOnClose) {
  test::Listener taken(18300);
  ASSERT_TRUE(taken.ok());
  const std::string apache = Path("bin\\Apache\\Apache.exe");
  const std::string mysqld = Path("bin\\mysql\\bin\\mysqld.exe");
  THi::RunProgram(Path("lodestack.exe"), "", "", kShowNormal);

  // Ready: the web server runs as two processes and the launcher has a window.
  ASSERT_TRUE(test::WaitUntil([&] {
    return THi::FindProcessesByPath(apache).size() >= 2 && LauncherWindow(Path("lodestack.exe"));
  }, 60s)) << "the launcher did not bring up its servers";
  const std::string work = WorkDir();
  const std::string httpd = test::ReadFile(work + "\\httpd.conf");
  // The configured port is taken: the next free one is used, for this run only.
  EXPECT_NE(httpd.find("Listen 127.0.0.1:18301\r\n"), std::string::npos) << httpd;
  EXPECT_EQ(THi::ReadIniValue(work + "\\Config.ini", "INI", "port"), "18300");
  EXPECT_TRUE(test::WaitUntil([] { return THi::IsPortInUse(18301, true); }));
  const std::string dbPort = THi::ReadIniValue(work + "\\my.ini", "mysqld", "port");
  EXPECT_EQ(THi::ReadIniValue(work + "\\php.ini", "MySQL", "mysql.default_port"), dbPort);
  EXPECT_TRUE(test::WaitUntil([&] { return THi::IsPortInUse(std::stoi(dbPort), true); }));

  PostMessageW(LauncherWindow(Path("lodestack.exe")), WM_CLOSE, 0, 0);
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
