// The down-size worker on a Windows folder tree laid out as PHP 8's zip
// unpacks: its extensions go by today's names, and so do their php.ini lines.
#include <gtest/gtest.h>

#include <filesystem>

#include "packaging/down_size_worker.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(DownSizeWorkerWin, TodaysExtensionsGoWithTheirPhpIniLines) {
  test::TempFolder temp;
  const auto path = [&](const std::string& name) { return temp.path() + "\\" + name; };
  fs::create_directories(test::U8Path(path("bin\\php\\ext")));
  for (const char* file : {"php_gd.dll", "php_curl.dll", "php_sqlite3.dll", "php_pdo_sqlite.dll"})
    test::WriteFile(path(std::string("bin\\php\\ext\\") + file), "x");
  test::WriteFile(path("bin\\php\\libsqlite3.dll"), "x");
  test::WriteFile(path("bin\\php\\php.ini"),
                  "[PHP]\r\n;extension=gd\r\nextension=gd\r\nextension=curl\r\nextension=php_sqlite3.dll\r\n"
                  "extension=pdo_sqlite\r\n");
  TDownSizeRun run;
  run.programFile = path("lodestack.exe");
  int restarts = 0;
  run.restart = [&](const std::string&, const std::string& notice) {
    ++restarts;
    EXPECT_EQ(notice, "");
  };
  std::vector<std::string> flags(kDownSizeComponents, "0");
  flags[6 - 2] = "-1";  // GD
  flags[3 - 2] = "-1";  // SQLite
  RunDownSizeWorker(flags, run);

  EXPECT_EQ(restarts, 1);
  for (const char* gone : {"bin\\php\\ext\\php_gd.dll", "bin\\php\\ext\\php_sqlite3.dll",
                           "bin\\php\\ext\\php_pdo_sqlite.dll", "bin\\php\\libsqlite3.dll"})
    EXPECT_FALSE(THi::FileExists(path(gone))) << gone;
  EXPECT_TRUE(THi::FileExists(path("bin\\php\\ext\\php_curl.dll")));
  // Commented lines stay as they were.
  EXPECT_EQ(test::ReadFile(path("bin\\php\\php.ini")), "[PHP]\r\n;extension=gd\r\nextension=curl\r\n");
}

}  // namespace
