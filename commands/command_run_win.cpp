// The commands on Windows: the program file is a window program, which a
// console neither feeds nor waits for, so only the shell exists: cmd.exe in
// a console of its own, with the tree's PHP and database client first.
#include <windows.h>

#include "commands/backup_command.h"
#include "commands/command_run.h"
#include "commands/commands.h"
#include "util/hi.h"
#include "util/wide.h"

namespace commands {

const char* const kProgramSuffix = ".exe";

bool IsCommandWord(const std::string& word) { return word == "shell"; }

std::vector<std::string> TerminalStart() { return {THi::GetProgramFile(), "shell"}; }

int RunCommand(const std::vector<std::string>&, const std::string& startFolder) {
  const TPlan plan = PlanWindowsShell(FindStack());
  // The console inherits them; this process ends right after.
  for (const auto& [name, value] : plan.env) THi::SetEnvVar(name, value);
  if (THi::RunProgram(plan.argv[0], "", startFolder, kShowNormal) != 0) return 0;
  const std::string text = "The command prompt (" + plan.argv[0] + ") could not be started.";
  MessageBoxW(nullptr, wide::FromUtf8(text).c_str(), L"Lodestack", MB_OK | MB_ICONERROR);
  return 1;
}

}  // namespace commands
