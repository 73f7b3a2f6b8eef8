// The entry routine: with a fake set of roles for every rule, and with the
// real program file, whose processes are followed from start to end.
#include "launcher/entry.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "support/test_support.h"
#include "util/hi.h"

namespace {

class FakeRoles : public EntryRoles {
 public:
  std::set<std::string> files{"C:\\app\\lodestack.exe", "C:\\new.ini"};
  std::vector<std::string> calls;

  void DownSize(const TArgs&) override { calls.push_back("downsize"); }
  void Splash(const std::string&) override { calls.push_back("splash"); }
  void Guard(const TArgs&) override { calls.push_back("guard"); }
  void Setup(const TArgs&) override { calls.push_back("setup"); }
  void Patch(const std::string& word, const std::string&, const std::string&) override {
    calls.push_back("patch " + word);
  }
  void Command(const TArgs&) override { calls.push_back("command"); }
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  void Relaunch() override { calls.push_back("relaunch"); }
  void InitializeApplication() override { calls.push_back("initialize"); }
  void RunInteractive() override { calls.push_back("interactive"); }
  void ProcessMessages() override { calls.push_back("messages"); }
  void KillSelf() override { calls.push_back("killself"); }
};

using Calls = std::vector<std::string>;
const std::string kProgram = "C:\\app\\lodestack.exe";

Calls Enter(const TArgs& args, int show) {
  FakeRoles roles;
  RunEntry(args, show, roles);
  return roles.calls;
}

TEST(RunEntry, WithoutArgumentsRelaunchesUnlessMarked) {
  EXPECT_EQ(Enter({kProgram}, kShowNormal), (Calls{"relaunch", "messages", "killself"}));
  EXPECT_EQ(Enter({kProgram}, kShowHidden), (Calls{"relaunch", "messages", "killself"}));
  EXPECT_EQ(Enter({kProgram}, kShowMaximized), (Calls{"relaunch", "messages", "killself"}));
  // Only the interactive start initialises the application (and runs its start hook).
  EXPECT_EQ(Enter({kProgram}, kRelaunchMarker), (Calls{"initialize", "interactive"}));
}

TEST(RunEntry, WithArgumentsRunsOneModeThenEndsWhateverTheMarker) {
  for (int show : {kShowNormal, kRelaunchMarker}) {
    EXPECT_EQ(Enter({kProgram, "/config", kProgram, "C:\\new.ini"}, show),
              (Calls{"patch /config", "killself"}));
    EXPECT_EQ(Enter({kProgram, "unknown"}, show), Calls{"killself"});
    EXPECT_EQ(Enter({kProgram, ""}, show), Calls{"killself"});
  }
}

// The real program file. Started as the shell starts it, it relaunches with
// the marker (two processes in sequence on Windows, the same process again
// on Linux), and the relaunched program takes the interactive role and
// starts no other. The
// interactive role first takes the instance mutex and ends at once when the
// name is taken, so the tests hold that name: the second process then ends
// by itself instead of starting the servers. Each test runs its own copy of
// the program file, whose mutex no other test holds.
class ProgramTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    test::CopyProgram(test::LodestackProgram(), program_);
    // A tree around it, whose files a role that ends at once must not touch
    // (the shut-down would delete the loose files of data).
    for (const char* dir : {"bin/php", "www", "data/mysql"})
      test::fs::create_directories(test::U8Path(Path(dir)));
    test::WriteFile(Path("bin/php/php.ini"), "[PHP]\n");
    test::WriteFile(Path("www/index.php"), "<?php echo 1;");
    test::WriteFile(Path("data/loose.txt"), "loose");
    test::WriteFile(Path("data/mysql/user.frm"), "u");
    ASSERT_TRUE(THi::CreateInstanceMutex(THi::Md5Hex(test::PathAsItsProgramSeesIt(program_))));
    before_ = test::Snapshot(temp_.path());
  }
  test::ProcessTree Run(const std::vector<std::string>& args, std::optional<int> show) {
    return test::RunProcessTree(program_, args, show);
  }
  // The processes ended by themselves with exit code 0, and left the tree as it was.
  void ExpectProcesses(const test::ProcessTree& tree, int count) {
    EXPECT_TRUE(tree.finished) << "the processes did not end";
    EXPECT_EQ(tree.processCount, count);
    EXPECT_EQ(tree.firstExitCode, 0);
    for (int code : tree.otherExitCodes) EXPECT_EQ(code, 0);
    EXPECT_EQ(test::Snapshot(temp_.path()), before_) << "a file of the tree changed";
  }
  std::string program_ = Path(std::string("lodestack") + test::kExeSuffix);
  std::map<std::string, std::string> before_;
};

TEST_F(ProgramTest, WithoutArgumentsRelaunchesOnce) {
  const test::ProcessTree tree = Run({}, std::nullopt);
  if (!tree.skipReason.empty()) GTEST_SKIP() << tree.skipReason;
  ExpectProcesses(tree, test::kRelaunchProcesses);
}

TEST_F(ProgramTest, WithTheMarkerStartsNoOtherProcess) {
  const test::ProcessTree tree = Run({}, kRelaunchMarker);
  if (!tree.skipReason.empty()) GTEST_SKIP() << tree.skipReason;
  ExpectProcesses(tree, 1);
}

TEST_F(ProgramTest, AnUnknownModeOrMissingFilesEndAtOnce) {
  const std::string missing = Path("missing.ini");
  const std::vector<std::vector<std::string>> commandLines = {
      {"frobnicate"},
      {"/config", missing, missing},
      {"/config", program_, missing},
      {"/setup", missing},
      {"splash", missing},
      {"downsize", "0", "0", "0", "0", "0"}};
  for (const auto& args : commandLines) {
    const test::ProcessTree tree = Run(args, std::nullopt);
    if (!tree.skipReason.empty()) GTEST_SKIP() << tree.skipReason;
    SCOPED_TRACE(args.front());
    ExpectProcesses(tree, 1);
  }
}

}  // namespace
