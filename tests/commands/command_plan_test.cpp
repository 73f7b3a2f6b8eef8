// Which program each command word runs, with which arguments and settings,
// for a running and a stopped stack and a tree that Down Size slimmed.
#include "commands/command_plan.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using commands::PlanCommand;
using commands::TPlan;
using commands::TStack;

const std::string kApp = "/media/usb stick/Stäck 'one'/";

std::string Env(const TPlan& plan, const std::string& name) {
  for (const auto& [key, value] : plan.env)
    if (key == name) return value;
  return "<unset>";
}

class CommandPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stack.appPath = kApp;
    stack.programFile = kApp + "lodestack";
    stack.workDir = "/tmp/lodestack-0/0123abcd";
    stack.clientOptions = stack.workDir + "/client.cnf";
    stack.path = "/usr/bin:/bin";
    stack.fileExists = [this](const std::string& file) { return !missing.count(file); };
  }
  TPlan Plan(std::vector<std::string> words) {
    words.insert(words.begin(), stack.programFile);
    return PlanCommand(words, stack);
  }
  TStack stack;
  std::set<std::string> missing;
};

TEST_F(CommandPlanTest, PhpRunsTheTreesProgramWithTheArgumentsUnchangedAndOnlyTheStacksIni) {
  const TPlan plan = Plan({"php", "-r", "echo \"a b\";", "it's", "Grüße 日本"});
  EXPECT_EQ(plan.argv, (std::vector<std::string>{kApp + "bin/php/php", "-r", "echo \"a b\";", "it's",
                                                 "Grüße 日本"}));
  EXPECT_EQ(Env(plan, "PHPRC"), stack.workDir);
  EXPECT_EQ(Env(plan, "PHP_INI_SCAN_DIR"), "");
  EXPECT_TRUE(plan.message.empty());

  stack.workDir.clear();
  stack.privateDir = "/tmp/lodestack-command-x";
  EXPECT_EQ(Env(Plan({"php", "-v"}), "PHPRC"), stack.privateDir);
  EXPECT_TRUE(commands::NeedsPhpIni("php") && commands::NeedsPhpIni("composer"));
  EXPECT_FALSE(commands::NeedsPhpIni("mysql"));
}

TEST_F(CommandPlanTest, TheDatabaseCommandsReadOnlyTheClientOptionFile) {
  const TPlan client = Plan({"mysql", "-N", "-e", "select @@datadir"});
  EXPECT_EQ(client.argv, (std::vector<std::string>{kApp + "bin/mysql/bin/mariadb",
                                                   "--defaults-file=" + stack.clientOptions, "-N", "-e",
                                                   "select @@datadir"}));
  EXPECT_EQ(Plan({"mysqldump", "--all-databases"}).argv[0], kApp + "bin/mysql/bin/mariadb-dump");

  stack.clientOptions.clear();
  for (const char* word : {"mysql", "mysqldump"}) {
    const TPlan stopped = Plan({word});
    EXPECT_TRUE(stopped.argv.empty());
    EXPECT_EQ(stopped.status, 1);
    EXPECT_EQ(stopped.message, "lodestack: the stack's database is not running.");
  }
}

TEST_F(CommandPlanTest, AProgramDownSizeRemovedIsNamedAndEndsWith127) {
  missing = {kApp + "bin/mysql/bin/mariadb", kApp + "bin/php/php"};
  for (const auto& [word, component] : std::vector<std::pair<std::string, std::string>>{
           {"mysql", "MySQL"}, {"php", "PHP's command-line program"}, {"composer", "PHP's command-line program"}}) {
    const TPlan plan = Plan({word});
    EXPECT_TRUE(plan.argv.empty()) << word;
    EXPECT_EQ(plan.status, 127) << word;
    EXPECT_NE(plan.message.find(component), std::string::npos) << plan.message;
  }
  // Not running and removed: what is missing is the better answer.
  stack.clientOptions.clear();
  EXPECT_EQ(Plan({"mysql"}).status, 127);
}

TEST_F(CommandPlanTest, ComposerRunsOnTheStacksPhpWithItsHomeInsideTheStacksFolders) {
  const TPlan plan = Plan({"composer", "install", "--no-dev"});
  EXPECT_EQ(plan.argv, (std::vector<std::string>{kApp + "bin/php/php", kApp + "bin/composer/bin/composer",
                                                 "install", "--no-dev"}));
  EXPECT_EQ(Env(plan, "PHPRC"), stack.workDir);
  EXPECT_EQ(Env(plan, "COMPOSER_HOME"), stack.workDir + "/composer");
  EXPECT_EQ(Env(plan, "COMPOSER_CACHE_DIR"), stack.workDir + "/composer/cache");
  missing = {kApp + "bin/composer/bin/composer"};
  EXPECT_EQ(Plan({"composer"}).status, 127);
}

