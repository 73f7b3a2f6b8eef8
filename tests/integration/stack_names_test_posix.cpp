// The names the stack answers to, and the folder names it runs from: with
// the real servers, started as a user starts them.
#include <signal.h>

#include "integration/stack_fixture_posix.h"

namespace stack_test {
namespace {

using namespace std::chrono_literals;

class StackNamesTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    if (SharedTree().empty())
      SKIP_FOR_MISSING_TOOL("LODESTACK_STACK_TREE names no tree built by tools/make-stack");
  }
};

bool Answers(const std::string& response, const std::string& status) {
  return response.rfind("HTTP/1.1 " + status, 0) == 0;
}

// Served on loopback only, a request that names the stack by another name
// (or by none) is misdirected: it is refused before any PHP runs.
TEST_F(StackNamesTest, OnLoopbackOnlyTheStacksOwnNamesAreAnswered) {
  Tree tree(temp_, "names", {.config = ConfigWith("19100")});
  test::WriteFile(tree.root() + "/www/ran.php", "<?php touch(__DIR__ . '/ran'); echo 'ran';");
  const bool withPhpMyAdmin = THi::FileExists(tree.root() + "/www/phpmyadmin/index.php");
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << launcher.Output();
  const std::string own = std::to_string(port);

  for (const std::string path : {"/", "/ran.php", "/phpmyadmin/", "/lodestack/"}) {
    for (const std::string& host :
         std::vector<std::string>{"rebind.example:" + own, "rebind.example", "127.0.0.1:1", "localhost.", ""}) {
      const std::string response = HttpGetNamed("127.0.0.1", port, path, host);
      EXPECT_TRUE(Answers(response, "421")) << path << " as " << host << ":\n" << response;
      EXPECT_NE(response.find("answers only to its own names"), std::string::npos) << response;
    }
  }
  EXPECT_FALSE(THi::FileExists(tree.root() + "/www/ran")) << "no PHP ran";
  for (const std::string& host :
       std::vector<std::string>{"localhost", "LOCALHOST", "127.0.0.1:" + own, "[::1]:" + own, "LocalHost:" + own})
    EXPECT_TRUE(Answers200(HttpGetNamed("127.0.0.1", port, "/", host))) << host;
  EXPECT_TRUE(Answers200(HttpGetNamed("127.0.0.1", port, "/ran.php", "[::1]")));
  EXPECT_TRUE(Answers200(HttpGetNamed("127.0.0.1", port, "/lodestack/", "localhost:" + own)));
  test::WriteFile(tree.root() + "/www/lodestacked.html", "the site's own");
  EXPECT_TRUE(Answers200(HttpGetNamed("127.0.0.1", port, "/lodestacked.html", "localhost")));
  if (withPhpMyAdmin) {
    EXPECT_TRUE(Answers200(HttpGetNamed("127.0.0.1", port, "/phpmyadmin/", "localhost")));
  }
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
}

// A folder's name means only itself to each server: no variable expands,
// no pattern forms, no quote or comment ends a value. Shared on the network,
// so that a foreign name reaches the web server's own rule for phpMyAdmin's
// folder (its static files, which no PHP guards).
TEST_F(StackNamesTest, AnyFolderNameServesItsOwnSiteAndKeepsPhpMyAdminLocal) {
  const bool withPhpMyAdmin = THi::FileExists(SharedTree() + "/www/phpmyadmin/favicon.ico");
  int port = 19110;
  for (const std::string name : {"site${HOME}x", "stack [copy]", "o'brien", "50% off", "a;b #c", "back\\slash"}) {
    SCOPED_TRACE(name);
    Tree tree(temp_, name, {.withDatabase = false, .config = ConfigWith(std::to_string(port++), "all")});
    test::WriteFile(tree.root() + "/www/file.php", "<?php echo __FILE__;");
    TerminalRun run(tree.root());
    const int served = run.WaitForHome();
    ASSERT_GT(served, 0) << run.Output();
    const std::string page = HttpGet(served, "/file.php");
    EXPECT_TRUE(Answers200(page)) << page;
    EXPECT_NE(page.find("\r\n\r\n" + tree.root() + "/www/file.php"), std::string::npos) << page;
    if (withPhpMyAdmin) {
      const std::string icon = HttpGetNamed("127.0.0.1", served, "/phpmyadmin/favicon.ico", "rebind.example");
      EXPECT_TRUE(Answers(icon, "403")) << icon;
      EXPECT_TRUE(Answers(HttpGetNamed("127.0.0.1", served, "/phpmyadmin/", "rebind.example"), "403"));
      EXPECT_TRUE(Answers200(HttpGet(served, "/phpmyadmin/favicon.ico")));
    }
    EXPECT_TRUE(Answers(HttpGetNamed("127.0.0.1", served, "/lodestack/index.php", "rebind.example"), "403"));
    run.Type("\x03");
    EXPECT_EQ(run.WaitForExit(), 0) << run.Output();
  }
}

// A name no server can be given as it is: the launcher says so, naming the
// folder, and starts nothing.
TEST_F(StackNamesTest, AFolderNameTheServersCannotHoldIsToldAndNothingStarts) {
  Tree tree(temp_, "two\nlines", {.config = ConfigWith("19120")});
  Launcher launcher(tree.program(), temp_.path());
  EXPECT_TRUE(test::WaitUntil(
      [&] { return launcher.Output().find("cannot run from the folder") != std::string::npos; }, 60s))
      << launcher.Output();
  EXPECT_NE(launcher.Output().find("\"" + tree.root() + "\": its name holds a line break"), std::string::npos)
      << launcher.Output();
  EXPECT_TRUE(Descendants(launcher.pid()).empty()) << "no splash, no server";
  EXPECT_FALSE(THi::FileExists(tree.WorkDir() + "/httpd.conf"));
  EXPECT_FALSE(THi::FileExists(tree.WorkDir() + "/my.ini"));
  launcher.Stop(SIGTERM);
}

}  // namespace
}  // namespace stack_test
