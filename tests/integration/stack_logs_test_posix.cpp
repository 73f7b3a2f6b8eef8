// The logs page with the real servers: a PHP warning a page has just caused
// shows up in it with the file it comes from, and only the stack's own
// requests see it. Started as root, as CI runs, the web server serves as
// another user and reads the logs, which no one else can.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "integration/stack_fixture_posix.h"

namespace stack_test {
namespace {

class StackLogsTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    if (SharedTree().empty())
      SKIP_FOR_MISSING_TOOL("LODESTACK_STACK_TREE names no tree built by tools/make-stack");
  }
};

TEST_F(StackLogsTest, APhpWarningShowsUpInTheLogsPageForTheStacksOwnRequestsOnly) {
  Tree tree(temp_, "logging", {.withDatabase = true, .config = ConfigWith("20400")});
  test::WriteFile(tree.root() + "/www/warn.php",
                  "<?php trigger_error('a warning from the logs test', E_USER_WARNING); echo 'warned';");
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << launcher.Output();
  ASSERT_NE(HttpGet(port, "/warn.php").find("warned"), std::string::npos);

  const std::string work = std::filesystem::canonical(tree.WorkDir()).string();
  const auto showsTheLogs = [&](const std::string& page) {
    EXPECT_TRUE(Answers200(page)) << page;
    EXPECT_NE(page.find("a warning from the logs test"), std::string::npos) << page;
    for (const char* log : {"/error.log", "/mysqld.log", "/apache.log"})
      EXPECT_NE(page.find(work + log), std::string::npos) << "names the file it shows: " << log;
    EXPECT_EQ(page.find("cannot read"), std::string::npos) << page;
  };
  showsTheLogs(HttpGet(port, "/lodestack/logs/"));
  if (geteuid() == 0) {
    // The web server serves as another user: it reads the logs, and no one
    // else lists the work folder or reads them.
    struct stat st {};
    ASSERT_EQ(stat(work.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 066, 0u) << "no one else lists or writes the work folder";
    for (const char* log : {"/error.log", "/mysqld.log", "/apache.log"}) {
      ASSERT_EQ(stat((work + log).c_str(), &st), 0) << log;
      EXPECT_EQ(st.st_mode & 007, 0u) << log;
    }
  }

  // A name that is not the stack's own, from this computer: another site's
  // page pointing its name at 127.0.0.1.
  const std::string other = HttpGetNamed("127.0.0.1", port, "/lodestack/logs/", "rebound.example");
  EXPECT_FALSE(Answers200(other)) << other;
  EXPECT_EQ(other.find("a warning from the logs test"), std::string::npos);
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
}

}  // namespace
}  // namespace stack_test
