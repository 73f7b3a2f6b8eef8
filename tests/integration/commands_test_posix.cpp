// The stack's command line as a user runs it from a terminal: one stack,
// from a folder whose name has blanks and non-ASCII letters, and the
// commands run against it and against the stopped stack.
#include <signal.h>
#include <stdlib.h>

#include <sys/wait.h>

#include <filesystem>
#include <set>
#include <thread>

#include "integration/stack_fixture_posix.h"

namespace stack_test {
namespace {

using namespace std::chrono_literals;

using TResult = TCommandResult;

class CommandsTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    if (SharedTree().empty())
      SKIP_FOR_MISSING_TOOL("LODESTACK_STACK_TREE names no tree built by tools/make-stack");
    std::filesystem::create_directories(Path("project"));
    std::filesystem::create_directories(Path("home"));
  }
  // The command in a terminal of its own, from the user's project folder;
  // `keys` are typed once it runs.
  TResult Run(const Tree& tree, std::vector<std::string> args, const std::string& keys = "") {
    return RunInTerminal(tree, Path("project"), std::move(args), keys, 120s);
  }
};

bool Has(const TResult& result, const std::string& text) {
  return result.output.find(text) != std::string::npos;
}

TEST_F(CommandsTest, PhpTheClientTheDumpComposerAndTheShellUseTheStacksOwnSettings) {
  Tree tree(temp_, "my stäck Ω 'x'",
            {.config = "[INI]\r\nfullscreen=0\r\ntitle=Command Test\r\nport=19500\r\nip=127.0.0.1\r\n"
                       "copyfilestoharddisk=0\r\nbrand=0"});
  const std::string data = std::filesystem::canonical(tree.root()).string() + "/data/";
  setenv("HOME", Path("home").c_str(), 1);
  setenv("SHELL", "/bin/sh", 1);
  const std::set<std::string> before = test::EntriesOf(THi::GetTempDir());

  // Stopped: PHP runs on a php.ini of its own, the client says why it cannot.
  TResult r = Run(tree, {"php", "-r", "echo 'ini=', php_ini_loaded_file(), PHP_EOL, getcwd();"});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Has(r, "ini=" + THi::GetTempDir() + "/lodestack-command-")) << r.output;
  EXPECT_TRUE(Has(r, Path("project"))) << r.output;
  r = Run(tree, {"mysql", "-e", "select 1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Has(r, "the stack's database is not running.")) << r.output;

  TerminalRun stack(tree.root());
  ASSERT_GT(stack.WaitForHome(), 0) << stack.Output();
  ASSERT_TRUE(test::WaitUntil([&] { return Run(tree, {"mysql", "-e", "select 1"}).status == 0; }, 60s));

  const std::string query = "select @@datadir";
  r = Run(tree, {"php", "-r", "echo (new mysqli('localhost','root',''))->query('" + query +
                                  "')->fetch_row()[0], '|', (new mysqli('127.0.0.1','root',''))->query('" +
                                  query + "')->fetch_row()[0];"});
  EXPECT_TRUE(Has(r, data + "|" + data)) << r.output;
  EXPECT_EQ(Run(tree, {"php", "-r", "exit(3);"}).status, 3);
  const std::string odd = "a \"quoted\" it's Grüße 日本";
  r = Run(tree, {"php", "-r", "echo '<', $argv[1], '>';", odd});
  EXPECT_TRUE(Has(r, "<" + odd + ">")) << r.output;

  r = Run(tree, {"mysql", "-N", "-e", query});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Has(r, data)) << r.output;
  r = Run(tree, {"mysqldump", "--all-databases"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Has(r, "-- MariaDB dump")) << r.output.substr(0, 400);

  // Ctrl+C reaches PHP, which ends as if started directly, and nothing stays.
  r = Run(tree, {"php", "-r", "sleep(100);"}, "\x03");
  EXPECT_EQ(r.status, 128 + SIGINT) << r.output;
  EXPECT_TRUE(THi::FindProcessesByPath(std::filesystem::canonical(tree.root() + "/bin/php/php")).empty());

  // Composer installs from a local path repository and keeps out of the home folder.
  std::filesystem::create_directories(Path("lib/src"));
  test::WriteFile(Path("lib/composer.json"),
                  R"({"name":"demo/greet","version":"1.0.0","autoload":{"psr-4":{"Demo\\":"src/"}}})");
  test::WriteFile(Path("lib/src/Greet.php"),
                  "<?php namespace Demo; class Greet { static function hi() { return 'greetings'; } }");
  test::WriteFile(Path("project/composer.json"),
                  R"({"repositories":[{"type":"path","url":"../lib"}],"require":{"demo/greet":"*"}})");
  r = Run(tree, {"composer", "install", "--no-interaction"});
  EXPECT_EQ(r.status, 0) << r.output;
  r = Run(tree, {"php", "-r", "require 'vendor/autoload.php'; echo Demo\\Greet::hi();"});
  EXPECT_TRUE(Has(r, "greetings")) << r.output;
  EXPECT_TRUE(test::EntriesOf(Path("home")).empty());
  EXPECT_TRUE(THi::DirectoryExists(tree.WorkDir() + "/composer/cache"));

  r = Run(tree, {"shell"}, "php -v; mysql -N -e 'select @@datadir'; exit 4\n");
  EXPECT_EQ(r.status, 4) << r.output;
  EXPECT_TRUE(Has(r, "Lodestack shell of")) << r.output;
  EXPECT_TRUE(Has(r, "PHP 8.2")) << r.output;
  EXPECT_TRUE(Has(r, data)) << r.output;
  EXPECT_TRUE(stack.WaitForHome() > 0 && waitpid(stack.pid(), nullptr, WNOHANG) == 0);
  // A closed terminal ends the shell; the command still tidies up after it.
  {
    TerminalRun closed(Path("project"), {tree.program(), "shell"});
    std::this_thread::sleep_for(1500ms);
    closed.Close();
    EXPECT_NE(closed.WaitForExit(20s), -1);
  }

  stack.Type("\x03");
  EXPECT_EQ(stack.WaitForExit(), 0) << stack.Output();
  for (const std::string& name : test::EntriesOf(THi::GetTempDir()))
    EXPECT_TRUE(before.count(name) || name.find("lodestack-command-") != 0) << name << " is left behind";
}

}  // namespace
}  // namespace stack_test
