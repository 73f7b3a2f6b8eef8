#include "picture/picture_builder.h"

#include <cstdlib>

#include "support/test_support.h"
#include "util/hi.h"

namespace test {

void PutLe16At(std::string& bytes, std::size_t at, std::uint32_t value) {
  if (bytes.size() < at + 2) bytes.resize(at + 2);
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutLe32At(std::string& bytes, std::size_t at, std::uint32_t value) {
  PutLe16At(bytes, at, value & 0xFFFF);
  PutLe16At(bytes, at + 2, value >> 16);
}

void PutBe32At(std::string& bytes, std::size_t at, std::uint32_t value) {
  if (bytes.size() < at + 4) bytes.resize(at + 4);
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

namespace {

void Append16(std::string& out, std::uint32_t value) { PutLe16At(out, out.size(), value); }
void Append32(std::string& out, std::uint32_t value) { PutLe32At(out, out.size(), value); }

std::string PixelRow(const BitmapSpec& spec, const std::vector<std::uint32_t>& pixels) {
  std::string row;
  if (spec.bits <= 8) {
    std::uint32_t accumulator = 0;
    int filled = 0;
    for (std::uint32_t index : pixels) {
      accumulator = (accumulator << spec.bits) | index;
      filled += spec.bits;
      if (filled == 8) {
        row += static_cast<char>(accumulator);
        accumulator = 0;
        filled = 0;
      }
    }
    if (filled > 0) row += static_cast<char>(accumulator << (8 - filled));
  } else {
    for (std::uint32_t value : pixels) {
      for (int i = 0; i < spec.bits / 8; ++i) row += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
  }
  row.resize((row.size() + 3) / 4 * 4, '\0');
  return row;
}

}  // namespace

std::string MakeBitmap(const BitmapSpec& spec) {
  std::string header;
  if (spec.headerSize == 12) {
    Append32(header, 12);
    Append16(header, static_cast<std::uint32_t>(spec.width));
    Append16(header, static_cast<std::uint32_t>(spec.height));
    Append16(header, 1);
    Append16(header, static_cast<std::uint32_t>(spec.bits));
  } else {
    Append32(header, spec.headerSize);
    Append32(header, static_cast<std::uint32_t>(spec.width));
    Append32(header, static_cast<std::uint32_t>(spec.height));
    Append16(header, 1);
    Append16(header, static_cast<std::uint32_t>(spec.bits));
    Append32(header, spec.compression);
    Append32(header, 0);     // image size: may be 0 for uncompressed bitmaps
    Append32(header, 2835);  // 72 dpi
    Append32(header, 2835);
    Append32(header, spec.coloursUsed != 0 ? spec.coloursUsed
                                           : static_cast<std::uint32_t>(spec.palette.size()));
    Append32(header, 0);
    // The masks inside a larger header, or after the 40-byte one.
    for (std::uint32_t mask : spec.masks) Append32(header, mask);
    if (spec.headerSize > 40) header.resize(spec.headerSize, '\0');
  }
  for (std::uint32_t rgb : spec.palette) {
    header += static_cast<char>(rgb & 0xFF);
    header += static_cast<char>((rgb >> 8) & 0xFF);
    header += static_cast<char>((rgb >> 16) & 0xFF);
    if (spec.headerSize != 12) header += '\0';
  }
  header.append(spec.gapBeforePixels, '\x55');

  std::string pixels;
  const bool bottomUp = spec.height > 0;
  for (std::size_t i = 0; i < spec.rows.size(); ++i) {
    pixels += PixelRow(spec, spec.rows[bottomUp ? spec.rows.size() - 1 - i : i]);
  }
  std::string file = "BM";
  Append32(file, static_cast<std::uint32_t>(14 + header.size() + pixels.size()));
  Append32(file, 0);
  Append32(file, static_cast<std::uint32_t>(14 + header.size()));
  return file + header + pixels;
}

std::string MakePlainBitmap(int width, int height, std::uint32_t rgb) {
  BitmapSpec spec;
  spec.width = width;
  spec.height = height;
  spec.rows.assign(static_cast<std::size_t>(std::abs(height)),
                   std::vector<std::uint32_t>(static_cast<std::size_t>(width), rgb));
  return MakeBitmap(spec);
}

std::string TestPicture(const std::string& name) {
  return ReadFile(THi::GetAppPath() + "test_pictures" + kSep + name);
}

std::uint32_t PngCrc(const std::string& typeAndData) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : typeAndData) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

std::uint32_t PixelAt(const TPicture& picture, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * picture.width + x) * 4;
  return static_cast<std::uint32_t>(picture.rgba.at(at)) << 24 | picture.rgba.at(at + 1) << 16 |
         picture.rgba.at(at + 2) << 8 | picture.rgba.at(at + 3);
}

bool Near(std::uint32_t rgba, std::uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int got = static_cast<int>((rgba >> shift) & 0xFF);
    const int want = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(got - want) > tolerance) return false;
  }
  return true;
}

}  // namespace test
