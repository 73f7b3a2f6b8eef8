// The Windows shell as the tray's "Open Command Prompt" starts it: the
// command processor that ComSpec names (here test_child, which reports what
// it got) with the tree's PHP and database folders first on the PATH.
#include <gtest/gtest.h>

#include "commands/commands.h"
#include "support/test_support.h"
#include "util/hi.h"

namespace {

class SavedEnv {
 public:
  explicit SavedEnv(const char* name) : name_(name), value_(THi::GetEnvVar(name)) {}
  ~SavedEnv() { THi::SetEnvVar(name_, value_); }

 private:
  std::string name_, value_;
};

TEST(WindowsShell, StartsTheCommandProcessorWithTheTreesFoldersFirstOnThePath) {
  test::TempFolder temp;
  const SavedEnv path("PATH"), comSpec("ComSpec"), phprc("PHPRC"), report("LODESTACK_TEST_REPORT");
  const std::string file = temp / "report.txt";
  const std::string before = THi::GetEnvVar("PATH");
  THi::SetEnvVar("ComSpec", test::ChildProgram());
  THi::SetEnvVar("LODESTACK_TEST_REPORT", file);
  ASSERT_EQ(commands::TerminalStart(), (std::vector<std::string>{THi::GetProgramFile(), "shell"}));
  EXPECT_EQ(commands::RunCommand({THi::GetProgramFile(), "shell"}, temp.path()), 0);
  const test::ChildReport got = test::ReadChildReport(file);
  const std::string app = THi::GetAppPath();
  EXPECT_EQ(got.Get("env.PATH"), app + "bin\\php;" + app + "bin\\mysql\\bin;" + before);
  // No stack runs from the test's folder: PHP reads the tree's own php.ini.
  EXPECT_EQ(got.Get("env.PHPRC"), app + "bin\\php");
  EXPECT_EQ(got.Get("cwd"), temp.path());
}

}  // namespace
