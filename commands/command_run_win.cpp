// The commands on Windows: the program file is a window program, which a
// console neither feeds nor waits for. The shell is cmd.exe in a console of
// its own, with the tree's PHP and database client first; backup and restore
// write to the console they were started from.
#include <windows.h>

#include <cstdio>

#include "commands/backup_command.h"
#include "commands/command_run.h"
#include "commands/commands.h"
#include "util/hi.h"
#include "util/wide.h"

namespace commands {

const char* const kProgramSuffix = ".exe";

namespace {

volatile LONG g_stopKeys = 0;

// Ctrl+C and Ctrl+Break also end the dump, which shares the console; this
// process stays to remove the unfinished file or to undo the load.
BOOL WINAPI NoteStopKeys(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  InterlockedExchange(&g_stopKeys, 1);
  return TRUE;
}

bool Usable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// A window program starts without a console: its output goes to the console
// of the command prompt that started it, unless the user sent it elsewhere.
void UseParentConsole() {
  const bool output = Usable(GetStdHandle(STD_OUTPUT_HANDLE));
  const bool errors = Usable(GetStdHandle(STD_ERROR_HANDLE));
  if (output && errors) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!output) (void)std::freopen("CONOUT$", "w", stdout);
  if (!errors) (void)std::freopen("CONOUT$", "w", stderr);
}

}  // namespace

bool IsCommandWord(const std::string& word) { return word == "shell" || word == "backup" || word == "restore"; }

std::vector<std::string> TerminalStart() { return {THi::GetProgramFile(), "shell"}; }

int RunCommand(const std::vector<std::string>& args, const std::string& startFolder) {
  const std::string word = args.size() > 1 ? args[1] : "";
  if (word == "backup" || word == "restore") {
    UseParentConsole();
    SetConsoleCtrlHandler(NoteStopKeys, TRUE);
    const int status = RunBackupCommand(args, FindStack(), startFolder, [] { return g_stopKeys != 0; });
    SetConsoleCtrlHandler(NoteStopKeys, FALSE);
    std::fflush(stdout);
    std::fflush(stderr);
    return status;
  }
  const TPlan plan = PlanWindowsShell(FindStack());
  // The console inherits them; this process ends right after.
  for (const auto& [name, value] : plan.env) THi::SetEnvVar(name, value);
  if (THi::RunProgram(plan.argv[0], "", startFolder, kShowNormal) != 0) return 0;
  const std::string text = "The command prompt (" + plan.argv[0] + ") could not be started.";
  MessageBoxW(nullptr, wide::FromUtf8(text).c_str(), L"Lodestack", MB_OK | MB_ICONERROR);
  return 1;
}

}  // namespace commands
