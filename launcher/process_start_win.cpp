// Process start and the entry services on Windows: the version guard, OLE,
// the command line from GetCommandLineW and the show value from the
// start-up information.
#include <windows.h>
// The Win32 headers above must come first.
#include <ole2.h>
#include <shellapi.h>

#include "launcher/process_start.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/wide.h"

namespace {
bool oleInitialized = false;
std::string g_startFolder;

std::string CurrentFolder() {
  wchar_t here[32768];
  const DWORD length = GetCurrentDirectoryW(32768, here);
  return length > 0 && length < 32768 ? wide::ToUtf8(here, length) : std::string();
}
}  // namespace

const std::string& StartFolder() { return g_startFolder; }

void ProcessStart() {
  THi::RequireWindows2000();
  g_startFolder = CurrentFolder();
  // Relative paths (and the servers we start) resolve against the program folder.
  SetCurrentDirectoryW(wide::FromUtf8(THi::GetAppDir()).c_str());
  if (!oleInitialized) oleInitialized = SUCCEEDED(OleInitialize(nullptr));
}

void ProcessEnd() {
  if (!oleInitialized) return;
  OleUninitialize();
  oleInitialized = false;
}

TArgs ProgramArguments() {
  TArgs args = SplitCommandLine(wide::ToUtf8(GetCommandLineW()));
  // Argument 0 is the program file as the system reports it, however the
  // command line spelled it.
  if (args.empty()) args.emplace_back();
  args[0] = THi::GetProgramFile();
  return args;
}

int StartupShowCommand() {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  // Without this flag the field means nothing (and can never be the marker).
  if (!(startup.dwFlags & STARTF_USESHOWWINDOW)) return SW_SHOWNORMAL;
  return startup.wShowWindow;
}

void RelaunchSelf() {
  const std::wstring program = wide::FromUtf8(THi::GetProgramFile());
  ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, nullptr, kRelaunchMarker);
}
