// The whole stack with the real servers: Apache with PHP and MariaDB from
// the tree tools/make-stack built, started and stopped by the launcher.
#include <signal.h>

#include <filesystem>
#include <random>
#include <thread>

#include "integration/stack_fixture_posix.h"
#include "util/command_line.h"

namespace stack_test {
namespace {

using namespace std::chrono_literals;

// A port the test itself holds, so the launcher must move past it.
class StackTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    if (SharedTree().empty())
      SKIP_FOR_MISSING_TOOL("LODESTACK_STACK_TREE names no tree built by tools/make-stack");
  }
};

std::string IniValue(const std::string& file, const std::string& section, const std::string& key) {
  return THi::ReadIniValue(file, section, key);
}

TEST_F(StackTest, ServesThePageThatReachedTheDatabaseAndStopsEverything) {
  Tree tree(temp_, "stack", {.config = ConfigWith("18080")});
  test::WriteFile(tree.root() + "/data/loose.txt", "left over");
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << launcher.Output();

  const std::string work = tree.WorkDir();
  const int dbPort = std::stoi(IniValue(work + "/my.ini", "mysqld", "port"));
  const std::string page = PageOnceTheDatabaseAnswers(port);
  EXPECT_NE(page.find("200 OK"), std::string::npos) << page;
  EXPECT_NE(page.find("PHP"), std::string::npos);
  EXPECT_NE(page.find("The database answered on 127.0.0.1:" + std::to_string(dbPort)), std::string::npos)
      << page;

  const std::vector<pid_t> children = Descendants(launcher.pid());
  // The web server's parent and at least one worker, and the database server.
  EXPECT_GE(children.size(), 3u);
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
  EXPECT_TRUE(test::WaitUntil([&] {
    for (pid_t pid : children)
      if (Alive(pid)) return false;
    return true;
  }));
  EXPECT_FALSE(THi::DirectoryExists(work));
  EXPECT_FALSE(THi::FileExists(tree.root() + "/data/loose.txt"));
  // The database's own files are no loose files.
  EXPECT_TRUE(THi::FileExists(tree.root() + "/data/aria_log_control"));
}

TEST_F(StackTest, TakenPortsMoveTheServersForThisRunOnly) {
  test::Listener web(18090);
  test::Listener db(3306);
  ASSERT_TRUE(web.ok());
  if (!db.ok()) {
    ASSERT_TRUE(THi::IsPortInUse(3306, true)) << "3306 is neither ours nor taken";
  }
  Tree tree(temp_, "stack", {.config = ConfigWith("18090")});
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 18090) << launcher.Output();

  const std::string work = tree.WorkDir();
  const std::string httpd = test::ReadFile(work + "/httpd.conf");
  EXPECT_NE(httpd.find("Listen 127.0.0.1:" + std::to_string(port) + "\n"), std::string::npos) << httpd;
  EXPECT_EQ(IniValue(work + "/Config.ini", "INI", "port"), "18090");
  const std::string dbPort = IniValue(work + "/my.ini", "mysqld", "port");
  EXPECT_NE(dbPort, "3306");
  EXPECT_EQ(IniValue(work + "/php.ini", "MySQL", "mysql.default_port"), dbPort);
  EXPECT_EQ(IniValue(work + "/php.ini", "MySQLi", "mysqli.default_port"), dbPort);
  EXPECT_NE(PageOnceTheDatabaseAnswers(port).find("The database answered on 127.0.0.1:" + dbPort),
            std::string::npos);
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
}

TEST_F(StackTest, ASecondStartOfTheSameFileEndsSilently) {
  Tree tree(temp_, "stack", {.config = ConfigWith("18100")});
  Launcher first(tree.program(), temp_.path());
  const int port = first.WaitForHome();
  ASSERT_GT(port, 0) << first.Output();

  Launcher second(tree.program(), temp_.path());
  EXPECT_TRUE(test::WaitUntil([&] { return !second.Running(); }, 20s));
  EXPECT_EQ(second.Output(), "");
  EXPECT_TRUE(first.Running());
  EXPECT_NE(HttpGet(port, "/").find("200 OK"), std::string::npos);
  EXPECT_EQ(first.Stop(SIGTERM), 0);
}

