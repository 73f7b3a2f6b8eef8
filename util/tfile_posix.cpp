// TFile on Linux. Sharing modes have no meaning here: Linux does not lock
// files against other openers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "util/tfile.h"

namespace tfile_platform {
const std::uint32_t kEndOfFileError = ENODATA;
std::string SystemErrorText(std::uint32_t code) {
  return code == 0 ? std::string() : std::strerror(static_cast<int>(code));
}
}  // namespace tfile_platform

namespace {

int OpenFlags(TFileMode mode, TFileAccess access) {
  int flags = O_CLOEXEC;
  switch (access) {
    case TFileAccess::kRead: flags |= O_RDONLY; break;
    case TFileAccess::kWrite: flags |= O_WRONLY; break;
    case TFileAccess::kReadWrite: flags |= O_RDWR; break;
  }
  switch (mode) {
    case TFileMode::kCreateAlways: flags |= O_CREAT | O_TRUNC; break;
    case TFileMode::kCreateNew: flags |= O_CREAT | O_EXCL; break;
    case TFileMode::kOpenExisting: break;
    case TFileMode::kOpenAlways: flags |= O_CREAT; break;
    case TFileMode::kTruncateExisting: flags |= O_TRUNC; break;
  }
  return flags;
}

}  // namespace

TFile::TFile(const std::string& fileName, TFileMode mode, TFileAccess access, TFileShare) {
  const int fd = open(fileName.c_str(), OpenFlags(mode, access), 0666);
  if (fd < 0) throw EFileError(static_cast<std::uint32_t>(errno));
  FHandle = fd;
  FOwnsHandle = true;
}

TFile::~TFile() {
  if (FOwnsHandle) close(static_cast<int>(FHandle));
}

std::int64_t TFile::GetSize64() {
  struct stat st {};
  if (fstat(static_cast<int>(FHandle), &st) != 0) throw EFileError(static_cast<std::uint32_t>(errno));
  return st.st_size;
}

std::size_t TFile::Read(void* buffer, std::size_t n) {
  ssize_t got;
  do {
    got = read(static_cast<int>(FHandle), buffer, n);
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw EFileError(static_cast<std::uint32_t>(errno));
  return static_cast<std::size_t>(got);
}
