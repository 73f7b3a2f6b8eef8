#include "commands/backup_command.h"

#include <cstdio>
#include <ctime>

#include "backup/backup_files.h"
#include "util/hi.h"
#include "util/platform.h"

namespace commands {

namespace {

std::string Absolute(const std::string& startFolder, const std::string& file) {
  const std::filesystem::path path = backup::PathOf(file);
  if (path.is_absolute() || startFolder.empty()) return file;
  const std::u8string joined = (backup::PathOf(startFolder) / path).lexically_normal().u8string();
  return std::string(joined.begin(), joined.end());
}

int Fail(const std::string& message, int status = 1) {
  std::fprintf(stderr, "lodestack: %s\n", message.c_str());
  return status;
}

// The running count on one terminal line, ended when the work is done.
struct TTerminalProgress {
  explicit TTerminalProgress(const char* label)
      : pace([label](std::uint64_t bytes) {
          std::fprintf(stderr, "\r%s: %s so far   ", label, backup::SizeText(bytes).c_str());
          std::fflush(stderr);
        }) {}
  ~TTerminalProgress() {
    if (pace.Shown()) std::fputs("\n", stderr);
  }
  TProgressPace pace;
};

int Backup(const TArgs& args, const TStack& stack, const backup::TTools& tools, const std::string& startFolder) {
  std::string file;
  if (args.size() > 2) {
    file = Absolute(startFolder, args[2]);
  } else {
    const std::string folder = backup::BackupFolder(stack.appPath);
    const std::string why = backup::PrepareFolder(folder);
    if (!why.empty())
      return Fail("cannot write the backup into " + folder + " (" + why + "); give a FILE to write it to: " +
                  stack.programFile + " backup FILE");
    file = NewBackupFile(folder, StackTitle(stack), false);
  }
  backup::TOutcome outcome;
  {
    TTerminalProgress progress("Backing up");
    outcome = backup::MakeBackup(tools, file, [&](std::uint64_t bytes) { progress.pace(bytes); });
  }
  if (!outcome.ok) return Fail(outcome.message);
  std::printf("%s\n", outcome.message.c_str());
  std::fflush(stdout);
  return 0;
}

int Restore(const TArgs& args, const TStack& stack, const backup::TTools& tools, const std::string& startFolder) {
  std::string file;
  bool yes = false;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--yes")
      yes = true;
    else if (file.empty())
      file = Absolute(startFolder, args[i]);
  }
  if (file.empty()) return Fail("restore needs the backup: " + stack.programFile + " restore FILE --yes", 2);
  const backup::TContents contents = backup::Inspect(file);
  if (!contents.why.empty()) return Fail("nothing was restored: " + file + " " + contents.why + ".");
  if (!yes) {
    std::string names;
    for (const std::string& name : contents.databases) names += (names.empty() ? "" : ", ") + name;
    return Fail("restoring " + file + " replaces the databases it holds (" + (names.empty() ? "none" : names) +
                ") and keeps the others; the site's writes during the restore may be lost. "
                "Add --yes to restore it.");
  }
  const std::string folder = backup::BackupFolder(stack.appPath);
  const std::string why = backup::PrepareFolder(folder);
  if (!why.empty())
    return Fail("nothing was restored: the safety backup of the current state cannot be written into " + folder +
                " (" + why + ").");
  const std::string safety = NewBackupFile(folder, StackTitle(stack), true);
  backup::TOutcome outcome;
  {
    TTerminalProgress progress("Restoring");
    outcome = backup::Restore(tools, file, safety, [&](std::uint64_t bytes) { progress.pace(bytes); });
  }
  backup::PruneAutomatic(folder);
  if (!outcome.ok) return Fail(outcome.message);
  std::printf("%s\n", outcome.message.c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace

backup::TTools BackupTools(const TStack& stack) {
  const std::string bin = stack.appPath + "bin" + platform::kPathDelim + "mysql" + platform::kPathDelim + "bin" +
                          platform::kPathDelim;
  return {bin + "mariadb-dump" + kProgramSuffix, bin + "mariadb" + kProgramSuffix, stack.clientOptions, {}};
}

std::string WhyNoBackup(const TStack& stack, const backup::TTools& tools) {
  for (const std::string& program : {tools.dump, tools.client})
    if (!stack.fileExists(program))
      return "MySQL's dump and client programs are not in this copy of the stack (" + program + " is missing).";
  if (tools.options.empty()) return "the stack's database is not running.";
  return {};
}

std::string StackTitle(const TStack& stack) {
  if (stack.workDir.empty()) return {};
  return THi::ReadIniValue(stack.workDir + platform::kPathDelim + "Config.ini", "INI", "title");
}

std::string NewBackupFile(const std::string& folder, const std::string& title, bool automatic) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (const std::tm* parts = std::localtime(&now)) local = *parts;
  // Never over an earlier backup: two made within one second (a restore's
  // safety backup right after another) each keep a file of their own.
  std::string file;
  for (unsigned copy = 1; file.empty() || THi::FileExists(file) || THi::FileExists(file + ".part"); ++copy)
    file = folder + platform::kPathDelim + backup::BackupName(title, local, automatic, copy);
  return file;
}

TProgressPace::TProgressPace(std::function<void(std::uint64_t)> show)
    : show_(std::move(show)), start_(std::chrono::steady_clock::now()), last_(start_) {}

void TProgressPace::operator()(std::uint64_t bytes) {
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  shown_ = true;
  show_(bytes);
}

int RunBackupCommand(const TArgs& args, const TStack& stack, const std::string& startFolder,
                     std::function<bool()> stopRequested) {
  backup::TTools tools = BackupTools(stack);
  tools.stopRequested = std::move(stopRequested);
  const std::string why = WhyNoBackup(stack, tools);
  // A removed program is told as the shell tells it, whether the stack runs or not.
  const bool programs = stack.fileExists(tools.dump) && stack.fileExists(tools.client);
  if (!why.empty()) return Fail(why, programs ? 1 : 127);
  return args[1] == "backup" ? Backup(args, stack, tools, startFolder) : Restore(args, stack, tools, startFolder);
}

}  // namespace commands
