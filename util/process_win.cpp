// The Win32 half of the process operations: CreateProcessW, Toolhelp
// snapshots, PSAPI module names, token privileges and named mutexes.
#include <windows.h>
// The Win32 headers above must come first.
#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <vector>

#include "util/command_line.h"
#include "util/hi.h"
#include "util/hi_internal.h"
#include "util/scoped_handle_win.h"
#include "util/wide.h"

namespace {

// Starts the program as the process's own start-up information says, with
// only the show state changed: a child started by the relaunched launcher
// inherits its "honour the show state" flag, so hidden servers stay hidden.
// On success `info` holds both new handles; the caller closes them.
bool StartProcess(const std::string& program, const std::string& params,
                  const std::string& workDir, int show, PROCESS_INFORMATION& info,
                  DWORD extraFlags = 0) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  startup.wShowWindow = static_cast<WORD>(show);

  // CreateProcessW may write into the command line, so it gets its own buffer.
  std::wstring commandLine = wide::FromUtf8(BuildCommandLine(program, params));
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');

  // A folder that does not exist is left out: the child starts in ours.
  const std::wstring folder =
      THi::DirectoryExists(workDir) ? wide::FromUtf8(workDir) : std::wstring();

  // A null environment passes our own block, with what SetEnv put there.
  return CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS | extraFlags, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info) != FALSE;
}

// ShellExecute "open", owned by this thread's active window when there is one.
void ShellOpen(const std::wstring& target, int show) {
  ShellExecuteW(GetActiveWindow(), L"open", target.c_str(), nullptr, nullptr, show);
}

// Calls `visit` with every entry of a fresh process snapshot until it returns
// false. A snapshot that cannot be taken visits nothing.
template <typename Visit>
void WalkProcesses(Visit visit) {
  // Only the process list is read, so only the process list is taken.
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid()) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    if (!visit(entry)) return;
  }
}

// The file name of the process's first module (its program file).
std::wstring FirstModuleFileName(HANDLE process) {
  HMODULE module = nullptr;
  DWORD needed = 0;
  if (!EnumProcessModules(process, &module, sizeof(module), &needed)) return {};
  std::wstring name(MAX_PATH, L'\0');
  const DWORD length =
      GetModuleFileNameExW(process, module, name.data(), static_cast<DWORD>(name.size()));
  name.resize(length);
  return name;
}

// The program file as the kernel records it for the process.
std::wstring ImageFileName(HANDLE process) {
  std::wstring name(MAX_PATH, L'\0');
  DWORD length = static_cast<DWORD>(name.size());
  if (!QueryFullProcessImageNameW(process, 0, name.data(), &length)) return {};
  name.resize(length);
  return name;
}

// A job that ends every process in it when the launcher's last handle to it
// closes, which the system does when the launcher dies in any way.
HANDLE LauncherJob() {
  static HANDLE job = [] {
    HANDLE created = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (created)
      SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return created;
  }();
  return job;
}

}  // namespace