TEST_F(CommandPlanTest, TheShellPutsWrappersOfTheFourCommandsFirstOnThePath) {
  stack.privateDir = "/tmp/lodestack-command-y";
  stack.shell = "/bin/zsh";
  const TPlan plan = Plan({"shell"});
  EXPECT_EQ(plan.argv, std::vector<std::string>{"/bin/zsh"});
  EXPECT_EQ(Env(plan, "PATH"), stack.privateDir + ":/usr/bin:/bin");
  EXPECT_EQ(Env(plan, "PHPRC"), stack.workDir);
  EXPECT_EQ(Env(plan, "PHP_INI_SCAN_DIR"), "");
  ASSERT_EQ(plan.files.size(), 4u);
  EXPECT_TRUE(plan.executable);
  // The program path holds a quote of its own: sh gets it back whole.
  EXPECT_EQ(plan.files[0].first, "php");
  EXPECT_EQ(plan.files[0].second,
            "#!/bin/sh\nexec '/media/usb stick/Stäck '\\''one'\\''/lodestack' php \"$@\"\n");
  EXPECT_NE(plan.message.find("shell"), std::string::npos);
  EXPECT_EQ(plan.message.find("not running"), std::string::npos);

  // bash reads the user's start-up file through one that puts the wrappers first again.
  stack.shell = "/usr/bin/bash";
  const TPlan bash = Plan({"shell"});
  EXPECT_EQ(bash.argv, (std::vector<std::string>{"/usr/bin/bash", "--rcfile", stack.privateDir + "/bashrc"}));
  ASSERT_EQ(bash.files.size(), 5u);
  EXPECT_EQ(bash.files[4].second, "[ -f ~/.bashrc ] && . ~/.bashrc\nPATH='" + stack.privateDir +
                                      "':\"$PATH\"\nPS1=\"(lodestack) $PS1\"\n");

  stack.shell.clear();
  stack.clientOptions.clear();
  const TPlan plain = Plan({"shell"});
  EXPECT_EQ(plain.argv, std::vector<std::string>{"/bin/sh"});
  EXPECT_NE(plain.message.find("The stack's database is not running."), std::string::npos);
}

TEST_F(CommandPlanTest, HelpListsTheCommandsAndOtherWordsRunNothing) {
  const TPlan help = Plan({"help"});
  EXPECT_TRUE(help.argv.empty());
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"php", "mysql", "mysqldump", "composer", "shell"})
    EXPECT_NE(help.output.find(std::string("  ") + word), std::string::npos) << word;
  EXPECT_TRUE(Plan({"phpx"}).argv.empty());
}

TEST_F(CommandPlanTest, TheWindowsShellIsCmdWithTheTreesFoldersFirstAndPhprc) {
  stack.appPath = "C:\\Stack Ü\\";
  stack.path = "C:\\Windows\\system32";
  stack.comSpec = "C:\\Windows\\system32\\cmd.exe";
  stack.workDir = "C:\\Temp\\0123abcd";
  TPlan plan = commands::PlanWindowsShell(stack);
  EXPECT_EQ(plan.argv, std::vector<std::string>{stack.comSpec});
  EXPECT_EQ(Env(plan, "PATH"), "C:\\Stack Ü\\bin\\php;C:\\Stack Ü\\bin\\mysql\\bin;C:\\Windows\\system32");
  EXPECT_EQ(Env(plan, "PHPRC"), stack.workDir);
  stack.workDir.clear();
  stack.comSpec.clear();
  plan = commands::PlanWindowsShell(stack);
  EXPECT_EQ(plan.argv, std::vector<std::string>{"cmd.exe"});
  EXPECT_EQ(Env(plan, "PHPRC"), "C:\\Stack Ü\\bin\\php");
}

TEST(TerminalCommand, RunsTheShellOfThisProgramFileInTheChosenTerminal) {
  EXPECT_EQ(commands::TerminalCommand("", "/a b/lodestack"),
            (std::vector<std::string>{"x-terminal-emulator", "-e", "/a b/lodestack", "shell"}));
  EXPECT_EQ(commands::TerminalCommand("xterm", "/x")[0], "xterm");
}

}  // namespace
