// The entry routine: with a fake set of roles for every rule, and with the
// real program file, whose processes are followed from start to end.
#include "launcher/entry.h"

#include <gtest/gtest.h>

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
  void Setup(const TArgs&) override { calls.push_back("setup"); }
  void Patch(const std::string& word, const std::string&, const std::string&) override {
    calls.push_back("patch " + word);
  }
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  void Relaunch() override { calls.push_back("relaunch"); }
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
  EXPECT_EQ(Enter({kProgram}, kRelaunchMarker), Calls{"interactive"});
}

TEST(RunEntry, WithArgumentsRunsOneModeThenEndsWhateverTheMarker) {
  for (int show : {kShowNormal, kRelaunchMarker}) {
    EXPECT_EQ(Enter({kProgram, "/config", kProgram, "C:\\new.ini"}, show),
              (Calls{"patch /config", "killself"}));
    EXPECT_EQ(Enter({kProgram, "unknown"}, show), Calls{"killself"});
    EXPECT_EQ(Enter({kProgram, ""}, show), Calls{"killself"});
  }
}

// The real program file. Started as the shell starts it, it is two
// processes in sequence: the first starts the second with the marker and
// ends; the second takes the interactive role (which, until the launcher
// window exists, ends at once) and starts nothing.
void ExpectProcesses(const test::ProcessTree& tree, int count) {
  EXPECT_TRUE(tree.finished) << "the processes did not end";
  EXPECT_EQ(tree.processCount, count);
  EXPECT_EQ(tree.firstExitCode, 0);
  for (int code : tree.otherExitCodes) EXPECT_EQ(code, 0);
}

TEST(Program, WithoutArgumentsIsTwoProcessesInSequence) {
  const test::ProcessTree tree = test::RunProcessTree(test::LodestackProgram(), {}, std::nullopt);
  if (!tree.skipReason.empty()) GTEST_SKIP() << tree.skipReason;
  ExpectProcesses(tree, 2);
}

TEST(Program, WithTheMarkerStartsNoOtherProcess) {
  const test::ProcessTree tree =
      test::RunProcessTree(test::LodestackProgram(), {}, kRelaunchMarker);
  if (!tree.skipReason.empty()) GTEST_SKIP() << tree.skipReason;
  ExpectProcesses(tree, 1);
}

TEST(Program, AnUnknownModeOrMissingFilesEndAtOnce) {
  test::TempFolder temp;
  const std::string missing = temp / "missing.ini";
  const std::vector<std::vector<std::string>> commandLines = {
      {"frobnicate"},
      {"/config", missing, missing},
      {"/config", test::LodestackProgram(), missing},
      {"/setup", missing},
      {"splash", missing},
      {"downsize", "0", "0", "0", "0", "0"}};
  for (const auto& args : commandLines) {
    const test::ProcessTree tree = test::RunProcessTree(test::LodestackProgram(), args, std::nullopt);
    if (!tree.skipReason.empty()) GTEST_SKIP() << tree.skipReason;
    SCOPED_TRACE(args.front());
    ExpectProcesses(tree, 1);
  }
}

}  // namespace
