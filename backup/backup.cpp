#include "backup/backup.h"

#include <algorithm>
#include <sstream>

#include "backup/backup_files.h"
#include "backup/gzip_file.h"
#include "backup/piped_child.h"
#include "util/hi.h"

namespace backup {

namespace {

using TArgs = std::vector<std::string>;

constexpr char kCompleted[] = "-- Dump completed";

constexpr char kStopped[] = "stopped by the user";

bool StopRequested(const TTools& tools) { return tools.stopRequested && tools.stopRequested(); }

// The options file must come first: the client reads no other.
TArgs ClientArgs(const TTools& tools, const std::string& program) {
  return {program, "--defaults-file=" + tools.options, "--default-character-set=utf8mb4"};
}

// The client answers Ctrl+C by ending the statement it runs and going on
// with the next, which would leave a load with a gap that reports success;
// it ignores the keys instead, and this process stops feeding it.
TArgs LoadArgs(const TTools& tools) {
  TArgs argv = ClientArgs(tools, tools.client);
  argv.insert(argv.end(), {"--sigint-ignore", "--binary-mode"});
  return argv;
}

std::string FirstLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const std::size_t last = text.rfind('\n');
  return last == std::string::npos ? text : text.substr(last + 1);
}

std::string Why(const std::string& errors, const std::string& otherwise) {
  const std::string line = FirstLine(errors);
  return line.empty() ? otherwise : line;
}

// Runs one statement through the client; its output, or false with the reason.
bool Query(const TTools& tools, const std::string& sql, std::string& output, std::string& reason) {
  TArgs argv = ClientArgs(tools, tools.client);
  argv.insert(argv.end(), {"--sigint-ignore", "--batch", "--skip-column-names", "-e", sql});
  TPipedChild child;
  if (!child.Start(argv, TPipedChild::TDirection::kFromChild, reason)) return false;
  std::string piece;
  while (child.Read(piece)) output += piece;
  std::string errors;
  if (child.Finish(errors) == 0) return true;
  reason = Why(errors, "the database client failed");
  return false;
}

std::string Quoted(const std::string& name) {
  std::string quoted = "`";
  for (char c : name) quoted += c == '`' ? std::string("``") : std::string(1, c);
  return quoted + "`";
}

}  // namespace

std::string LoadBackup(const TTools& tools, const std::string& file, const TProgress& progress) {
  TPipedChild child;
  std::string reason;
  // Binary mode: a dump's blobs and strings may hold any byte.
  if (!child.Start(LoadArgs(tools), TPipedChild::TDirection::kToChild, reason)) return reason;
  std::uint64_t loaded = 0;
  bool clientStopped = false, stopped = false;
  const std::string readError = ReadGzip(file, [&](std::string_view piece) {
    if (StopRequested(tools)) {
      stopped = true;
      return false;
    }
    if (!child.Write(piece)) {
      clientStopped = true;
      return false;
    }
    loaded += piece.size();
    if (progress) progress(loaded);
    return true;
  });
  std::string errors;
  const int status = child.Finish(errors);
  if (stopped) return kStopped;
  if (status != 0 || clientStopped) return Why(errors, "the database client failed");
  if (!readError.empty()) return file + " " + readError;
  return {};
}


bool ListDatabases(const TTools& tools, std::vector<std::string>& names, std::string& reason) {
  std::string output;
  if (!Query(tools, "SHOW DATABASES", output, reason)) return false;
  std::istringstream lines(output);
  for (std::string name; std::getline(lines, name);) {
    if (!name.empty() && name.back() == '\r') name.pop_back();
    // The server's own: users and privileges travel as statements instead.
    if (name.empty() || name == "mysql" || name == "information_schema" || name == "performance_schema" ||
        name == "sys")
      continue;
    names.push_back(name);
  }
  return true;
}

TOutcome MakeBackup(const TTools& tools, const std::string& file, const TProgress& progress) {
  TOutcome outcome;
  std::vector<std::string> databases;
  std::string reason;
  if (!ListDatabases(tools, databases, reason)) {
    outcome.message = "The backup failed: " + reason;
    return outcome;
  }
  // Aria has no snapshot: the global read lock makes writers wait until
  // every table is dumped. IF NOT EXISTS for users keeps the account the
  // stack itself connects with as it is.
  TArgs argv = ClientArgs(tools, tools.dump);
  argv.insert(argv.end(), {"--lock-all-tables", "--system=users", "--insert-ignore", "--add-drop-database",
                           "--routines", "--events", "--triggers", "--hex-blob"});
  if (!databases.empty()) {
    argv.push_back("--databases");
    argv.insert(argv.end(), databases.begin(), databases.end());
  }
  const std::string part = file + ".part";
  TGzipWriter writer;
  TPipedChild child;
  if (!writer.Open(part, reason) || !child.Start(argv, TPipedChild::TDirection::kFromChild, reason)) {
    THi::DeleteFile(part);
    outcome.message = "The backup failed: " + reason;
    return outcome;
  }
  std::string piece, tail;
  bool written = true;
  while (written && child.Read(piece)) {
    written = writer.Write(piece);
    tail = (tail + piece).substr(std::max<std::size_t>(tail.size() + piece.size(), 200) - 200);
    if (progress) progress(writer.BytesIn());
  }
  std::string errors;
  const int status = child.Finish(errors);
  const bool closed = writer.Close();
  if (StopRequested(tools)) {
    reason = kStopped;
  } else if (status != 0) {
    reason = Why(errors, "the dump program failed");
  } else if (!written || !closed) {
    reason = "could not write " + part + " (" + THi::WhyNotWritable(part) + ")";
  } else if (tail.find(kCompleted) == std::string::npos) {
    reason = "the dump ended early";
  } else if (!THi::RenameFile(part, file)) {
    reason = "could not rename " + part + " to " + file;
  }
  if (!reason.empty()) {
    THi::DeleteFile(part);
    outcome.message = "The backup failed: " + reason;
    return outcome;
  }
  outcome.ok = true;
  outcome.databases = static_cast<int>(databases.size());
  std::error_code error;
  outcome.size = std::filesystem::file_size(PathOf(file), error);
  outcome.message = "Backed up " + std::to_string(outcome.databases) + " databases to " + file + " (" +
                    SizeText(outcome.size) + ")";
  return outcome;
}

