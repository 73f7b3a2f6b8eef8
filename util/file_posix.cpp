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

namespace {

// What an entry that is neither a file, a folder nor a link is; reading a
// FIFO or a device would wait for a writer or never end.
const char* SpecialKind(mode_t mode) {
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device file";
  return nullptr;
}

// Writes the open file into a new file beside `to` and renames it over
// `to`: a link there is replaced, never followed, and a copy that fails
// leaves `to` as it was. 0, or the error that stopped it (a full disk is
// told as such, not as a short copy).
int WriteBesideAndRename(int in, mode_t mode, const fs::path& to) {
  std::string beside = (to.parent_path() / ("." + to.filename().string() + ".XXXXXX")).string();
  const int out = mkostemp(beside.data(), O_CLOEXEC);
  if (out < 0) return errno;
  int error = 0;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      error = got < 0 ? errno : 0;
      break;
    }
    for (ssize_t done = 0; !error && done < got;) {
      const ssize_t put = write(out, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno != EINTR) error = errno;
      if (put > 0) done += put;
    }
    if (error) break;
  }
  if (!error && fchmod(out, mode & 07777) != 0) error = errno;
  if (close(out) != 0 && !error) error = errno;
  if (!error && rename(beside.c_str(), to.c_str()) != 0) error = errno;
  if (error) unlink(beside.c_str());
  return error;
}

// Why an entry that is no regular file cannot be copied; empty for a file.
std::string Refusal(mode_t mode) {
  if (S_ISREG(mode)) return {};
  const char* kind = SpecialKind(mode);
  return std::string("it is ") + (kind ? kind : "not a file") + ", which a copy cannot hold";
}

// Copies a regular file with its permissions, replacing `to`; 0, or the
// error that stopped it. `refusal` tells why an entry that is no regular
// file was not copied.
int CopyRegularFile(const fs::path& from, const fs::path& to, std::string& refusal) {
  struct stat st {};
  if (lstat(from.c_str(), &st) != 0) return errno;
  refusal = Refusal(st.st_mode);
  if (!refusal.empty()) return EINVAL;
  // Not blocking: an entry that turned into a FIFO since it was looked at
  // is refused rather than waited on.
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (in < 0) return errno;
  int error = fstat(in, &st) == 0 ? 0 : errno;
  if (!error) refusal = Refusal(st.st_mode);
  if (!refusal.empty()) error = EINVAL;
  if (!error && fcntl(in, F_SETFL, 0) != 0) error = errno;
  if (!error) error = WriteBesideAndRename(in, st.st_mode, to);
  close(in);
  return error;
}

// Copies one entry (a file, a link, or a folder with all it holds) to `to`,
// replacing what is there; false at the first entry that fails, named in
// `failure`. A link at `to` is replaced, never followed.
bool CopyEntry(const fs::path& from, const fs::path& to, std::string& failure) {
  std::error_code ec;
  std::string refusal;
  const fs::file_status status = fs::symlink_status(from, ec);
  if (!ec && fs::is_symlink(status)) {
    const fs::file_status there = fs::symlink_status(to, ec);
    if (fs::is_symlink(there) || fs::is_regular_file(there)) fs::remove(to, ec);
    ec.clear();
    fs::copy_symlink(from, to, ec);
  } else if (!ec && fs::is_directory(status)) {
    const fs::file_status there = fs::symlink_status(to, ec);
    if (fs::exists(there) && !fs::is_directory(there)) fs::remove(to, ec);
    ec.clear();
    fs::create_directory(to, ec);
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
      if (!CopyEntry(it->path(), to / it->path().filename(), failure)) return false;
    }
  } else if (!ec) {
    if (const int error = CopyRegularFile(from, to, refusal)) ec = std::error_code(error, std::generic_category());
  }
  if (!ec) return true;
  failure = refusal.empty() ? "Unable to copy " + from.string() + " to " + to.string() + ": " + ec.message()
                            : "Unable to copy " + from.string() + ": " + refusal + ".";
  return false;
}

}  // namespace

bool THi::CopyFolder(const std::string& source, const std::string& destFolder, std::string* failure) {
  std::string why;
  std::error_code ec;
  fs::path from(source);
  bool copied = true;
  fs::create_directories(destFolder, ec);
  if (from.filename() == "*") {  // "folder/*": the folder's contents
    for (fs::directory_iterator it(from.parent_path(), ec), end; copied && !ec && it != end; it.increment(ec))
      copied = CopyEntry(it->path(), fs::path(destFolder) / it->path().filename(), why);
  } else {
    from = from.lexically_normal();
    if (from.filename().empty()) from = from.parent_path();  // "site/" is "site"
    copied = CopyEntry(from, fs::path(destFolder) / from.filename(), why);
  }
  if (copied && ec) {
    why = "Unable to copy " + source + " to " + destFolder + ": " + ec.message();
    copied = false;
  }
  if (failure) *failure = why;
  return copied;
}

bool THi::CopyFile(const std::string& from, const std::string& to) {
  std::string refusal;
  return CopyRegularFile(from, to, refusal) == 0;
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

std::string THi::WhyNotWritable(const std::string& path) {
  if (DirectoryExists(path)) return access(path.c_str(), W_OK) == 0 ? std::string() : SystemMessage(errno);
  const int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return SystemMessage(errno);
  close(fd);
  return {};
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

bool IsLink(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool CreateFolder(const std::string& folder) {
  // mkdir's mode passes through the umask; the folder must have exactly this one.
  return mkdir(folder.c_str(), PrivateFolderMode()) == 0 && chmod(folder.c_str(), PrivateFolderMode()) == 0;
}

}  // namespace hi_internal
