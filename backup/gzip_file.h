// gzip files written and read in pieces, so a dump of any size passes
// through without being held in memory.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

#include <zlib.h>

namespace backup {

class TGzipWriter {
 public:
  TGzipWriter() = default;
  ~TGzipWriter();
  TGzipWriter(const TGzipWriter&) = delete;
  TGzipWriter& operator=(const TGzipWriter&) = delete;

  // Creates or replaces the file; false with the reason when it cannot.
  bool Open(const std::string& file, std::string& reason);
  bool Write(std::string_view bytes);
  // Ends the stream and flushes it to the file; false when any write failed.
  bool Close();
  std::uint64_t BytesIn() const { return in_; }

 private:
  bool Deflate(int flush);
  std::ofstream out_;
  z_stream z_{};
  bool open_ = false;
  bool failed_ = false;
  std::uint64_t in_ = 0;
};

// Reads a whole gzip file and hands its text on in pieces; `sink` returns
// false to stop. Returns the empty text when the file was read to its
// correct end, otherwise why not ("not a gzip file", "cut short", ...).
std::string ReadGzip(const std::string& file, const std::function<bool(std::string_view)>& sink);

}  // namespace backup