TEST_F(StackTest, TwoCopiesInDifferentFoldersRunSideBySide) {
  Tree one(temp_, "one", {.config = ConfigWith("18110")});
  Tree two(temp_, "two", {.config = ConfigWith("18110")});
  Launcher first(one.program(), temp_.path());
  const int firstPort = first.WaitForHome();
  Launcher second(two.program(), temp_.path());
  const int secondPort = second.WaitForHome();
  ASSERT_GT(firstPort, 0) << first.Output();
  ASSERT_GT(secondPort, 0) << second.Output();
  EXPECT_NE(firstPort, secondPort);
  EXPECT_NE(one.WorkDir(), two.WorkDir());
  EXPECT_NE(PageOnceTheDatabaseAnswers(firstPort).find("The database answered"), std::string::npos);
  EXPECT_NE(PageOnceTheDatabaseAnswers(secondPort).find("The database answered"), std::string::npos);
  EXPECT_EQ(first.Stop(SIGTERM), 0);
  // Stopping one leaves the other serving.
  EXPECT_NE(HttpGet(secondPort, "/").find("200 OK"), std::string::npos);
  EXPECT_EQ(second.Stop(SIGTERM), 0);
}

// A page that adds a row (?add=) and lists every row written so far.
void WriteRowsPage(const Tree& tree) {
  test::WriteFile(tree.root() + "/www/rows.php", R"php(<?php
mysqli_report(MYSQLI_REPORT_ERROR | MYSQLI_REPORT_STRICT);
$db = new mysqli('127.0.0.1', 'root', '', '', (int) ini_get('mysqli.default_port'));
$db->query('CREATE DATABASE IF NOT EXISTS survive');
$db->query('CREATE TABLE IF NOT EXISTS survive.notes (note VARCHAR(40))');
if (isset($_GET['add'])) $db->query("INSERT INTO survive.notes VALUES ('" . $db->real_escape_string($_GET['add']) . "')");
foreach ($db->query('SELECT note FROM survive.notes') as $row) echo 'note:', $row['note'], "\n";
)php");
}

TEST_F(StackTest, RowsWrittenThroughPhpSurviveARestart) {
  Tree tree(temp_, "stack", {.config = ConfigWith("18120")});
  WriteRowsPage(tree);
  {
    Launcher launcher(tree.program(), temp_.path());
    const int port = launcher.WaitForHome();
    ASSERT_GT(port, 0) << launcher.Output();
    PageOnceTheDatabaseAnswers(port);
    EXPECT_NE(HttpGet(port, "/rows.php?add=kept").find("note:kept"), std::string::npos);
    EXPECT_EQ(launcher.Stop(SIGTERM), 0);
  }
  Launcher again(tree.program(), temp_.path());
  const int port = again.WaitForHome();
  ASSERT_GT(port, 0) << again.Output();
  PageOnceTheDatabaseAnswers(port);
  EXPECT_NE(HttpGet(port, "/rows.php").find("note:kept"), std::string::npos);
  EXPECT_EQ(again.Stop(SIGTERM), 0);
}

// Killed at any moment of its start-up, the launcher leaves no server
// behind for long: the database server, still starting up or not, is asked
// to stop once it is ready (a request it gets earlier can hang it), so the
// data written before survives and the next start finds the data free.
TEST_F(StackTest, KillingTheLauncherAtAnyMomentLeavesNothingRunning) {
  Tree tree(temp_, "stack", {.config = ConfigWith("18130")});
  WriteRowsPage(tree);
  {
    Launcher launcher(tree.program(), temp_.path());
    const int port = launcher.WaitForHome();
    ASSERT_GT(port, 0) << launcher.Output();
    PageOnceTheDatabaseAnswers(port);
    ASSERT_NE(HttpGet(port, "/rows.php?add=before").find("note:before"), std::string::npos);
    ASSERT_EQ(launcher.Stop(SIGTERM), 0);
  }
  const unsigned seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  SCOPED_TRACE("moments drawn with seed " + std::to_string(seed));
  std::mt19937 random(seed);
  // The start-up takes about a second here; the moments spread over it and a little past it.
  std::uniform_int_distribution<int> moment(0, 1500);
  for (int kill = 0; kill < 50; ++kill) {
    const int ms = moment(random);
    SCOPED_TRACE("killed after " + std::to_string(ms) + " ms");
    Launcher launcher(tree.program(), temp_.path());
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    launcher.Stop(SIGKILL);
    EXPECT_TRUE(test::WaitUntil([&] { return NothingOfTheTreeRuns(tree); }, 3s));
    // A leftover would make every later case fail as well.
    ASSERT_TRUE(test::WaitUntil([&] { return NothingOfTheTreeRuns(tree); }, 20s));
  }
  Launcher again(tree.program(), temp_.path());
  const int port = again.WaitForHome();
  ASSERT_GT(port, 0) << again.Output();
  PageOnceTheDatabaseAnswers(port);
  EXPECT_NE(HttpGet(port, "/rows.php").find("note:before"), std::string::npos);
  EXPECT_EQ(again.Output().find("stopped unexpectedly"), std::string::npos) << again.Output();
  EXPECT_EQ(again.Stop(SIGTERM), 0);
}

