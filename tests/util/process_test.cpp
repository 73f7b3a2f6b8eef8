// Processes through THi, with real child processes: how a program is
// started (command line, folder, show state, environment), finding
// processes by their program file, ending them, and the instance mutex.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "support/test_support.h"
#include "util/command_line.h"
#include "util/hi.h"

namespace {

namespace fs = test::fs;
using test::ChildProgram;
using test::ReadChildReport;
using test::WaitUntil;

class ProcessTest : public test::TempFolderTest {
 protected:
  // A child that sleeps long enough to be looked at; the guard ends it.
  TProcessId StartSleeper(const std::string& program) {
    return guard_.Add(THi::RunProgram(program, "sleep 60000", "", kShowNormal));
  }
  bool Gone(TProcessId pid) {
    return WaitUntil([&] { return !THi::ProcessExists(pid); });
  }
  static std::string UniqueName() {
    static std::atomic<int> counter{0};
    return "lodestack-test-mutex-" + std::to_string(test::CurrentProcessId()) + "-" +
           std::to_string(counter++);
  }
  test::ProcessGuard guard_;
};

TEST_F(ProcessTest, ProgramPathLosesItsQuotesAndParametersArriveUnchanged) {
  if (!test::kChildSeesRawCommandLine)
    GTEST_SKIP() << "a Linux path may hold a double quote, and keeps it "
                    "(AProgramInAnAwkwardFolderGetsItsPathAndArgumentsWhole)";
  const std::string report = Path("report.txt");
  // A quote inside the path is removed before the program is looked up.
  std::string quoted = ChildProgram();
  quoted.insert(quoted.size() - std::string("child").size() - std::string(test::kExeSuffix).size(),
                "\"");
  const std::string params = "report \"" + report + "\" a";
  THi::RunProgramAndWait("\"" + quoted + "\"", params, "", kShowNormal);

  const test::ChildReport got = ReadChildReport(report);
  EXPECT_EQ(got.args, (std::vector<std::string>{"report", report, "a"}));
  if (test::kChildSeesRawCommandLine) {
    EXPECT_EQ(got.Get("cmdline"), "\"" + ChildProgram() + "\" " + params);
  }
}

// A folder name with blanks, a non-ASCII letter and (on Linux) double
// quotes: the program starts, and paths quoted with QuoteArgument arrive whole.
TEST_F(ProcessTest, AProgramInAnAwkwardFolderGetsItsPathAndArgumentsWhole) {
  const std::string folder = Path(test::kAwkwardFolderName);
  fs::create_directory(test::U8Path(folder));
  const std::string program = folder + test::kSep + "test child" + test::kExeSuffix;
  test::CopyProgram(ChildProgram(), program);
  const std::string report = folder + test::kSep + "report.txt";
  THi::RunProgramAndWait(program, "report " + QuoteArguments({report, folder}), "", kShowNormal);

  const test::ChildReport got = ReadChildReport(report);
  EXPECT_EQ(got.args, (std::vector<std::string>{"report", report, folder}));
}

TEST_F(ProcessTest, EmptyParametersLeaveTheTrailingBlank) {
  const std::string report = Path("report.txt");
  test::ScopedEnv reportTo("LODESTACK_TEST_REPORT", report);
  THi::RunProgramAndWait(ChildProgram(), "", "", kShowNormal);

  const test::ChildReport got = ReadChildReport(report);
  EXPECT_TRUE(got.args.empty());
  if (test::kChildSeesRawCommandLine) {
    EXPECT_EQ(got.Get("cmdline"), "\"" + ChildProgram() + "\" ");
  }
}

// A server's standard output and error go to its log, start after start.
TEST_F(ProcessTest, AServersOutputAndErrorsGoToItsLogAndAddUp) {
  const std::string log = Path("server.log");
  for (const std::string words : {"first start", "second start"}) {
    const TProcessId pid = guard_.Add(THi::RunServer(ChildProgram(), "say \"" + words + "\"",
                                                     TChildTie::kNone, log, 0));
    ASSERT_NE(pid, 0u);
    ASSERT_TRUE(Gone(pid));
  }
  const std::string text = test::ReadFile(log);
  for (const char* line : {"\nfirst start", "error: first start", "\nsecond start", "error: second start"})
    EXPECT_NE(("\n" + text).find(line), std::string::npos) << line << " is missing in:\n" << text;
  EXPECT_LT(text.find("first start"), text.find("second start")) << text;
}

TEST_F(ProcessTest, WorkingFolderIsUsedOnlyWhenItExists) {
  const std::string report = Path("report.txt");
  THi::RunProgramAndWait(ChildProgram(), "report \"" + report + "\"", temp_.path(), kShowNormal);
  EXPECT_TRUE(fs::equivalent(test::U8Path(ReadChildReport(report).Get("cwd")),
                             test::U8Path(temp_.path())));

  // A folder that does not exist: the child starts in our current folder.
  const std::string report2 = Path("report2.txt");
  THi::RunProgramAndWait(ChildProgram(), "report \"" + report2 + "\"", Path("missing"),
                         kShowNormal);
  EXPECT_TRUE(fs::equivalent(test::U8Path(ReadChildReport(report2).Get("cwd")),
                             fs::current_path()));
  EXPECT_FALSE(THi::DirectoryExists(Path("missing")));
}

TEST_F(ProcessTest, ShowStateAndEnvironmentReachTheChild) {
  const std::string phprc = Path("php folder");
  test::ScopedEnv restorePhprc("PHPRC", test::GetEnv("PHPRC"));
  ASSERT_TRUE(THi::SetPhprcEnv(phprc));
  const std::string report = Path("report.txt");
  THi::RunProgramAndWait(ChildProgram(), "report \"" + report + "\"", "", kShowMaximized);

  const test::ChildReport got = ReadChildReport(report);
  EXPECT_EQ(got.Get("show"), "3");
  EXPECT_EQ(got.Get("env.PHPRC"), phprc);
}

#if !defined(_WIN32)
TEST_F(ProcessTest, HiddenChildWritesToNowhere) {
  const std::string shown = Path("shown.txt");
  const std::string hidden = Path("hidden.txt");
  THi::RunProgramAndWait(ChildProgram(), "report \"" + shown + "\"", "", kShowNormal);
  THi::RunProgramAndWait(ChildProgram(), "report \"" + hidden + "\"", "", kShowHidden);
  EXPECT_EQ(ReadChildReport(hidden).Get("show"), "0");
  EXPECT_EQ(ReadChildReport(hidden).Get("stdout"), "devnull");
  EXPECT_EQ(ReadChildReport(shown).Get("stdout"), "other");
}
#else
TEST_F(ProcessTest, HiddenChildWritesToNowhere) {
  GTEST_SKIP() << "on Windows the hidden state is a window state only; "
                  "ShowStateAndEnvironmentReachTheChild covers it";
}
#endif

TEST_F(ProcessTest, ProcessesAreFoundByTheirProgramFile) {
  const std::string folderA = Path("a");
  const std::string folderB = Path("b");
  fs::create_directory(test::U8Path(folderA));
  fs::create_directory(test::U8Path(folderB));
  const std::string programA = folderA + test::kSep + "prog" + test::kExeSuffix;
  const std::string programB = folderB + test::kSep + "prog" + test::kExeSuffix;
  test::CopyProgram(ChildProgram(), programA);
  test::CopyProgram(ChildProgram(), programB);

  const TProcessId first = StartSleeper(programA);
  const TProcessId second = StartSleeper(programA);
  const TProcessId elsewhere = StartSleeper(programB);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  ASSERT_NE(elsewhere, 0u);

  TProcessIdList found;
  ASSERT_TRUE(WaitUntil([&] {
    found = THi::FindProcessesByPath(programA);
    return found.size() >= 2;
  })) << "found " << found.size() << " processes of " << programA;
  std::vector<TProcessId> sorted = found;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<TProcessId>{std::min(first, second), std::max(first, second)}));
  EXPECT_EQ(THi::FindProcessByPath(programA), found.front());
  EXPECT_EQ(THi::FindProcessesByPath(programB), TProcessIdList{elsewhere});
  // The same file spelled another way is the same program.
  EXPECT_EQ(THi::FindProcessesByPath(test::AnotherSpelling(programA)), found);
  // A file that does not exist matches nothing, though its name runs elsewhere.
  EXPECT_TRUE(THi::FindProcessesByPath(Path("prog") + test::kExeSuffix).empty());
  EXPECT_EQ(THi::FindProcessByPath(Path("prog") + test::kExeSuffix), 0u);

  EXPECT_EQ(THi::GetParentProcessId(first), static_cast<TProcessId>(test::CurrentProcessId()));
  EXPECT_TRUE(fs::equivalent(test::U8Path(THi::GetProcessPath(first)), test::U8Path(programA)));
}

