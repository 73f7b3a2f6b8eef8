// The Win32 half of the file operations: wide-character file calls and the
// shell's silent copy and delete of folder trees.
#include <windows.h>
// The Win32 headers above must come first.
#include <shellapi.h>

// windows.h turns these names into macros (DeleteFile -> DeleteFileW); THi's
// members keep their own names, so the shared code that calls them links.
#undef CopyFile
#undef DeleteFile

#include <algorithm>

#include "util/hi.h"
#include "util/hi_error.h"
#include "util/hi_internal.h"
#include "util/platform.h"
#include "util/scoped_handle_win.h"
#include "util/wide.h"

namespace platform {
const char kPathDelim = '\\';
const char* const kEol = "\r\n";
}  // namespace platform

namespace {

// No prompts, no error dialogs, no new-folder question, only the shell's
// simple progress: FOF_SILENT | FOF_NOCONFIRMATION | FOF_SIMPLEPROGRESS |
// FOF_NOCONFIRMMKDIR | FOF_NOERRORUI. Without FOF_ALLOWUNDO deletions skip
// the recycle bin.
constexpr FILEOP_FLAGS kShellFileFlags = 1812;
static_assert(kShellFileFlags == (FOF_SILENT | FOF_NOCONFIRMATION | FOF_SIMPLEPROGRESS |
                                  FOF_NOCONFIRMMKDIR | FOF_NOERRORUI));

// The shell takes lists of paths, each ended by a NUL and the list by one more.
std::wstring ShellPathList(const std::string& path) {
  std::wstring list = wide::FromUtf8(path);
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

// The shell's own result: 0 when every entry was done.
int ShellFileOperation(UINT operation, const std::string& from, const std::string& to) {
  const std::wstring source = ShellPathList(from);
  const std::wstring target = ShellPathList(to);
  SHFILEOPSTRUCTW op{};
  op.hwnd = nullptr;
  op.wFunc = operation;
  op.pFrom = source.c_str();
  op.pTo = operation == FO_COPY ? target.c_str() : nullptr;
  op.fFlags = kShellFileFlags;
  const int result = SHFileOperationW(&op);
  return result != 0 ? result : (op.fAnyOperationsAborted ? ERROR_CANCELLED : 0);
}

DWORD Attributes(const std::string& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(wide::FromUtf8(path).c_str());
}

// Windows refuses to write to a read-only file; Wine running as root writes
// anyway. The writers ask the attribute first, so both refuse alike.
bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_READONLY);
}

// The system's own words for its last error, without the trailing line end.
std::string LastErrorText() {
  const DWORD error = GetLastError();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = wide::ToUtf8(text, length);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' '))
    message.pop_back();
  if (message.empty()) message = "System error " + std::to_string(error) + ".";
  return message;
}

[[noreturn]] void RaiseFileError(const char* what, const std::string& file) {
  throw EHiError(std::string(what) + " \"" + file + "\". " + LastErrorText());
}

// Calls `visit` with each entry of "folder\*" in the order the system lists them.
template <typename Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
  const std::wstring pattern = wide::FromUtf8(folder + "\\*");
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    visit(data);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

// "X:" of "X:\anything", "\\server\share" of a network path; otherwise the text.
std::string DrivePart(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  if (path.rfind("\\\\", 0) == 0) {
    const std::size_t server = path.find('\\', 2);
    if (server == std::string::npos) return path;
    return path.substr(0, path.find('\\', server + 1));
  }
  return path;
}

}  // namespace

std::string THi::GetProgramFile() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return wide::ToUtf8(path);
    }
    path.resize(path.size() * 2);  // truncated: try a larger buffer
  }
}

