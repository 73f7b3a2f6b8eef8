// The child gets no console window; its errors go to a temporary file that
// vanishes when closed.
#include <windows.h>

#include "backup/piped_child.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/wide.h"

namespace backup {

struct TPipedChild::TImpl {
  HANDLE process = nullptr;
  HANDLE pipe = nullptr;
  HANDLE errors = INVALID_HANDLE_VALUE;
};

TPipedChild::TPipedChild() : impl_(std::make_unique<TImpl>()) {}

TPipedChild::~TPipedChild() {
  if (impl_->process) TerminateProcess(impl_->process, 1);
  std::string ignored;
  Finish(ignored);
}

bool TPipedChild::Start(const std::vector<std::string>& argv, TDirection direction, std::string& reason) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) {
    reason = "no pipe for " + argv[0];
    return false;
  }
  const bool fromChild = direction == TDirection::kFromChild;
  impl_->pipe = fromChild ? read : write;
  HANDLE childEnd = fromChild ? write : read;
  SetHandleInformation(impl_->pipe, HANDLE_FLAG_INHERIT, 0);
  const std::wstring errorFile = wide::FromUtf8(THi::MakeUniqueFileName("lodestack-err", THi::GetTempDir(), static_cast<int>(GetCurrentProcessId()), ".txt"));
  impl_->errors = CreateFileW(errorFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = fromChild ? nul : childEnd;
  startup.hStdOutput = fromChild ? childEnd : nul;
  startup.hStdError = impl_->errors != INVALID_HANDLE_VALUE ? impl_->errors : nul;
  std::string line;
  for (const std::string& arg : argv) line += (line.empty() ? "" : " ") + QuoteArgument(arg);
  std::wstring command = wide::FromUtf8(line);
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessW(wide::FromUtf8(argv[0]).c_str(), command.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  CloseHandle(childEnd);
  CloseHandle(nul);
  if (!started) {
    reason = "could not run " + argv[0] + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(info.hThread);
  impl_->process = info.hProcess;
  return true;
}

bool TPipedChild::Read(std::string& piece) {
  piece.resize(256 * 1024);
  DWORD got = 0;
  const BOOL ok = ReadFile(impl_->pipe, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr);
  piece.resize(ok ? got : 0);
  return ok && got > 0;
}

bool TPipedChild::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD put = 0;
    if (!WriteFile(impl_->pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) || put == 0)
      return false;
    bytes.remove_prefix(put);
  }
  return true;
}

int TPipedChild::Finish(std::string& errors) {
  if (impl_->pipe) CloseHandle(impl_->pipe);
  impl_->pipe = nullptr;
  int status = -1;
  if (impl_->process) {
    WaitForSingleObject(impl_->process, INFINITE);
    DWORD code = 1;
    if (GetExitCodeProcess(impl_->process, &code)) status = static_cast<int>(code);
    CloseHandle(impl_->process);
    impl_->process = nullptr;
  }
  if (impl_->errors != INVALID_HANDLE_VALUE) {
    SetFilePointer(impl_->errors, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(impl_->errors, buffer, sizeof buffer, &got, nullptr) && got > 0) errors.append(buffer, got);
    CloseHandle(impl_->errors);
    impl_->errors = INVALID_HANDLE_VALUE;
  }
  if (errors.size() > 2000) errors.erase(0, errors.size() - 2000);
  return status;
}

}  // namespace backup
