// A cut of the power, as far as a test can make one: every process of the
// stack (launcher, guard, web server and database server) is stopped and
// killed at once while PHP writes rows. The next start must serve at once
// and find every row the site had acknowledged; also where the killed
// processes stay zombies because their new parent does not reap them.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "integration/stack_fixture_posix.h"

extern char** environ;

namespace stack_test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A page that adds one row (?n=) and says so, and one that lists them all.
void WriteRowPages(const Tree& tree) {
  test::WriteFile(tree.root() + "/www/add.php", R"php(<?php
mysqli_report(MYSQLI_REPORT_ERROR | MYSQLI_REPORT_STRICT);
$db = new mysqli('127.0.0.1', 'root', '', '', (int) ini_get('mysqli.default_port'));
$db->query('CREATE DATABASE IF NOT EXISTS cut');
$db->query('CREATE TABLE IF NOT EXISTS cut.rows (n INT, pad VARCHAR(1000))');
if (isset($_GET['fill'])) {
  // About 10 MB: ten thousand rows of a thousand bytes.
  $db->query("INSERT INTO cut.rows VALUES (0, REPEAT('x', 1000))");
  for ($i = 0; $i < 13; $i++) $db->query('INSERT INTO cut.rows SELECT 0, pad FROM cut.rows');
  $db->query('INSERT INTO cut.rows SELECT 0, pad FROM cut.rows LIMIT 2048');
}
if (isset($_GET['n'])) {
  $db->query('INSERT INTO cut.rows VALUES (' . (int) $_GET['n'] . ", '')");
  echo 'ok ', (int) $_GET['n'], "\n";
}
if (isset($_GET['list'])) foreach ($db->query('SELECT n FROM cut.rows WHERE n > 0') as $row) echo $row['n'], "\n";
)php");
}

// Processes of the tree's run: those of its program files, and the database
// server, whose program is shared, by its configuration in the work folder.
std::vector<pid_t> ProcessesOf(const Tree& tree) {
  std::vector<pid_t> found;
  const std::string work = tree.WorkDir();
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = std::stoi(name);
    if (!Alive(pid)) continue;
    const std::string exe = THi::GetProcessPath(static_cast<TProcessId>(pid));
    std::ifstream in(entry.path() / "cmdline");
    const std::string command((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const bool database = exe.ends_with("/mysqld") || exe.ends_with("/mariadbd");
    const bool ours = exe.rfind(tree.root() + "/", 0) == 0 ||
                      (database && command.find(work + "/my.ini") != std::string::npos);
    if (ours) found.push_back(pid);
  }
  return found;
}

// Stops every process of the run, then kills them all: none sees another go.
void CutThePower(const Tree& tree) {
  std::set<pid_t> stopped;
  for (int pass = 0; pass < 3; ++pass) {
    for (pid_t pid : ProcessesOf(tree))
      if (stopped.insert(pid).second) kill(pid, SIGSTOP);
  }
  for (pid_t pid : stopped) kill(pid, SIGKILL);
}

// Writes rows one after the other to whichever run serves now (port 0:
// none); the rows the site acknowledged are kept.
class Writer {
 public:
  Writer() : thread_([this] { Run(); }) {}
  ~Writer() {
    done_ = true;
    thread_.join();
  }
  void ServeOn(int port) { port_ = port; }
  std::vector<int> Acknowledged() {
    std::lock_guard<std::mutex> lock(mutex_);
    return acknowledged_;
  }

 private:
  void Run() {
    int n = 0;
    while (!done_) {
      const int port = port_;
      if (port == 0) {
        std::this_thread::sleep_for(10ms);
        continue;
      }
      ++n;
      const std::string reply = HttpGet(port, "/add.php?n=" + std::to_string(n));
      if (reply.find("\nok " + std::to_string(n) + "\n") != std::string::npos) {
        std::lock_guard<std::mutex> lock(mutex_);
        acknowledged_.push_back(n);
      }
    }
  }
  std::atomic<bool> done_{false};
  std::atomic<int> port_{0};
  std::mutex mutex_;
  std::vector<int> acknowledged_;
  std::thread thread_;
};

// The rows the run's database holds; empty when it does not answer.
std::set<int> RowsOf(int port) {
  std::set<int> rows;
  const std::string page = HttpGet(port, "/add.php?list=1");
  const std::size_t body = page.find("\r\n\r\n");
  if (body == std::string::npos || page.rfind("HTTP/1.1 200", 0) != 0) return rows;
  std::istringstream lines(page.substr(body + 4));
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) rows.insert(std::stoi(line));
  return rows;
}

