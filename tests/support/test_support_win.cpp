// The Windows half of the test support.
#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2.h must come before windows.h.
#include <windows.h>

#include "support/test_support.h"

namespace test {

const char kSep = '\\';
const char* const kExeSuffix = ".exe";
const bool kChildSeesRawCommandLine = true;
const int kRelaunchProcesses = 2;
const char* const kAwkwardFolderName = "my t\xC3\xABst stack";

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                      nullptr, nullptr);
  return utf8;
}

}  // namespace

fs::path SystemTempRoot() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return n > 0 ? fs::path(std::wstring(buffer, n)) : fs::path(L"C:\\");
}

int CurrentProcessId() { return static_cast<int>(GetCurrentProcessId()); }

bool RunningAsRoot() { return false; }

bool ReadOnlyFilesAreWritable() { return false; }

std::string RunUnprivileged(const std::function<std::string()>&) {
  return "only root can start a child as another user";
}

std::optional<std::string> GetEnv(const std::string& name) {
  const std::wstring wname = Wide(name);
  const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (n == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(wname.c_str(), value.data(), n);
  value.resize(got);
  return Utf8(value);
}

void SetEnv(const std::string& name, const std::optional<std::string>& value) {
  SetEnvironmentVariableW(Wide(name).c_str(), value ? Wide(*value).c_str() : nullptr);
}

Listener::Listener(int port) {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) return;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return;
  socket_ = static_cast<long long>(s);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<u_short>(port));
  int length = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(s, 4) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return;
  port_ = ntohs(address.sin_port);
}

Listener::~Listener() {
  if (socket_ >= 0) closesocket(static_cast<SOCKET>(socket_));
}

std::string PathAsItsProgramSeesIt(const std::string& program) { return program; }

std::string AnotherSpelling(const std::string& file) {
  std::wstring upper = Wide(file);
  CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  return Utf8(upper);
}

bool MakeFolderLink(const std::string& target, const std::string& link, std::string& whyNot) {
  if (CreateSymbolicLinkW(Wide(link).c_str(), Wide(target).c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
    return true;
  whyNot = "CreateSymbolicLinkW failed with error " + std::to_string(GetLastError());
  return false;
}

namespace {

// Starts a program of the host system when this is Wine (which starts Unix
// programs like its own, but cannot wait for them).
void StartHostProgram(const std::wstring& program, std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info))
    return;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

// Wine finds its drives as symbolic links in the prefix's dosdevices folder.
std::wstring WineDriveLink(wchar_t letter) {
  const auto prefix = GetEnv("WINEPREFIX");
  if (!prefix) return {};
  return Wide(*prefix) + L"/dosdevices/" + static_cast<wchar_t>(towlower(letter)) + L":";
}

std::string UnixPathOf(const std::string& folder) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (!unixName) return {};
  char* path = unixName(Wide(folder).c_str());
  if (!path) return {};
  std::string text(path);
  HeapFree(GetProcessHeap(), 0, path);
  return text;
}

}  // namespace

// Windows maps a drive letter with DefineDosDevice; Wine resolves drives
// through the links of its prefix instead, so there the link is made.
std::string MapDriveToFolder(const std::string& folder, std::string& whyNot) {
  const DWORD used = GetLogicalDrives();
  wchar_t letter = L'R';
  while (letter <= L'Y' && (used & (1u << (letter - L'A')))) ++letter;
  if (letter > L'Y') {
    whyNot = "no free drive letter";
    return {};
  }
  const std::wstring device{letter, L':'};
  const std::string root = Utf8(device) + "\\";
  const std::string unixFolder = UnixPathOf(folder);
  if (unixFolder.empty()) {
    if (!DefineDosDeviceW(0, device.c_str(), Wide(folder).c_str())) {
      whyNot = "DefineDosDevice failed with error " + std::to_string(GetLastError());
      return {};
    }
  } else {
    const std::wstring link = WineDriveLink(letter);
    if (link.empty()) {
      whyNot = "WINEPREFIX is not set, so the drive links of Wine cannot be found";
      return {};
    }
    StartHostProgram(L"Z:\\bin\\ln", L"ln -sfn \"" + Wide(unixFolder) + L"\" \"" + link + L"\"");
  }
  // Wine cannot wait for a host program, so the drive is polled for.
  if (WaitUntil([&] { return GetFileAttributesW(Wide(root).c_str()) != INVALID_FILE_ATTRIBUTES; },
                std::chrono::seconds(10)))
    return root;
  whyNot = "the new drive " + root + " cannot be read (error " + std::to_string(GetLastError()) + ")";
  UnmapDrive(root, folder);
  return {};
}

void UnmapDrive(const std::string& root, const std::string& folder) {
  const std::wstring device = Wide(root.substr(0, 2));
  if (UnixPathOf(folder).empty()) {
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, device.c_str(), nullptr);
    return;
  }
  const std::wstring link = WineDriveLink(device[0]);
  if (link.empty()) return;
  StartHostProgram(L"Z:\\bin\\rm", L"rm -f \"" + link + L"\"");
  WaitUntil([&] { return GetFileAttributesW((device + L"\\").c_str()) == INVALID_FILE_ATTRIBUTES; },
            std::chrono::seconds(10));
}

// Every process of the tree runs in one job object: children join their
// parent's job, and the job counts every process that ever ran in it.
ProcessTree RunProcessTree(const std::string& program, const std::vector<std::string>& args,
                           std::optional<int> showCommand) {
  ProcessTree tree;
  std::wstring commandLine = L"\"" + Wide(program) + L"\"";
  for (const std::string& arg : args) commandLine += L" \"" + Wide(arg) + L"\"";

  // Wine starts its desktop process from the first program that needs it;
  // started from inside the job, it would join the tree and never end.
  GetDesktopWindow();
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) {
    tree.skipReason = "this system cannot create a job object to follow the processes";
    return tree;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  // As the desktop shell starts a program: with a show command.
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand.value_or(SW_SHOWNORMAL));
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                      nullptr, nullptr, &startup, &info)) {
    CloseHandle(job);
    tree.skipReason = "cannot start " + program;
    return tree;
  }
  if (!AssignProcessToJobObject(job, info.hProcess)) {
    TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    CloseHandle(job);
    tree.skipReason = "this system cannot put a process into a job object (error " +
                      std::to_string(GetLastError()) + "), so the processes cannot be followed";
    return tree;
  }
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);

  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  auto query = [&] {
    return QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                     sizeof accounting, nullptr) != FALSE;
  };
  const bool firstEnded = WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0;
  DWORD code = 0;
  if (firstEnded && GetExitCodeProcess(info.hProcess, &code)) tree.firstExitCode = static_cast<int>(code);
  if (!query()) {
    tree.skipReason = "this system does not report the accounting of a job object (error " +
                      std::to_string(GetLastError()) + "), so the processes cannot be counted";
  } else {
    tree.finished = firstEnded && WaitUntil([&] { return query() && accounting.ActiveProcesses == 0; },
                                            std::chrono::seconds(60));
    tree.processCount = static_cast<int>(accounting.TotalProcesses);
  }
  TerminateJobObject(job, 1);
  CloseHandle(info.hProcess);
  CloseHandle(job);
  return tree;
}

}  // namespace test
