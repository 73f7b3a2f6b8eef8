// Backups of the stack's database: one gzip-compressed SQL file of every
// database, users and privileges as statements, made under a global read
// lock so that writes wait instead of being half-included; and restore,
// which keeps a safety backup and goes back to it when the load fails.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace backup {

// The tree's dump and client programs and the running server's client options.
struct TTools {
  std::string dump;
  std::string client;
  std::string options;
  // True once the user asked to stop (Ctrl+C on a terminal): a backup then
  // fails without leaving a file, a restore's load stops and is undone.
  std::function<bool()> stopRequested;
};

// Bytes written (backup) or loaded (restore) so far.
using TProgress = std::function<void(std::uint64_t bytes)>;

struct TOutcome {
  bool ok = false;
  std::string message;  // the result line, or the failure and its reason
  int databases = 0;
  std::uint64_t size = 0;  // of the backup file
};

// The databases the server holds, without its own (mysql, the schemas);
// false with the reason when the client cannot ask.
bool ListDatabases(const TTools& tools, std::vector<std::string>& names, std::string& reason);

// Writes the backup under "<file>.part" and renames it once complete.
TOutcome MakeBackup(const TTools& tools, const std::string& file, const TProgress& progress);

// What a backup file holds; `why` is empty when it is a whole backup.
struct TContents {
  std::string why;
  std::vector<std::string> databases;
};
TContents Inspect(const std::string& file);

// Feeds a backup file to the client as it is: the load step of a restore,
// without its checks and safety backup. The empty text, or why it failed.
std::string LoadBackup(const TTools& tools, const std::string& file, const TProgress& progress);

// Loads `file` after backing up the current state to `safetyFile`. Each
// database the file holds is replaced whole; the others stay. On failure
// the databases the load created are dropped and the safety backup is
// loaded back.
TOutcome Restore(const TTools& tools, const std::string& file, const std::string& safetyFile,
                 const TProgress& progress);

}  // namespace backup