// The database server that was started for the tree, while it runs.
pid_t DatabaseServerOf(const Tree& tree) {
  const TProcessIdList found = THi::FindProcessesByPath(tree.root() + "/bin/mysql/bin/mysqld");
  return found.empty() ? 0 : static_cast<pid_t>(found.front());
}

// Kills the launcher while its database server is held up (SIGSTOP), as
// though that server were still stopping; its id, or 0 when it has none.
pid_t KillLeavingItsDatabaseServerStopping(Launcher& killed, const Tree& tree) {
  const pid_t stopping = DatabaseServerOf(tree);
  if (stopping > 0) kill(stopping, SIGSTOP);
  killed.Stop(SIGKILL);
  return stopping;
}

// Started again while the database server of a killed run is still
// stopping (held up here by a SIGSTOP), the launcher waits for it rather
// than fail on the data it holds.
TEST_F(StackTest, AStartRightAfterAKilledRunWaitsForItsDatabaseServer) {
  Tree tree(temp_, "stack", {.config = ConfigWith("18135")});
  WriteRowsPage(tree);
  pid_t stopping = 0;
  {
    Launcher killed(tree.program(), temp_.path());
    const int port = killed.WaitForHome();
    ASSERT_GT(port, 0) << killed.Output();
    PageOnceTheDatabaseAnswers(port);
    ASSERT_NE(HttpGet(port, "/rows.php?add=kept").find("note:kept"), std::string::npos);
    stopping = KillLeavingItsDatabaseServerStopping(killed, tree);
    ASSERT_GT(stopping, 0);
  }
  Launcher again(tree.program(), temp_.path());
  std::this_thread::sleep_for(2s);
  kill(stopping, SIGCONT);
  const int port = again.WaitForHome();
  ASSERT_GT(port, 0) << again.Output();
  PageOnceTheDatabaseAnswers(port);
  EXPECT_NE(HttpGet(port, "/rows.php").find("note:kept"), std::string::npos);
  EXPECT_EQ(again.Output().find("stopped unexpectedly"), std::string::npos) << again.Output();
  EXPECT_FALSE(Alive(stopping));
  // MariaDB would wait for the lock on its data a while, then give up.
  const std::string log = test::ReadFile(tree.WorkDir() + "/mysqld.log");
  EXPECT_EQ(log.find("Can't lock aria control file"), std::string::npos) << log;
  EXPECT_EQ(again.Stop(SIGTERM), 0);
}

// A web server that cannot start is told in its own words; what the
// launcher started is stopped, and it ends with a non-zero status without
// ever giving the home address.
TEST_F(StackTest, AWebServerThatCannotStartIsToldAndNothingIsLeft) {
  Tree tree(temp_, "stack", {.config = ConfigWith("18185")});
  std::filesystem::remove(tree.root() + "/bin/Apache/mod_mime.so");
  const auto started = std::chrono::steady_clock::now();
  Launcher launcher(tree.program(), temp_.path());
  EXPECT_EQ(launcher.WaitForExit(60s), 1) << launcher.Output();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 30s) << "the web server ended at once";
  const std::string said = launcher.Output();
  EXPECT_EQ(said.find("running at"), std::string::npos) << said;
  EXPECT_NE(said.find("Stack Test: The web server ended before it answered on port 18185."), std::string::npos)
      << said;
  EXPECT_NE(said.find("Cannot load mod_mime.so"), std::string::npos) << said;
  EXPECT_TRUE(NothingOfTheTreeRuns(tree));
  EXPECT_FALSE(THi::DirectoryExists(tree.WorkDir()));
}

