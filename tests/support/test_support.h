// What the tests share: temporary folders, the programs of the build, waits
// with generous limits, and the few platform services a test needs to watch
// the code under test from outside (exit codes, environment, sockets).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "util/hi.h"

namespace test {

namespace fs = std::filesystem;

// Paths cross the THi interface as UTF-8 text on both platforms.
fs::path U8Path(const std::string& utf8);
std::string PathText(const fs::path& path);

// The platform's path separator, and the suffix of program files.
extern const char kSep;
extern const char* const kExeSuffix;
// On Windows a child can read the raw command line it was started with.
extern const bool kChildSeesRawCommandLine;
// Processes a start without arguments takes: Windows starts a second process
// with the relaunch marker; Linux runs the program again in the same one.
extern const int kRelaunchProcesses;
// A folder name hard on command lines and configuration files: blanks, a
// non-ASCII letter and, where the platform allows them, double quotes.
extern const char* const kAwkwardFolderName;

// A fresh folder under the system's temporary folder, removed afterwards.
// Its root is taken once per run, so tests that change TMPDIR do not move it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + separator + name
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

// A test fixture that owns one temporary folder.
class TempFolderTest : public ::testing::Test {
 protected:
  TempFolder temp_;
  std::string Path(const std::string& name) const { return temp_ / name; }
};

// Programs built beside the test program.
std::string ChildProgram();      // test_child
std::string LodestackProgram();  // the program file itself

// Copies a program file and keeps it runnable.
void CopyProgram(const std::string& from, const std::string& to);

// The same existing file under another spelling of its path: through a
// symbolic link to its folder on Linux, in other letter case on Windows.
std::string AnotherSpelling(const std::string& file);

// A symbolic link to a folder; false, with the system's reason, where none
// can be made.
bool MakeFolderLink(const std::string& target, const std::string& link, std::string& whyNot);

// Windows: gives a folder a drive letter of its own; returns the drive's
// root ("R:\\"), or empty with the reason in whyNot.
std::string MapDriveToFolder(const std::string& folder, std::string& whyNot);
void UnmapDrive(const std::string& root, const std::string& folder);

// The full path a program started from this path reports as its own: Linux
// resolves symbolic links, Windows keeps the spelling it was started with.
std::string PathAsItsProgramSeesIt(const std::string& program);

// Whole files, byte for byte.
void WriteFile(const std::string& file, const std::string& bytes);
std::string ReadFile(const std::string& file);  // empty when missing
// Every entry under a folder (relative path -> kind, size, time and the
// bytes of small files), to see that nothing in it changed.
std::map<std::string, std::string> Snapshot(const std::string& folder);
// The names in a folder (none when it is missing).
std::set<std::string> EntriesOf(const std::string& folder);

// Polls until the condition holds; false after the limit.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

// What a test_child `report` wrote: each `arg=` line in order, and the other
// `key=value` lines by key.
struct ChildReport {
  std::vector<std::string> args;
  std::map<std::string, std::string> values;
  bool Has(const std::string& key) const { return values.count(key) != 0; }
  std::string Get(const std::string& key) const;
};
// Waits for the report file (the child renames it into place when complete).
ChildReport ReadChildReport(const std::string& file);

// Ends the processes a test started, when the test ends however it ends.
class ProcessGuard {
 public:
  ~ProcessGuard();
  TProcessId Add(TProcessId pid);

 private:
  std::vector<TProcessId> pids_;
};

// The environment of this process, as children started from now on see it.
std::optional<std::string> GetEnv(const std::string& name);
void SetEnv(const std::string& name, const std::optional<std::string>& value);

// Sets (or, with nullopt, removes) a variable and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

// Restores the current folder afterwards.
class ScopedCurrentFolder {
 public:
  ScopedCurrentFolder() : saved_(fs::current_path()) {}
  ~ScopedCurrentFolder() { fs::current_path(saved_); }

 private:
  fs::path saved_;
};

// A TCP socket listening on 127.0.0.1, held for the object's lifetime.
class Listener {
 public:
  explicit Listener(int port = 0);  // 0: any free port
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;
  bool ok() const { return port_ > 0; }
  int port() const { return port_; }

 private:
  long long socket_ = -1;
  int port_ = -1;
};

// Starts a program the way the user or the shell would and follows every
// process that descends from it until all have ended.
struct ProcessTree {
  std::string skipReason;  // set when the platform cannot follow the tree
  bool finished = false;   // false: the limit passed and the tree was ended
  int processCount = 0;    // every process that ran, the first included
  int firstExitCode = -1;
  // Exit codes of the others where the platform tells them (Linux only).
  std::vector<int> otherExitCodes;
};
// showCommand: the start-up show value (the relaunch marker included);
// nullopt starts the program as a desktop shell would.
ProcessTree RunProcessTree(const std::string& program, const std::vector<std::string>& args,
                           std::optional<int> showCommand);

bool RunningAsRoot();

// True in CI (CI=true), where a test must not skip for want of a tool.
bool InCi();
// Skips a test whose tool is missing from this machine, with its reason; in
// CI the test fails instead, so that it cannot pass unseen.
#define SKIP_FOR_MISSING_TOOL(reason)                                     \
  do {                                                                    \
    const std::string whyNot = (reason);                                  \
    if (::test::InCi()) GTEST_FAIL() << "cannot run in CI: " << whyNot; \
    GTEST_SKIP() << whyNot;                                               \
  } while (0)
// True where the system lets this process write to a read-only file (root
// on Linux). Windows refuses it, and the Windows build does so under Wine too.
bool ReadOnlyFilesAreWritable();
int CurrentProcessId();

// The user id a test takes to run as an ordinary user ("nobody").
inline constexpr int kUnprivilegedId = 65534;
// Runs `body` in a child process that has given up root for kUnprivilegedId,
// so a test that differs for root covers the other case too. Returns what
// the body returned (empty: it passed), or why the child could not run.
// Only root can do this; elsewhere it runs nothing and says so.
std::string RunUnprivileged(const std::function<std::string()>& body);

// The system's temporary folder (the root of every TempFolder).
fs::path SystemTempRoot();

}  // namespace test
