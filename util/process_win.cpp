// The Win32 half of the process operations: CreateProcessW, Toolhelp
// snapshots, PSAPI module names, token privileges and named mutexes.
#include <windows.h>
// The Win32 headers above must come first.
#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <vector>

#include "util/child_guard.h"
#include "util/child_guard_internal.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/hi_internal.h"
#include "util/product.h"
#include "util/scoped_handle_win.h"
#include "util/wide.h"

namespace {

// PROC_THREAD_ATTRIBUTE_JOB_LIST, which the headers declare for Windows 10
// builds only; older systems refuse it, and we fall back.
constexpr DWORD_PTR kJobListAttribute = 0x2000D;

// An attribute list that puts a new process into a job at its creation;
// empty where the system cannot (before Windows 10).
class JobAttribute {
 public:
  explicit JobAttribute(HANDLE job) : job_(job) {
    if (!job_) return;
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    buffer_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
    if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    if (UpdateProcThreadAttribute(list, 0, kJobListAttribute, &job_, sizeof job_,
                                  nullptr, nullptr))
      list_ = list;
    else
      DeleteProcThreadAttributeList(list);
  }
  ~JobAttribute() {
    if (list_) DeleteProcThreadAttributeList(list_);
  }
  JobAttribute(const JobAttribute&) = delete;
  JobAttribute& operator=(const JobAttribute&) = delete;

  LPPROC_THREAD_ATTRIBUTE_LIST list() const { return list_; }