// Waits for a line of the launcher's output; how long it took, or the limit.
std::chrono::milliseconds UntilSaid(const Launcher& launcher, const std::string& text) {
  const auto start = std::chrono::steady_clock::now();
  test::WaitUntil([&] { return launcher.Output().find(text) != std::string::npos; }, 20s);
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

constexpr char kDatabaseStopped[] = "Stack Test: The database server has stopped unexpectedly.";

TEST_F(StackTest, ADatabaseServerThatCannotStartIsToldWithinTwoSecondsAndTheSiteIsServed) {
  Tree tree(temp_, "stack", {.config = ConfigWith("18190")});
  std::filesystem::remove_all(tree.root() + "/data/mysql");
  Launcher launcher(tree.program(), temp_.path());
  // The moment the database server ends, seen from outside.
  bool seen = false;
  test::WaitUntil([&] {
    const bool runs = DatabaseServerOf(tree) != 0;
    seen = seen || runs;
    return seen && !runs;
  }, 20s);
  ASSERT_TRUE(seen) << launcher.Output();
  EXPECT_LE(UntilSaid(launcher, kDatabaseStopped), 2s) << launcher.Output();
  const std::string said = launcher.Output();
  EXPECT_NE(said.find("Can't open and lock privilege tables"), std::string::npos) << said;

  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << said;
  const std::string page = HttpGet(port, "/");
  EXPECT_NE(page.find("200 OK"), std::string::npos) << page;
  EXPECT_NE(page.find("The database did not answer"), std::string::npos) << page;
  EXPECT_NE(page.find("Its log ends with"), std::string::npos) << page;
  EXPECT_NE(page.find("privilege tables"), std::string::npos) << page;
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
}

TEST_F(StackTest, ADatabaseServerKilledWhileServingIsToldWithinTwoSeconds) {
  Tree tree(temp_, "stack", {.config = ConfigWith("18195")});
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << launcher.Output();
  PageOnceTheDatabaseAnswers(port);
  const pid_t server = DatabaseServerOf(tree);
  ASSERT_GT(server, 0);
  ASSERT_EQ(kill(server, SIGKILL), 0);
  EXPECT_LE(UntilSaid(launcher, kDatabaseStopped), 2s) << launcher.Output();
  EXPECT_NE(HttpGet(port, "/").find("The database did not answer"), std::string::npos);
  EXPECT_TRUE(launcher.Running()) << "the site is still served";
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
}

// Started from a terminal as a user starts it, the launcher stays the
// terminal's program: Ctrl+C, or closing the terminal, stops the stack
// through its shut-down, and nothing of the run is left in the temporary
// folder.
TEST_F(StackTest, CtrlCOrAClosedTerminalStopsTheStackCleanly) {
  Tree tree(temp_, "stack", {.config = ConfigWith("18160")});
  const std::string hash = THi::Md5Hex(std::filesystem::canonical(tree.program()).string());
  for (const bool closeTerminal : {false, true}) {
    SCOPED_TRACE(closeTerminal ? "terminal closed" : "Ctrl+C");
    TerminalRun run(tree.root());
    const int port = run.WaitForHome();
    ASSERT_GT(port, 0) << run.Output();
    EXPECT_EQ(run.Output().find("Stack Test is running at http://127.0.0.1:"), 0u) << run.Output();
    // The program the terminal started is the launcher itself.
    EXPECT_GE(Descendants(run.pid()).size(), 3u);
    PageOnceTheDatabaseAnswers(port);
    if (closeTerminal) {
      run.Close();
    } else {
      run.Type("\x03");
    }
    EXPECT_EQ(run.WaitForExit(), 0) << run.Output();
    EXPECT_TRUE(test::WaitUntil([&] { return NothingOfTheTreeRuns(tree); }, 20s));
    EXPECT_FALSE(THi::DirectoryExists(tree.WorkDir()));
    for (const std::string& name : test::EntriesOf(THi::GetTempDir()))
      EXPECT_EQ(name.find(hash), std::string::npos) << name << " is left in the temporary folder";
  }
}

// PHP applications name the database host "localhost", which PHP's drivers
// take to mean a Unix socket: the stack's own, whatever port it runs on.
TEST_F(StackTest, PhpReachesTheStacksDatabaseAsLocalhostAndByItsPort) {
  test::Listener taken(3306);
  if (!taken.ok()) {
    ASSERT_TRUE(THi::IsPortInUse(3306, true)) << "3306 is neither ours nor taken";
  }
  Tree tree(temp_, "stack", {.config = ConfigWith("18170")});
  test::WriteFile(tree.root() + "/www/hosts.php", R"php(<?php
mysqli_report(MYSQLI_REPORT_ERROR | MYSQLI_REPORT_STRICT);
$port = (int) ini_get('mysqli.default_port');
$ask = function ($name, $connect) {
  try { echo $name, ':', $connect(), "\n"; } catch (Throwable $e) { echo $name, ' failed: ', $e->getMessage(), "\n"; }
};
$ask('mysqli localhost', fn() => (new mysqli('localhost', 'root', ''))->query('SELECT @@port')->fetch_row()[0]);
$ask('mysqli 127.0.0.1', fn() => (new mysqli('127.0.0.1', 'root', '', '', $port))->query('SELECT @@port')->fetch_row()[0]);
$ask('pdo localhost', fn() => (new PDO('mysql:host=localhost', 'root', ''))->query('SELECT @@port')->fetchColumn());
$ask('pdo 127.0.0.1', fn() => (new PDO("mysql:host=127.0.0.1;port=$port", 'root', ''))->query('SELECT @@port')->fetchColumn());
$ask('charset', fn() => (new mysqli('localhost', 'root', ''))->query('SELECT @@character_set_server')->fetch_row()[0]);
)php");
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << launcher.Output();
  PageOnceTheDatabaseAnswers(port);
  const std::string dbPort = IniValue(tree.WorkDir() + "/my.ini", "mysqld", "port");
  EXPECT_NE(dbPort, "3306");
  const std::string page = HttpGet(port, "/hosts.php");
  for (const char* way : {"mysqli localhost", "mysqli 127.0.0.1", "pdo localhost", "pdo 127.0.0.1"})
    EXPECT_NE(page.find(std::string(way) + ":" + dbPort + "\n"), std::string::npos) << way << "\n" << page;
  EXPECT_NE(page.find("charset:utf8mb4"), std::string::npos) << page;
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
}

TEST_F(StackTest, WithoutTheDatabaseTheWebServerStillStarts) {
  Tree tree(temp_, "stack", {.withDatabase = false, .config = ConfigWith("18140")});
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << launcher.Output();
  const std::string work = tree.WorkDir();
  EXPECT_FALSE(THi::FileExists(work + "/my.ini"));
  EXPECT_EQ(IniValue(work + "/php.ini", "MySQL", "mysql.default_port"), "0");
  const std::string page = HttpGet(port, "/");
  EXPECT_NE(page.find("200 OK"), std::string::npos);
  EXPECT_NE(page.find("No database server runs with this stack"), std::string::npos) << page;
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
}

TEST_F(StackTest, AnExternalBrowserTakesTheSiteAndItsEndEndsTheRun) {
  Tree tree(temp_, "stack", {.config = ConfigWith("18150")});
  // A "browser" that stays a little while: the launcher checks first after
  // five seconds, then until no process of that program is left.
  test::CopyProgram("/bin/dash", tree.root() + "/bin/browser");
  test::WriteFile(tree.root() + "/bin/Browser.ini",
                  "[Browser]\nBrowserPath={BIN}/browser\n"
                  "Parameters=-c \"echo $0 > {bin}/../opened; sleep 7; true\" {url}\n");
  const auto started = std::chrono::steady_clock::now();
  Launcher launcher(tree.program(), temp_.path());
  ASSERT_TRUE(test::WaitUntil([&] { return !launcher.Running(); }, 60s)) << launcher.Output();
  EXPECT_GE(std::chrono::steady_clock::now() - started, 7s);
  const std::string opened = test::ReadFile(tree.root() + "/opened");
  EXPECT_EQ(opened.rfind("http://127.0.0.1:18150", 0), 0u) << opened;
  // The window was never used, and the run was shut down as usual.
  EXPECT_EQ(launcher.Output().find("running at"), std::string::npos) << launcher.Output();
  EXPECT_FALSE(THi::DirectoryExists(tree.WorkDir()));
}

// Served on every interface, the site is shared with the network while the
// database and its tools stay on this machine: another host gets the pages,
// but neither phpMyAdmin nor the database details of the start and help
// pages, and neither does this machine under a name not the stack's own.
// Served on 127.0.0.1, the other host reaches nothing at all.
TEST_F(StackTest, OnTheNetworkTheSiteIsSharedButTheDatabaseAndItsToolsAreNot) {
  const OtherHost other;
  if (!other.whyNot().empty()) SKIP_FOR_MISSING_TOOL(other.whyNot());
  Tree tree(temp_, "shared", {.config = ConfigWith("18180", "all")});
  std::filesystem::copy(SharedTree() + "/www/help", tree.root() + "/www/help",
                        std::filesystem::copy_options::recursive);
  test::WriteFile(tree.root() + "/www/hello.html", "<p>hello from the site");
  const bool withPhpMyAdmin = THi::FileExists(tree.root() + "/www/phpmyadmin/index.php");
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << launcher.Output();
  const std::string dbPort = IniValue(tree.WorkDir() + "/my.ini", "mysqld", "port");

  // This machine: everything as before.
  EXPECT_NE(PageOnceTheDatabaseAnswers(port).find("The database answered on 127.0.0.1:" + dbPort),
            std::string::npos);
  EXPECT_NE(HttpGet(port, "/help/").find("in this run it is <strong>" + dbPort), std::string::npos);
  if (withPhpMyAdmin) {
    EXPECT_TRUE(Answers200(HttpGet(port, "/phpmyadmin/")));
  }

  // The other host: the site, and a word of why the rest is not there.
  EXPECT_TRUE(Answers200(other.HttpGet(port, "/hello.html")));
  const std::string start = other.HttpGet(port, "/");
  EXPECT_TRUE(Answers200(start)) << start;
  EXPECT_NE(start.find("answer only on the computer that runs the stack"), std::string::npos) << start;
  for (const std::string& detail : {std::string("The database answered"), std::string("did not answer"),
                                    std::string("root, without"), dbPort})
    EXPECT_EQ(start.find(detail), std::string::npos) << detail << " in\n" << start;
  const std::string help = other.HttpGet(port, "/help/");
  EXPECT_TRUE(Answers200(help));
  EXPECT_EQ(help.find("in this run it is"), std::string::npos) << help;
  EXPECT_EQ(help.find("href=\"../phpmyadmin/"), std::string::npos);
  if (withPhpMyAdmin) {
    const std::string tool = other.HttpGet(port, "/phpmyadmin/");
    EXPECT_EQ(tool.rfind("HTTP/1.1 403", 0), 0u) << tool;
    EXPECT_NE(tool.find("phpMyAdmin answers only on the computer that runs the stack"), std::string::npos);
    EXPECT_EQ(other.HttpGet(port, "/phpmyadmin/index.php").rfind("HTTP/1.1 403", 0), 0u);
    // Naming the stack by its loopback name does not make the other host local.
    const std::string named = other.HttpGet(port, "/phpmyadmin/", "127.0.0.1");
    EXPECT_EQ(named.rfind("HTTP/1.1 403", 0), 0u) << named;
  }
  EXPECT_EQ(other.HttpGet(port, "/lodestack/", "127.0.0.1").rfind("HTTP/1.1 403", 0), 0u);
  // The pages check the address themselves, and the port of the name.
  EXPECT_EQ(other.HttpGet(port, "/", "127.0.0.1").find("The database answered"), std::string::npos);
  EXPECT_EQ(HttpGetNamed("127.0.0.1", port, "/", "127.0.0.1:1").find("The database answered"), std::string::npos);

  // This machine under another name (a page of another site that pointed
  // its name at this machine): the site, but not the database or its tools.
  const std::string foreign = "rebind.example:" + std::to_string(port);
  EXPECT_TRUE(Answers200(HttpGetNamed("127.0.0.1", port, "/hello.html", foreign)));
  const std::string rebound = HttpGetNamed("127.0.0.1", port, "/", foreign);
  EXPECT_TRUE(Answers200(rebound)) << rebound;
  EXPECT_EQ(rebound.find("The database answered"), std::string::npos) << rebound;
  EXPECT_NE(rebound.find("answer only on the computer that runs the stack"), std::string::npos);
  EXPECT_EQ(HttpGetNamed("127.0.0.1", port, "/help/", foreign).find("in this run it is"), std::string::npos);
  EXPECT_EQ(HttpGetNamed("127.0.0.1", port, "/lodestack/", foreign).rfind("HTTP/1.1 403", 0), 0u);
  if (withPhpMyAdmin) {
    EXPECT_EQ(HttpGetNamed("127.0.0.1", port, "/phpmyadmin/", foreign).rfind("HTTP/1.1 403", 0), 0u);
    EXPECT_TRUE(Answers200(HttpGetNamed("127.0.0.1", port, "/phpmyadmin/", "localhost")));
  }
  EXPECT_EQ(HttpGetAt(other.ourAddress(), std::stoi(dbPort), "/"), "") << "the database listens on 127.0.0.1 only";
  EXPECT_EQ(other.HttpGet(std::stoi(dbPort), "/"), "");
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);

  Tree local(temp_, "local", {.config = ConfigWith("18190")});
  Launcher again(local.program(), temp_.path());
  const int localPort = again.WaitForHome();
  ASSERT_GT(localPort, 0) << again.Output();
  EXPECT_TRUE(Answers200(HttpGet(localPort, "/")));
  EXPECT_EQ(other.HttpGet(localPort, "/"), "") << "served on 127.0.0.1 only";
  EXPECT_EQ(again.Stop(SIGTERM), 0);
}

