// The Windows words backup and restore, where nothing can be dumped: the
// missing program is named, and a stopped stack is said, with the exit codes
// of the other commands.
#include <gtest/gtest.h>

#include <filesystem>

#include "commands/commands.h"
#include "support/test_support.h"
#include "util/hi.h"

namespace {

int RunWords(const std::vector<std::string>& words, std::string& said) {
  std::vector<std::string> args{THi::GetProgramFile()};
  args.insert(args.end(), words.begin(), words.end());
  testing::internal::CaptureStderr();
  const int status = commands::RunCommand(args, THi::GetAppPath());
  said = testing::internal::GetCapturedStderr();
  return status;
}

TEST(WindowsBackupWords, NameTheMissingProgramOrSayTheStackIsStopped) {
  EXPECT_TRUE(commands::IsCommandWord("backup"));
  EXPECT_TRUE(commands::IsCommandWord("restore"));
  const std::string bin = THi::GetAppPath() + "bin\\mysql\\bin\\";
  // The test's own folder has no tree; the one it makes here goes at the end.
  ASSERT_FALSE(THi::DirectoryExists(THi::GetAppPath() + "bin"));
  std::string said;
  EXPECT_EQ(RunWords({"backup"}, said), 127);
  EXPECT_EQ(said, "lodestack: MySQL's dump and client programs are not in this copy of the stack (" + bin +
                      "mariadb-dump.exe is missing).\n");

  // With the programs there but no stack running from this folder.
  std::filesystem::create_directories(bin);
  test::WriteFile(bin + "mariadb-dump.exe", "");
  test::WriteFile(bin + "mariadb.exe", "");
  EXPECT_EQ(RunWords({"backup"}, said), 1);
  EXPECT_EQ(said, "lodestack: the stack's database is not running.\n");
  EXPECT_EQ(RunWords({"restore", "x.sql.gz", "--yes"}, said), 1);
  EXPECT_EQ(said, "lodestack: the stack's database is not running.\n");
  THi::DeleteFolder(THi::GetAppPath() + "bin");
}

}  // namespace
