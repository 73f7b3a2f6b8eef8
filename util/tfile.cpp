#include "util/tfile.h"

#include <limits>

EFileError::EFileError(std::uint32_t code) : std::runtime_error(MessageFor(code)), ErrorCode(code) {}

std::string EFileError::MessageFor(std::uint32_t code) {
  std::string text = tfile_platform::SystemErrorText(code);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) < '!' || text.back() == '.'))
    text.pop_back();
  return text.empty() ? "File I/O error " + std::to_string(code) : text;
}

std::int32_t TFile::GetSize() {
  const std::int64_t size = GetSize64();
  return size >= std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                          : static_cast<std::int32_t>(size);
}

void TFile::ReadBuffer(void* buffer, std::size_t n) {
  auto* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const std::size_t got = Read(bytes + done, n - done);
    if (got == 0) throw EFileError(tfile_platform::kEndOfFileError);
    done += got;
  }
}