TProcessId THi::RunProgram(const std::string& program, const std::string& params,
                           const std::string& workDir, int show, TChildTie tie) {
  const bool tied = tie == TChildTie::kEndWithLauncher && LauncherJob() != nullptr;
  PROCESS_INFORMATION info{};
  // A tied child joins the job before it runs, so every process it starts
  // (Apache starts its worker at once) is in the job as well.
  if (!StartProcess(program, params, workDir, show, info, tied ? CREATE_SUSPENDED : 0)) return 0;
  if (tied) {
    AssignProcessToJobObject(LauncherJob(), info.hProcess);
    ResumeThread(info.hThread);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return info.dwProcessId;
}

void THi::RunProgramAndWait(const std::string& program, const std::string& params,
                            const std::string& workDir, int show) {
  PROCESS_INFORMATION info{};
  if (!StartProcess(program, params, workDir, show, info)) return;
  CloseHandle(info.hThread);
  WaitForSingleObject(info.hProcess, INFINITE);
  CloseHandle(info.hProcess);
}

void THi::OpenFolder(const std::string& folder, int show) {
  if (DirectoryExists(folder)) ShellOpen(wide::FromUtf8(folder), show);
}

void THi::OpenContactMail() { ShellOpen(wide::FromUtf8("mailto:" LODESTACK_CONTACT_MAIL), SW_SHOW); }

// The database server ends cleanly when its shutdown event is set.
bool THi::RequestStop(TProcessId pid) {
  const std::wstring name = L"MySQLShutdown" + std::to_wstring(pid);
  HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
  if (!event) return false;
  const bool set = SetEvent(event) != FALSE;
  CloseHandle(event);
  return set;
}

bool THi::ProcessExists(std::int64_t pid) {
  if (pid < 0 || pid > 0xFFFFFFFFLL) return false;
  // The system idle process always runs. Windows lists it as id 0; Wine's
  // snapshot leaves it out, so it is answered here for both.
  if (pid == 0) return true;
  bool found = false;
  WalkProcesses([&](const PROCESSENTRY32W& entry) {
    found = entry.th32ProcessID == static_cast<DWORD>(pid);
    return !found;
  });
  return found;
}

bool THi::KillProcess(TProcessId pid) {
  if (!ProcessExists(pid)) return false;
  EnablePrivilege("SeDebugPrivilege");
  ScopedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  return process.IsValid() && TerminateProcess(process.Get(), 0) != FALSE;
}

void THi::KillSelf() {
  KillProcess(GetCurrentProcessId());
  // Only reached when the lookup above failed; our own pseudo-handle always
  // carries terminate access.
  TerminateProcess(GetCurrentProcess(), 0);
  ExitProcess(0);
}

TProcessId THi::GetParentProcessId(TProcessId pid) {
  TProcessId parent = 0;
  WalkProcesses([&](const PROCESSENTRY32W& entry) {
    if (entry.th32ProcessID != pid) return true;
    parent = entry.th32ParentProcessID;
    return false;
  });
  return parent;
}

bool THi::EnablePrivilege(const std::string& name) {
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &rawToken)) return false;
  ScopedHandle token(rawToken);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, wide::FromUtf8(name).c_str(),
                             &privileges.Privileges[0].Luid))
    return false;
  return AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
}

bool THi::CreateInstanceMutex(const std::string& name) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, wide::FromUtf8(name).c_str());
  if (mutex == nullptr) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // Whoever created it holds the name; this extra handle adds nothing.
    CloseHandle(mutex);
    return false;
  }
  // Never closed: the name stays taken until the process ends.
  return true;
}

bool THi::IsWindows2000OrLater() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExW(&version)) return false;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 4;
}

void THi::RequireWindows2000() {
  if (IsWindows2000OrLater()) return;
  MessageBoxW(nullptr, L"This program must be run under Windows 2000 or later.", L"Error",
              MB_OK | MB_ICONERROR);
  KillSelf();
}

namespace hi_internal {

TProcessIdList SnapshotProcessIds() {
  TProcessIdList ids;
  WalkProcesses([&](const PROCESSENTRY32W& entry) {
    ids.push_back(entry.th32ProcessID);
    return true;
  });
  return ids;
}

std::string ReadProcessPath(TProcessId pid) {
  // Lets us read processes of other users and services.
  THi::EnablePrivilege("SeDebugPrivilege");
  ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!process.IsValid()) return {};
  std::wstring path = FirstModuleFileName(process.Get());
  // A process that has only just started has no module name yet (Windows
  // fails the module walk; Wine lists the module but gives no name for its
  // first few milliseconds). The image name the kernel records is there from
  // the start, so a freshly started server is found at once.
  if (path.empty()) path = ImageFileName(process.Get());
  return wide::ToUtf8(path);
}

std::string PathIdentity(const std::string& path) {
  std::wstring identity = wide::FromUtf8(THi::GetShortPath(path));
  CharLowerBuffW(identity.data(), static_cast<DWORD>(identity.size()));
  return wide::ToUtf8(identity);
}

}  // namespace hi_internal