TEST_F(ProcessTest, ProcessIdsThatExistAndThatDoNot) {
  EXPECT_FALSE(THi::ProcessExists(-1));
  EXPECT_TRUE(THi::ProcessExists(0));  // the system's idle entry
  EXPECT_TRUE(THi::ProcessExists(test::CurrentProcessId()));
  EXPECT_EQ(THi::GetProcessPath(0), "");
  EXPECT_TRUE(fs::equivalent(test::U8Path(THi::GetProcessPath(test::CurrentProcessId())),
                             test::U8Path(THi::GetProgramFile())));
}

// A handle that names no window never equals a real process id; bringing
// it to the front does nothing.
TEST_F(ProcessTest, AHandleThatNamesNoWindowHasNoProcess) {
  EXPECT_EQ(THi::GetWindowProcessId(0), 4294967295u);
  EXPECT_EQ(THi::GetWindowProcessId(0x7ffff123), 4294967295u);
  THi::ForceForeground(0);
  THi::ForceForeground(0x7ffff123);
}

TEST_F(ProcessTest, AnEndedChildNoLongerExists) {
  // Nobody waits for this child: it must not linger as a process.
  const TProcessId pid = THi::RunProgram(ChildProgram(), "exit 3", "", kShowNormal);
  ASSERT_NE(pid, 0u);
  EXPECT_TRUE(Gone(pid));
  EXPECT_FALSE(THi::KillProcess(pid));
  EXPECT_EQ(THi::GetProcessPath(pid), "");
}