TContents Inspect(const std::string& file) {
  TContents contents;
  std::string head, line, tail;
  bool headChecked = false;
  const std::string readError = ReadGzip(file, [&](std::string_view piece) {
    if (!headChecked) {
      head.append(piece.substr(0, 4096 - std::min<std::size_t>(head.size(), 4096)));
      if (head.size() >= 4096 || piece.size() < 4096) headChecked = true;
    }
    // Each database the file replaces is created by one line of its own.
    for (char c : piece) {
      if (c != '\n') {
        if (line.size() < 4096) line += c;
        continue;
      }
      const std::string create = "CREATE DATABASE /*!32312 IF NOT EXISTS*/ `";
      if (line.starts_with(create)) {
        std::string name;
        for (std::size_t i = create.size(); i < line.size(); ++i) {
          if (line[i] == '`' && (i + 1 >= line.size() || line[i + 1] != '`')) break;
          if (line[i] == '`') ++i;
          name += line[i];
        }
        contents.databases.push_back(name);
      }
      line.clear();
    }
    tail = (tail + std::string(piece)).substr(std::max<std::size_t>(tail.size() + piece.size(), 200) - 200);
    return true;
  });
  if (!readError.empty()) {
    contents.why = readError;
  } else if (head.find("-- MariaDB dump") == std::string::npos && head.find("-- MySQL dump") == std::string::npos) {
    contents.why = "is not an SQL dump of the database";
  } else if (tail.find(kCompleted) == std::string::npos) {
    contents.why = "is cut short (the dump's last line is missing)";
  }
  return contents;
}

TOutcome Restore(const TTools& tools, const std::string& file, const std::string& safetyFile,
                 const TProgress& progress) {
  TOutcome outcome;
  const TContents contents = Inspect(file);
  if (!contents.why.empty()) {
    outcome.message = "Nothing was restored: " + file + " " + contents.why + ".";
    return outcome;
  }
  std::vector<std::string> before;
  std::string reason;
  if (!ListDatabases(tools, before, reason)) {
    outcome.message = "Nothing was restored: " + reason;
    return outcome;
  }
  const TOutcome safety = MakeBackup(tools, safetyFile, nullptr);
  if (!safety.ok) {
    outcome.message = "Nothing was restored, because the safety backup of the current state failed: " +
                      safety.message.substr(safety.message.find(':') + 2);
    return outcome;
  }
  const std::string failure = LoadBackup(tools, file, progress);
  if (failure.empty()) {
    outcome.ok = true;
    outcome.databases = static_cast<int>(contents.databases.size());
    outcome.message = "Restored " + std::to_string(outcome.databases) + " databases from " + file +
                      "; the state before is in " + safetyFile;
    return outcome;
  }
  // Back to where it was: every database the load made anew goes (whatever
  // statement made it), the rest comes back whole from the safety backup;
  // a second Ctrl+C must not stop that half-way.
  TTools undo = tools;
  undo.stopRequested = nullptr;
  std::vector<std::string> after;
  std::string drops, output, dropFailure;
  if (!ListDatabases(undo, after, dropFailure)) after = contents.databases;
  for (const std::string& name : after)
    if (std::find(before.begin(), before.end(), name) == before.end())
      drops += "DROP DATABASE IF EXISTS " + Quoted(name) + ";";
  if (!drops.empty() && !Query(undo, drops, output, dropFailure)) dropFailure = " (" + dropFailure + ")";
  else dropFailure.clear();
  const std::string rollBack = LoadBackup(undo, safetyFile, nullptr);
  outcome.message = "The restore failed: " + failure + ". ";
  outcome.message += rollBack.empty() && dropFailure.empty()
                         ? "The database is as it was before the restore."
                         : "Going back to the state before failed too" + dropFailure + ": " + rollBack +
                               "; that state is in " + safetyFile + ".";
  return outcome;
}

}  // namespace backup