// A folder name with a double quote, a blank and a non-ASCII letter: the
// servers and the database's guard start from it, the pages and the
// database answer, and everything stops.
TEST_F(StackTest, StartsServesAndStopsFromAFolderNamedWithQuotesBlanksAndAccents) {
  Tree tree(temp_, test::kAwkwardFolderName, {.config = ConfigWith("18200")});
  WriteRowsPage(tree);
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << launcher.Output();
  EXPECT_NE(PageOnceTheDatabaseAnswers(port).find("The database answered"), std::string::npos);
  EXPECT_NE(HttpGet(port, "/rows.php?add=quoted").find("note:quoted"), std::string::npos);
  EXPECT_GE(THi::FindProcessesByPath(tree.program()).size(), 2u) << "the launcher and the database's guard";
  const std::string work = tree.WorkDir();
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
  EXPECT_TRUE(test::WaitUntil([&] { return NothingOfTheTreeRuns(tree); }));
  EXPECT_FALSE(THi::DirectoryExists(work));
}

// The error comes after the database server has started: it is said once,
// and the start ends as every failed start does.
TEST_F(StackTest, APortThatIsNoNumberFailsTheStartWithTheConversionMessage) {
  Tree tree(temp_, "stack", {.config = ConfigWith("eighty")});
  TerminalRun run(tree.root());
  EXPECT_EQ(run.WaitForExit(), 1) << run.Output();
  const std::string said = run.Output();
  const std::string message = "Stack Test: 'eighty' is not a valid integer value";
  const std::size_t at = said.find(message);
  ASSERT_NE(at, std::string::npos) << said;
  EXPECT_EQ(said.find(message, at + 1), std::string::npos) << "said twice:\n" << said;
  EXPECT_EQ(said.find("running at"), std::string::npos) << said;
  EXPECT_TRUE(NothingOfTheTreeRuns(tree));
  EXPECT_FALSE(THi::DirectoryExists(tree.WorkDir()));
}

