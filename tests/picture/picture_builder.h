// Pictures made to measure for the splash tests: Windows bitmaps written
// byte by byte, the committed JPEG and PNG files, and pixel access.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture/splash_picture.h"

namespace test {

// A bitmap file. Pixel values are palette indices (up to 8 bits), the raw
// 16- or 32-bit value, or 0xRRGGBB (24 bits); rows are given top to bottom
// and written in the order the height's sign says.
struct BitmapSpec {
  int width = 0;
  int height = 0;  // negative: rows stored top-down
  int bits = 24;
  std::uint32_t headerSize = 40;  // 12 (core), 40, 108 (V4) or 124 (V5)
  std::uint32_t compression = 0;  // 0 BI_RGB, 3 BI_BITFIELDS
  std::vector<std::uint32_t> masks;    // red, green, blue: in the header, or after a 40-byte one
  std::vector<std::uint32_t> palette;  // 0xRRGGBB
  std::uint32_t coloursUsed = 0;       // as written in the header; 0 writes palette.size()
  std::uint32_t gapBeforePixels = 0;   // bytes between the palette and the pixels
  std::vector<std::vector<std::uint32_t>> rows;
};
std::string MakeBitmap(const BitmapSpec& spec);
// A 24-bit bitmap of one colour.
std::string MakePlainBitmap(int width, int height, std::uint32_t rgb);

// Offsets of the file's header fields.
inline constexpr std::size_t kBfOffBits = 10;
inline constexpr std::size_t kBiSize = 14;
inline constexpr std::size_t kBiWidth = 18;
inline constexpr std::size_t kBiHeight = 22;
inline constexpr std::size_t kBiBitCount = 28;
inline constexpr std::size_t kBiCompression = 30;
inline constexpr std::size_t kBiClrUsed = 46;
void PutLe16At(std::string& bytes, std::size_t at, std::uint32_t value);
void PutLe32At(std::string& bytes, std::size_t at, std::uint32_t value);
void PutBe32At(std::string& bytes, std::size_t at, std::uint32_t value);

// A committed picture of tests/shell/pictures, copied beside the test program.
std::string TestPicture(const std::string& name);

// The PNG chunk checksum (CRC-32 over type and data).
std::uint32_t PngCrc(const std::string& typeAndData);

// The pixel at (x, y) as 0xRRGGBBAA.
std::uint32_t PixelAt(const TPicture& picture, int x, int y);
// True when every channel is within `tolerance` of the expected 0xRRGGBBAA.
bool Near(std::uint32_t rgba, std::uint32_t expected, int tolerance);

}  // namespace test
