// TFile: one open file, read in whole buffers; EFileError: its failures,
// carrying the system's error code and the system's description of it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class EFileError : public std::runtime_error {
 public:
  explicit EFileError(std::uint32_t code);
  std::uint32_t ErrorCode;

  // The system's description of the code without trailing blanks, line
  // breaks and full stops; "File I/O error %d" when the system has none.
  static std::string MessageFor(std::uint32_t code);
};

enum class TFileMode { kCreateAlways, kCreateNew, kOpenExisting, kOpenAlways, kTruncateExisting };
enum class TFileAccess { kRead, kWrite, kReadWrite };
enum class TFileShare { kNone, kRead, kWrite, kReadWrite };

class TFile {
 public:
  // Opens the file; raises EFileError when it cannot.
  TFile(const std::string& fileName, TFileMode mode, TFileAccess access, TFileShare share);
  ~TFile();
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  std::int64_t GetSize64();
  std::int32_t GetSize();  // 2,147,483,647 for 2 GiB and more
  // Reads up to n bytes; returns how many it read.
  std::size_t Read(void* buffer, std::size_t n);
  // Reads exactly n bytes; a short read raises the end-of-file error.
  void ReadBuffer(void* buffer, std::size_t n);

 private:
  std::intptr_t FHandle = -1;
  bool FOwnsHandle = false;
};

namespace tfile_platform {
extern const std::uint32_t kEndOfFileError;
// The system's own text for an error code; empty when it has none.
std::string SystemErrorText(std::uint32_t code);
}  // namespace tfile_platform