// Ten cuts at random moments. `start` starts the next run and returns the
// port it serves on once it says so (0: it did not).
void TenCuts(const Tree& tree, const std::function<int()>& start) {
  const unsigned seed = static_cast<unsigned>(Clock::now().time_since_epoch().count());
  SCOPED_TRACE("moments drawn with seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> moment(0, 1500);
  Writer writer;
  for (int cut = 0; cut <= 10; ++cut) {
    SCOPED_TRACE("start after cut " + std::to_string(cut));
    const auto started = Clock::now();
    const int port = start();
    ASSERT_GT(port, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return HttpGet(port, "/").rfind("HTTP/1.1 200", 0) == 0; }, 3s));
    const auto served = Clock::now() - started;
    EXPECT_LT(served, 3s);
    // The database answers once its own recovery is done.
    ASSERT_NE(PageOnceTheDatabaseAnswers(port).find("The database answered"), std::string::npos);
    const auto recovered = Clock::now() - started;
    const std::set<int> rows = RowsOf(port);
    std::printf("start %d: served after %lld ms, the database's rows after %lld ms\n", cut,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(served).count()),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(recovered).count()));
    for (int n : writer.Acknowledged()) EXPECT_EQ(rows.count(n), 1u) << "row " << n << " was acknowledged";
    if (cut == 0) {
      ASSERT_NE(HttpGet(port, "/add.php?fill=1").find("200 OK"), std::string::npos);
    }
    if (cut == 10) break;
    writer.ServeOn(port);
    std::this_thread::sleep_for(std::chrono::milliseconds(moment(random)));
    CutThePower(tree);
    writer.ServeOn(0);
    ASSERT_TRUE(test::WaitUntil([&] { return ProcessesOf(tree).empty(); }, 5s));
  }
  EXPECT_GT(writer.Acknowledged().size(), 10u) << "the site wrote hardly anything";
}

class PowerCutTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    if (SharedTree().empty())
      SKIP_FOR_MISSING_TOOL("LODESTACK_STACK_TREE names no tree built by tools/make-stack");
  }
};

int PortSaid(const std::string& output) {
  const std::string marker = "running at http://127.0.0.1:";
  const std::size_t at = output.find(marker);
  return at == std::string::npos ? 0 : std::atoi(output.c_str() + at + marker.size());
}

TEST_F(PowerCutTest, EachStartAfterACutServesAtOnceWithEveryAcknowledgedRow) {
  Tree tree(temp_, "stack", {.config = ConfigWith("19320")});
  WriteRowPages(tree);
  std::unique_ptr<Launcher> run;
  TenCuts(tree, [&] {
    run = std::make_unique<Launcher>(tree.program(), temp_.path());
    return run->WaitForHome();
  });
  EXPECT_EQ(run->Stop(SIGTERM), 0) << run->Output();
}

// PID 1 of a PID namespace of the test's own that does not reap
// (nonreaping_init): the killed runs' processes become its children and
// stay zombies, and it starts every run.
class NonReapingNamespace {
 public:
  NonReapingNamespace(const std::string& program, const std::string& log) : log_(log) {
    int in[2];
    if (pipe2(in, O_CLOEXEC) != 0) return;
    const std::string init = THi::GetAppPath() + "nonreaping_init";
    std::vector<std::string> args{"unshare", "--pid", "--fork", "--mount-proc", init, program, log};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    if (posix_spawnp(&pid_, "unshare", &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    input_ = in[1];
  }
  // The end of its input ends the init, and the namespace with it.
  ~NonReapingNamespace() {
    if (input_ >= 0) close(input_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  NonReapingNamespace(const NonReapingNamespace&) = delete;
  NonReapingNamespace& operator=(const NonReapingNamespace&) = delete;

  bool ok() const { return pid_ > 0; }
  // Starts a run; the port it serves on once it says so, or 0.
  int Start() {
    const std::size_t before = test::ReadFile(log_).size();
    if (write(input_, "\n", 1) != 1) return 0;
    int port = 0;
    test::WaitUntil([&] { return (port = PortSaid(test::ReadFile(log_).substr(before))) != 0; }, 60s);
    return port;
  }

 private:
  std::string log_;
  pid_t pid_ = -1;
  int input_ = -1;
};

TEST_F(PowerCutTest, UnderAParentThatDoesNotReapTheKilledRunsZombiesDoNotStopTheNextStart) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can make a PID namespace";
  Tree tree(temp_, "stack", {.config = ConfigWith("19330")});
  WriteRowPages(tree);
  const std::string log = temp_.path() + "/namespace.log";
  NonReapingNamespace space(tree.program(), log);
  ASSERT_TRUE(space.ok());
  TenCuts(tree, [&] { return space.Start(); });
  SCOPED_TRACE(test::ReadFile(log));
  EXPECT_EQ(test::ReadFile(log).find("already running"), std::string::npos);
}

}  // namespace
}  // namespace stack_test