#ifndef _WIN32
// A child is held by its pidfd from its start and reaped only by the thread
// that looks at it again: another thread (a toolkit's, taking SIGCHLD)
// never reaps it, so its id cannot pass to another process meanwhile.
TEST_F(ProcessTest, AnEndedChildStaysOursUntilTheStartingThreadLooksAtIt) {
  const TProcessId pid = THi::RunProgram(ChildProgram(), "exit 3", "", kShowNormal);
  ASSERT_NE(pid, 0u);
  const std::string stat = "/proc/" + std::to_string(pid) + "/stat";
  const auto state = [&] {
    const std::string line = THi::FileExists(stat) ? test::ReadFile(stat) : "";
    const std::size_t close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() ? '-' : line[close + 2];
  };
  std::thread other([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
  EXPECT_TRUE(WaitUntil([&] { return state() == 'Z'; })) << "reaped by someone else";
  other.join();
  EXPECT_EQ(state(), 'Z');
  EXPECT_FALSE(THi::KillProcess(pid)) << "an ended child is not signalled";
  EXPECT_EQ(state(), '-') << "the look reaped it";
}
#endif

TEST_F(ProcessTest, KillEndsALiveChildOnceOnly) {
  const TProcessId pid = StartSleeper(ChildProgram());
  ASSERT_NE(pid, 0u);
  ASSERT_TRUE(THi::ProcessExists(pid));
  EXPECT_TRUE(THi::KillProcess(pid));
  EXPECT_TRUE(Gone(pid));
  EXPECT_FALSE(THi::KillProcess(pid));
}

TEST_F(ProcessTest, StartFailureAndWaiting) {
  EXPECT_EQ(THi::RunProgram(Path("missing") + test::kExeSuffix, "", "", kShowNormal), 0u);
  THi::RunProgramAndWait(Path("missing") + test::kExeSuffix, "", "", kShowNormal);  // returns

  // RunProgramAndWait returns only after the child has done its work.
  const std::string done = Path("done.txt");
  THi::RunProgramAndWait(ChildProgram(), "sleep 300 \"" + done + "\"", "", kShowNormal);
  EXPECT_EQ(test::ReadFile(done), "done\n");
}

TEST_F(ProcessTest, InstanceMutexIsTakenOnceUntilItsHolderEnds) {
  const std::string mine = UniqueName();
  EXPECT_TRUE(THi::CreateInstanceMutex(mine));
  EXPECT_FALSE(THi::CreateInstanceMutex(mine));

  // Another process finds our name taken.
  const std::string report = Path("mutex1.txt");
  guard_.Add(THi::RunProgram(ChildProgram(), "mutex " + mine + " \"" + report + "\" 0", "",
                             kShowNormal));
  EXPECT_EQ(ReadChildReport(report).Get("taken"), "0");

  // A name another process holds is taken for us, until that process dies.
  const std::string theirs = UniqueName();
  const std::string report2 = Path("mutex2.txt");
  const TProcessId holder = guard_.Add(THi::RunProgram(
      ChildProgram(), "mutex " + theirs + " \"" + report2 + "\" 60000", "", kShowNormal));
  ASSERT_EQ(ReadChildReport(report2).Get("taken"), "1");
  // Asking whether it is held takes nothing.
  EXPECT_TRUE(THi::InstanceMutexHeld(theirs));
  EXPECT_TRUE(THi::InstanceMutexHeld(theirs));
  EXPECT_FALSE(THi::CreateInstanceMutex(theirs));
  ASSERT_TRUE(THi::KillProcess(holder));
  ASSERT_TRUE(Gone(holder));
  EXPECT_FALSE(THi::InstanceMutexHeld(theirs));
  EXPECT_TRUE(THi::CreateInstanceMutex(theirs));
}

}  // namespace
