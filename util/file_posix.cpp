// Files and folders on Linux. The read-only attribute is the write
// permission bits; shell copy and delete are recursive and silent.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "util/hi.h"
#include "util/hi_error.h"
#include "util/hi_internal.h"
#include "util/private_folder_posix.h"
#include "util/platform.h"

namespace fs = std::filesystem;

namespace platform {
const char kPathDelim = '/';
const char* const kEol = "\n";
}  // namespace platform

namespace {

constexpr long kIso9660Magic = 0x9660;
constexpr long kUdfMagic = 0x15013346;

bool IsReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

TNameList ReadFolder(const std::string& folder, bool filesOnly) {
  TNameList names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (filesOnly && THi::DirectoryExists(folder + "/" + name)) continue;
    names.push_back(name);
  }
  closedir(dir);
  return names;
}

std::string SystemMessage(int error) { return std::strerror(error); }

}  // namespace

std::string THi::GetProgramFile() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : self.string();
}

std::string THi::ExpandPath(const std::string& path) {
  const std::string appDir = GetAppDir();
  std::error_code ec;
  if (fs::current_path(ec).string() != appDir) fs::current_path(appDir, ec);
  return fs::absolute(path, ec).lexically_normal().string();
}

bool THi::FileExists(const std::string& file) {
  struct stat st {};
  return !file.empty() && stat(file.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string THi::GetShortPath(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 ? path : std::string();
}

bool THi::DirectoryExists(const std::string& folder) {
  struct stat st {};
  return !folder.empty() && stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void THi::CopyFolder(const std::string& source, const std::string& destFolder) {
  std::error_code ec;
  const fs::copy_options options = fs::copy_options::recursive |
                                   fs::copy_options::overwrite_existing |
                                   fs::copy_options::copy_symlinks;
  fs::path from(source);
  if (from.filename() == "*") {  // "folder/*": the folder's contents
    for (const auto& entry : fs::directory_iterator(from.parent_path(), ec)) {
      const fs::path to = fs::path(destFolder) / entry.path().filename();
      if (entry.is_directory()) fs::create_directories(to, ec);
      fs::copy(entry.path(), to, options, ec);
    }
    return;
  }
  from = from.lexically_normal();
  if (from.filename().empty()) from = from.parent_path();  // "site/" is "site"
  const fs::path to = fs::path(destFolder) / from.filename();
  fs::create_directories(destFolder, ec);
  if (fs::is_directory(from, ec)) fs::create_directories(to, ec);
  fs::copy(from, to, options, ec);
}

bool THi::CopyFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
}

bool THi::DeleteFolder(const std::string& folder) {
  std::error_code ec;
  if (DirectoryExists(folder)) fs::remove_all(folder, ec);
  return !DirectoryExists(folder);
}

bool THi::DeleteFile(const std::string& file) {
  if (FileExists(file)) unlink(file.c_str());
  return !FileExists(file);
}

bool THi::CreateNewFile(const std::string& file, std::string& reason) {
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    reason = SystemMessage(errno);
    return false;
  }
  close(fd);
  return true;
}

bool THi::RenameFile(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

TNameList THi::ListFiles(const std::string& folder) { return ReadFolder(folder, true); }

TNameList THi::ListEntries(const std::string& folder) { return ReadFolder(folder, false); }

std::string THi::LoadFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in || DirectoryExists(file))
    throw EHiError("Cannot open file \"" + file + "\". " + SystemMessage(errno ? errno : EISDIR));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void THi::SaveFile(const std::string& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) throw EHiError("Cannot create file \"" + file + "\". " + SystemMessage(errno));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw EHiError("Cannot write file \"" + file + "\". " + SystemMessage(errno));
}

bool THi::IsFileInUse(const std::string& file) {
  struct stat st {};
  if (stat(file.c_str(), &st) != 0) return false;
  // The owner of a read-only file (root above all) could still open it for
  // writing; the attribute alone makes it count as in use.
  if (IsReadOnlyMode(st.st_mode)) return true;
  // A running program refuses (ETXTBSY), as does a file we may not write.
  const int fd = open(file.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return true;
  close(fd);
  return false;
}

bool THi::IsCdRom(const std::string& drive) {
  const std::string path = drive.empty() ? GetAppDir() : drive;
  struct statfs fsInfo {};
  if (path.empty() || statfs(path.c_str(), &fsInfo) != 0) return false;
  return fsInfo.f_type == kIso9660Magic || fsInfo.f_type == kUdfMagic;
}

namespace hi_internal {

bool SetReadOnlyAttribute(const std::string& path, bool readOnly) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return false;
  if (S_ISLNK(st.st_mode)) return true;  // a link has no permissions of its own
  const mode_t mode = readOnly ? (st.st_mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH))
                               : (st.st_mode | S_IWUSR);
  return chmod(path.c_str(), mode & 07777) == 0;
}

bool CreateFolder(const std::string& folder) {
  // mkdir's mode passes through the umask; the folder must have exactly this one.
  return mkdir(folder.c_str(), PrivateFolderMode()) == 0 && chmod(folder.c_str(), PrivateFolderMode()) == 0;
}

}  // namespace hi_internal
