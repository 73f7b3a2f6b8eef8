// TFile on Windows: a file handle with the system's creation, access and
// sharing modes.
#include <windows.h>

#include "util/tfile.h"
#include "util/wide.h"

namespace tfile_platform {
const std::uint32_t kEndOfFileError = ERROR_HANDLE_EOF;
std::string SystemErrorText(std::uint32_t code) {
  wchar_t buffer[1024];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 code, 0, buffer, 1024, nullptr);
  return wide::ToUtf8(buffer, n);
}
}  // namespace tfile_platform

namespace {

DWORD Disposition(TFileMode mode) {
  switch (mode) {
    case TFileMode::kCreateAlways: return CREATE_ALWAYS;
    case TFileMode::kCreateNew: return CREATE_NEW;
    case TFileMode::kOpenExisting: return OPEN_EXISTING;
    case TFileMode::kOpenAlways: return OPEN_ALWAYS;
    case TFileMode::kTruncateExisting: return TRUNCATE_EXISTING;
  }
  return OPEN_EXISTING;
}

DWORD Access(TFileAccess access) {
  switch (access) {
    case TFileAccess::kRead: return GENERIC_READ;
    case TFileAccess::kWrite: return GENERIC_WRITE;
    case TFileAccess::kReadWrite: return GENERIC_READ | GENERIC_WRITE;
  }
  return GENERIC_READ;
}

DWORD Sharing(TFileShare share) {
  switch (share) {
    case TFileShare::kNone: return 0;
    case TFileShare::kRead: return FILE_SHARE_READ;
    case TFileShare::kWrite: return FILE_SHARE_WRITE;
    case TFileShare::kReadWrite: return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
  return 0;
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

TFile::TFile(const std::string& fileName, TFileMode mode, TFileAccess access, TFileShare share) {
  HANDLE handle = CreateFileW(wide::FromUtf8(fileName).c_str(), Access(access), Sharing(share),
                              nullptr, Disposition(mode), FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw EFileError(GetLastError());
  FHandle = reinterpret_cast<std::intptr_t>(handle);
  FOwnsHandle = true;
}

TFile::~TFile() {
  if (FOwnsHandle) CloseHandle(AsHandle(FHandle));
}

std::int64_t TFile::GetSize64() {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(AsHandle(FHandle), &size)) throw EFileError(GetLastError());
  return size.QuadPart;
}

std::size_t TFile::Read(void* buffer, std::size_t n) {
  DWORD got = 0;
  const DWORD want = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n);
  if (!ReadFile(AsHandle(FHandle), buffer, want, &got, nullptr)) throw EFileError(GetLastError());
  return got;
}