// A quit while the start waits for a killed run's database server (held
// up here by a SIGSTOP) ends the wait at once: nothing more is started.
TEST_F(StackTest, AQuitDuringTheWaitForAnEarlierRunEndsTheStartWithinASecond) {
  Tree tree(temp_, "stack", {.config = ConfigWith("19300")});
  pid_t stopping = 0;
  {
    Launcher killed(tree.program(), temp_.path());
    ASSERT_GT(killed.WaitForHome(), 0) << killed.Output();
    stopping = KillLeavingItsDatabaseServerStopping(killed, tree);
    ASSERT_GT(stopping, 0);
  }
  Launcher again(tree.program(), temp_.path());
  std::this_thread::sleep_for(2s);
  EXPECT_TRUE(again.Running()) << again.Output();
  const auto asked = std::chrono::steady_clock::now();
  kill(again.pid(), SIGTERM);
  EXPECT_EQ(again.WaitForExit(10s), 0) << again.Output();
  EXPECT_LT(std::chrono::steady_clock::now() - asked, 1500ms);
  EXPECT_TRUE(THi::FindProcessesByPath(tree.root() + "/bin/Apache/Apache").empty());
  EXPECT_EQ(again.Output(), "");
  kill(stopping, SIGCONT);
  EXPECT_TRUE(test::WaitUntil([&] { return NothingOfTheTreeRuns(tree); }, 20s));
}

}  // namespace
}  // namespace stack_test
