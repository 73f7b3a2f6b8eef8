#include "backup/gzip_file.h"

#include "backup/backup_files.h"
#include <vector>

namespace backup {

namespace {

constexpr std::size_t kChunk = 256 * 1024;

// gzip framing: window bits plus 16.
constexpr int kGzipWindow = 15 + 16;

}  // namespace

TGzipWriter::~TGzipWriter() {
  if (open_) deflateEnd(&z_);
}

bool TGzipWriter::Open(const std::string& file, std::string& reason) {
  out_.open(PathOf(file), std::ios::binary | std::ios::trunc);
  if (!out_) {
    reason = "cannot create " + file;
    return false;
  }
  // Level 6 is gzip's own default: the usual balance of time and size.
  if (deflateInit2(&z_, 6, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    reason = "the compressor could not start";
    return false;
  }
  open_ = true;
  return true;
}

bool TGzipWriter::Deflate(int flush) {
  std::vector<unsigned char> buffer(kChunk);
  int result = Z_OK;
  do {
    z_.next_out = buffer.data();
    z_.avail_out = static_cast<uInt>(buffer.size());
    result = deflate(&z_, flush);
    if (result == Z_STREAM_ERROR) return false;
    out_.write(reinterpret_cast<const char*>(buffer.data()),
               static_cast<std::streamsize>(buffer.size() - z_.avail_out));
    if (!out_) return false;
  } while (z_.avail_out == 0 && result != Z_STREAM_END);
  return true;
}

bool TGzipWriter::Write(std::string_view bytes) {
  if (!open_ || failed_) return false;
  z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  z_.avail_in = static_cast<uInt>(bytes.size());
  in_ += bytes.size();
  if (!Deflate(Z_NO_FLUSH)) failed_ = true;
  return !failed_;
}

bool TGzipWriter::Close() {
  if (!open_) return false;
  z_.next_in = nullptr;
  z_.avail_in = 0;
  if (!failed_ && !Deflate(Z_FINISH)) failed_ = true;
  deflateEnd(&z_);
  open_ = false;
  out_.flush();
  out_.close();
  return !failed_ && !out_.fail();
}

std::string ReadGzip(const std::string& file, const std::function<bool(std::string_view)>& sink) {
  std::ifstream in(PathOf(file), std::ios::binary);
  if (!in) return "cannot be read";
  std::vector<unsigned char> input(kChunk), output(kChunk);
  in.read(reinterpret_cast<char*>(input.data()), 2);
  if (in.gcount() < 2 || input[0] != 0x1f || input[1] != 0x8b) return "is not a gzip file";
  in.seekg(0);
  z_stream z{};
  if (inflateInit2(&z, kGzipWindow) != Z_OK) return "the decompressor could not start";
  int result = Z_OK;
  std::string why;
  while (result != Z_STREAM_END && why.empty()) {
    in.read(reinterpret_cast<char*>(input.data()), static_cast<std::streamsize>(input.size()));
    z.next_in = input.data();
    z.avail_in = static_cast<uInt>(in.gcount());
    if (z.avail_in == 0) {
      why = "is cut short";
      break;
    }
    while (z.avail_in > 0 && result != Z_STREAM_END) {
      z.next_out = output.data();
      z.avail_out = static_cast<uInt>(output.size());
      result = inflate(&z, Z_NO_FLUSH);
      if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
        why = "is damaged (" + std::string(z.msg ? z.msg : "bad data") + ")";
        break;
      }
      const std::size_t got = output.size() - z.avail_out;
      if (got > 0 && !sink(std::string_view(reinterpret_cast<const char*>(output.data()), got))) {
        why = "stopped";
        break;
      }
    }
  }
  inflateEnd(&z);
  return why;
}

}  // namespace backup
