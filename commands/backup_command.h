// The words backup and restore: the running stack's database saved to one
// file and loaded back from one, with progress on the terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "backup/backup.h"
#include "commands/command_plan.h"

namespace commands {

// "" on Linux, ".exe" on Windows.
extern const char* const kProgramSuffix;

// The tree's dump and client programs with the running stack's client
// options (empty while its database does not run).
backup::TTools BackupTools(const TStack& stack);
// What is missing for a backup or a restore, in the user's words; empty when nothing.
std::string WhyNoBackup(const TStack& stack, const backup::TTools& tools);
// The stack's configured title, which names its backups.
std::string StackTitle(const TStack& stack);
// The name of a new backup in the folder, made now.
std::string NewBackupFile(const std::string& folder, const std::string& title, bool automatic);

// Calls `show` with the bytes so far once the work has taken a second, then
// at most every tenth of a second.
class TProgressPace {
 public:
  explicit TProgressPace(std::function<void(std::uint64_t)> show);
  void operator()(std::uint64_t bytes);
  bool Shown() const { return shown_; }

 private:
  std::function<void(std::uint64_t)> show_;
  std::chrono::steady_clock::time_point start_, last_;
  bool shown_ = false;
};

// args[1] is "backup" or "restore"; stopRequested tells when the user has
// pressed Ctrl+C. Returns the exit status.
int RunBackupCommand(const TArgs& args, const TStack& stack, const std::string& startFolder,
                     std::function<bool()> stopRequested);

}  // namespace commands