std::string THi::ExpandPath(const std::string& path) {
  auto trimmed = [](std::string text) {
    const auto blank = [](char c) { return c == ' '; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    return text;
  };
  std::wstring current(GetCurrentDirectoryW(0, nullptr), L'\0');
  current.resize(GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data()));
  const std::string appDir = GetAppDir();
  if (trimmed(wide::ToUtf8(current)) != trimmed(appDir))
    SetCurrentDirectoryW(wide::FromUtf8(appDir).c_str());

  const std::wstring relative = wide::FromUtf8(path);
  const DWORD needed = GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(relative.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return {};
  full.resize(length);
  return wide::ToUtf8(full);
}

bool THi::FileExists(const std::string& file) {
  const DWORD attributes = Attributes(file);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string THi::GetShortPath(const std::string& path) {
  const std::wstring wpath = wide::FromUtf8(path);
  const DWORD needed = GetShortPathNameW(wpath.c_str(), nullptr, 0);
  if (needed == 0) return {};
  std::wstring shortPath(needed, L'\0');
  const DWORD length = GetShortPathNameW(wpath.c_str(), shortPath.data(), needed);
  shortPath.resize(length);
  return length == 0 ? std::string() : wide::ToUtf8(shortPath);
}

bool THi::DirectoryExists(const std::string& folder) {
  const DWORD attributes = Attributes(folder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The shell stops at the first entry it cannot copy but does not name it:
// the failure names the source, with the shell's code.
bool THi::CopyFolder(const std::string& source, const std::string& destFolder, std::string* failure) {
  const int result = ShellFileOperation(FO_COPY, source, destFolder);
  if (failure)
    *failure = result == 0 ? std::string()
                           : "Unable to copy " + source + " to " + destFolder + " (error " +
                                 std::to_string(result) + ")";
  return result == 0;
}

bool THi::CopyFile(const std::string& from, const std::string& to) {
  if (IsReadOnlyFile(to)) return false;
  return CopyFileW(wide::FromUtf8(from).c_str(), wide::FromUtf8(to).c_str(), FALSE) != FALSE;
}

bool THi::DeleteFolder(const std::string& folder) {
  if (DirectoryExists(folder)) ShellFileOperation(FO_DELETE, folder, {});
  return !DirectoryExists(folder);
}

bool THi::DeleteFile(const std::string& file) {
  if (FileExists(file)) ShellFileOperation(FO_DELETE, file, {});
  return !FileExists(file);
}

bool THi::CreateNewFile(const std::string& file, std::string& reason) {
  ScopedHandle handle(CreateFileW(wide::FromUtf8(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (handle.IsValid()) return true;
  reason = LastErrorText();
  return false;
}

bool THi::RenameFile(const std::string& from, const std::string& to) {
  return MoveFileExW(wide::FromUtf8(from).c_str(), wide::FromUtf8(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING) != FALSE;
}

TNameList THi::ListFiles(const std::string& folder) {
  TNameList names;
  ForEachEntry(folder, [&](const WIN32_FIND_DATAW& data) {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(wide::ToUtf8(data.cFileName));
  });
  return names;
}

TNameList THi::ListEntries(const std::string& folder) {
  TNameList names;
  ForEachEntry(folder,
               [&](const WIN32_FIND_DATAW& data) { names.push_back(wide::ToUtf8(data.cFileName)); });
  return names;
}

std::string THi::LoadFile(const std::string& file) {
  ScopedHandle handle(CreateFileW(wide::FromUtf8(file).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.IsValid()) RaiseFileError("Cannot open file", file);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle.Get(), &size)) RaiseFileError("Cannot read file", file);
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(handle.Get(), bytes.data() + done, chunk, &read, nullptr))
      RaiseFileError("Cannot read file", file);
    if (read == 0) break;  // the file shrank while we read it
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

void THi::SaveFile(const std::string& file, const std::string& bytes) {
  if (IsReadOnlyFile(file)) {
    SetLastError(ERROR_ACCESS_DENIED);
    RaiseFileError("Cannot create file", file);
  }
  ScopedHandle handle(CreateFileW(wide::FromUtf8(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.IsValid()) RaiseFileError("Cannot create file", file);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    // A short write (a full disk) must not pass for a saved file.
    if (!WriteFile(handle.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
      RaiseFileError("Cannot write file", file);
    done += written;
  }
}

bool THi::IsFileInUse(const std::string& file) {
  if (!FileExists(file)) return false;
  if (IsReadOnlyFile(file)) return true;  // the open below fails on Windows, not always on Wine
  ScopedHandle handle(CreateFileW(wide::FromUtf8(file).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return !handle.IsValid();
}

// A folder is asked by a file made in it that goes again when closed.
std::string THi::WhyNotWritable(const std::string& path) {
  if (IsReadOnlyFile(path)) return "The file is read-only.";
  const bool folder = DirectoryExists(path);
  const std::wstring name = wide::FromUtf8(folder ? path + "\\tnlt_probe.tmp" : path);
  ScopedHandle handle(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  folder ? CREATE_NEW : OPEN_EXISTING,
                                  folder ? FILE_FLAG_DELETE_ON_CLOSE : FILE_ATTRIBUTE_NORMAL, nullptr));
  return handle.IsValid() ? std::string() : LastErrorText();
}

bool THi::IsCdRom(const std::string& drive) {
  std::string root = DrivePart(drive.empty() ? GetProgramFile() : drive);
  if (root.empty()) return false;
  if (root.back() != '\\') root.push_back('\\');
  return GetDriveTypeW(wide::FromUtf8(root).c_str()) == DRIVE_CDROM;
}

namespace hi_internal {

bool SetReadOnlyAttribute(const std::string& path, bool readOnly) {
  // Only these can be set; the rest (folder, compressed, ...) are facts.
  constexpr DWORD kSettable = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  DWORD changed = (attributes & kSettable) | (readOnly ? FILE_ATTRIBUTE_READONLY : 0);
  // No attribute at all is spelled "normal".
  if (changed == 0) changed = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesW(wide::FromUtf8(path).c_str(), changed) != FALSE;
}

bool IsLink(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool CreateFolder(const std::string& folder) {
  return CreateDirectoryW(wide::FromUtf8(folder).c_str(), nullptr) != FALSE;
}

}  // namespace hi_internal