 private:
  HANDLE job_;
  std::vector<char> buffer_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Starts the program as the process's own start-up information says, with
// only the show state changed: a child started by the relaunched launcher
// inherits its "honour the show state" flag, so hidden servers stay hidden.
// With a job, the process is in it from its first instruction (everything
// it starts then joins too), so no moment of the launcher's death leaves it
// outside. With an output handle (inheritable), the process's standard
// output and error go there. On success `info` holds both new handles; the
// caller closes them.
bool StartProcess(const std::string& program, const std::string& params,
                  const std::string& workDir, int show, PROCESS_INFORMATION& info,
                  DWORD flags = 0, HANDLE job = nullptr, HANDLE output = nullptr) {
  STARTUPINFOEXW startup{};
  GetStartupInfoW(&startup.StartupInfo);
  startup.StartupInfo.cb = sizeof(STARTUPINFOW);
  startup.StartupInfo.wShowWindow = static_cast<WORD>(show);
  if (output) {
    startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = nullptr;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = output;
  }
  const JobAttribute attribute(job);
  if (attribute.list()) {
    startup.StartupInfo.cb = sizeof(startup);
    startup.lpAttributeList = attribute.list();
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  // Older systems: the process joins the job before its first instruction.
  const bool joinLater = job && !attribute.list();

  // CreateProcessW may write into the command line, so it gets its own buffer.
  std::wstring commandLine = wide::FromUtf8(BuildCommandLine(program, params));
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');

  // A folder that does not exist is left out: the child starts in ours.
  const std::wstring folder =
      THi::DirectoryExists(workDir) ? wide::FromUtf8(workDir) : std::wstring();

  // A null environment passes our own block, with what SetEnv put there.
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, output ? TRUE : FALSE,
                      NORMAL_PRIORITY_CLASS | flags | (joinLater ? CREATE_SUSPENDED : 0), nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo, &info))
    return false;
  if (joinLater) {
    AssignProcessToJobObject(job, info.hProcess);
    if (!(flags & CREATE_SUSPENDED)) ResumeThread(info.hThread);
  }
  return true;
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

HANDLE KillOnCloseJob(const std::wstring& name) {
  HANDLE job = CreateJobObjectW(nullptr, name.empty() ? nullptr : name.c_str());
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job) SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

// A job that ends every process in it when the launcher's last handle to it
// closes, which the system does when the launcher dies in any way.
HANDLE LauncherJob() {
  static HANDLE job = KillOnCloseJob(L"");
  return job;
}

// The job of the guarded servers and their guards. The launcher holds it for
// as long as it lives, and each guard opens it by name once it runs, which
// keeps it (and the servers) alive past the launcher's death. Should the
// launcher die before a guard holds it, the job ends that guard and its
// server, which has not yet run an instruction.
HANDLE GuardJob() {
  static HANDLE job =
      KillOnCloseJob(wide::FromUtf8(child_guard::GuardJobName(GetCurrentProcessId())));
  return job;
}

// The server starts suspended; its guard lets it run once it holds the job.
TProcessId StartGuarded(const std::string& program, const std::string& params,
                        const std::string& workDir, int show, HANDLE output, int port) {
  PROCESS_INFORMATION server{};
  if (!StartProcess(program, params, workDir, show, server, CREATE_SUSPENDED, GuardJob(), output))
    return 0;
  PROCESS_INFORMATION guard{};
  if (GuardJob() && StartProcess(THi::GetProgramFile(),
                                 GuardParams(GetCurrentProcessId(), server.dwProcessId, port), "",
                                 SW_HIDE, guard, 0, GuardJob())) {
    CloseHandle(guard.hThread);
    CloseHandle(guard.hProcess);
  } else {
    ResumeThread(server.hThread);
  }
  CloseHandle(server.hThread);
  CloseHandle(server.hProcess);
  return server.dwProcessId;
}

TProcessId StartTied(const std::string& program, const std::string& params,
                     const std::string& workDir, int show, TChildTie tie, HANDLE output, int port) {
  if (tie == TChildTie::kShutDownWithLauncher)
    return StartGuarded(program, params, workDir, show, output, port);
  const bool tied = tie == TChildTie::kEndWithLauncher || tie == TChildTie::kStopWithLauncher;
  PROCESS_INFORMATION info{};
  if (!StartProcess(program, params, workDir, show, info, 0, tied ? LauncherJob() : nullptr, output))
    return 0;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return info.dwProcessId;
}

}  // namespace

TProcessId THi::RunProgram(const std::string& program, const std::string& params,
                           const std::string& workDir, int show, TChildTie tie) {
  return StartTied(program, params, workDir, show, tie, nullptr, 0);
}

// The output file is opened for appending and handed to the server as an
// inheritable handle; only servers are started with handles to inherit.
TProcessId THi::RunServer(const std::string& program, const std::string& params, TChildTie tie,
                          const std::string& outputFile, int port) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  ScopedHandle output(CreateFileW(wide::FromUtf8(outputFile).c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &inheritable, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return StartTied(program, params, "", SW_HIDE, tie, output.IsValid() ? output.Get() : nullptr, port);
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

void THi::OpenAddress(const std::string& address) {
  ShellOpen(wide::FromUtf8(address), SW_SHOWNORMAL);
}

// The short form, so the editor gets one parameter whatever the path holds.
void THi::EditTextFile(const std::string& file) {
  if (!FileExists(file)) return;
  const std::wstring path = wide::FromUtf8(GetShortPath(file));
  ShellExecuteW(GetActiveWindow(), L"open", L"notepad", path.c_str(), nullptr, SW_SHOWNORMAL);
}

TProcessId THi::GetShellProcessId() {
  DWORD pid = 0;
  if (HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr)) GetWindowThreadProcessId(taskbar, &pid);
  if (pid != 0) return pid;
  // Windows 2000 has no taskbar window before the shell is up: its shell's process.
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (GetVersionExW(&version) && version.dwMajorVersion > 4 && version.dwMinorVersion == 0)
    return FindProcessByPath(GetWindowsDir() + "\\Explorer.EXE");
  return 0;
}

TProcessId THi::GetWindowProcessId(TWindowHandle window) {
  HWND handle = reinterpret_cast<HWND>(window);
  if (!IsWindow(handle)) return 0xFFFFFFFFu;
  DWORD pid = 0;
  GetWindowThreadProcessId(handle, &pid);
  return pid;
}

// Windows gives the foreground only to the thread that has the input: the
// target's thread borrows the current foreground window's input for the call.
void THi::ForceForeground(TWindowHandle window) {
  HWND handle = reinterpret_cast<HWND>(window);
  const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const DWORD targetThread = GetWindowThreadProcessId(handle, nullptr);
  const bool attach = foregroundThread != 0 && foregroundThread != targetThread;
  if (attach) AttachThreadInput(foregroundThread, targetThread, TRUE);
  SetForegroundWindow(handle);
  if (attach) AttachThreadInput(foregroundThread, targetThread, FALSE);
}

void THi::OpenContactMail() {
  ShellOpen(wide::FromUtf8(std::string("mailto:") + product::kContactMail), SW_SHOW);
}

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

// Our own pseudo-handle always carries terminate access.
void THi::KillSelf(int exitCode) {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
  ExitProcess(static_cast<UINT>(exitCode));
}

TProcessId THi::GetOwnProcessId() { return static_cast<TProcessId>(::GetCurrentProcessId()); }

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

bool THi::InstanceMutexHeld(const std::string& name) {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, wide::FromUtf8(name).c_str());
  if (mutex == nullptr) return false;
  CloseHandle(mutex);
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
