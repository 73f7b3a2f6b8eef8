#include "picture/bitmap_decode.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
// The info header with its masks inside (the V2 header and later).
constexpr std::uint32_t kHeaderWithColourMasks = 52;

constexpr std::uint32_t kCompressionNone = 0;       // BI_RGB
constexpr std::uint32_t kCompressionBitFields = 3;  // BI_BITFIELDS
constexpr std::uint32_t kCompressionAlphaBitFields = 6;

// Little-endian reads of bytes the caller has checked are there.
std::uint32_t Le16(const std::string& b, std::uint64_t at) {
  return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}
std::uint32_t Le32(const std::string& b, std::uint64_t at) {
  return Le16(b, at) | Le16(b, at + 2) << 16;
}
bool Fits(const std::string& b, std::uint64_t at, std::uint64_t count) {
  return at <= b.size() && count <= b.size() - at;
}

// One colour channel of a 16- or 32-bit pixel, selected by its mask and
// stretched to 0..255.
class Channel {
 public:
  Channel() = default;
  explicit Channel(std::uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    while (((mask >> shift_) & 1u) == 0) ++shift_;
    max_ = mask >> shift_;
  }
  std::uint8_t Of(std::uint32_t pixel) const {
    if (max_ == 0) return 0;
    const std::uint64_t value = (pixel & mask_) >> shift_;
    return static_cast<std::uint8_t>((value * 255 + max_ / 2) / max_);
  }

 private:
  std::uint32_t mask_ = 0;
  int shift_ = 0;
  std::uint64_t max_ = 0;
};

struct Layout {
  std::int64_t width = 0;
  std::int64_t rows = 0;
  bool topDown = false;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t compression = kCompressionNone;
  std::uint32_t coloursUsed = 0;
  std::uint64_t paletteStart = 0;
  std::uint64_t paletteEntrySize = 4;
  std::array<Channel, 3> channels;  // red, green, blue of 16- and 32-bit pixels
};

bool ReadCoreHeader(const std::string& b, Layout& layout) {
  layout.width = Le16(b, 18);
  layout.rows = Le16(b, 20);
  layout.bitsPerPixel = Le16(b, 24);
  layout.paletteStart = kFileHeaderSize + kCoreHeaderSize;
  layout.paletteEntrySize = 3;
  return layout.bitsPerPixel == 1 || layout.bitsPerPixel == 4 || layout.bitsPerPixel == 8 ||
         layout.bitsPerPixel == 24;
}

bool ReadInfoHeader(const std::string& b, std::uint32_t headerSize, Layout& layout) {
  layout.width = static_cast<std::int32_t>(Le32(b, 18));
  const std::int64_t height = static_cast<std::int32_t>(Le32(b, 22));
  layout.topDown = height < 0;
  layout.rows = height < 0 ? -height : height;
  layout.bitsPerPixel = Le16(b, 28);
  layout.compression = Le32(b, 30);
  layout.coloursUsed = Le32(b, 46);
  layout.paletteStart = kFileHeaderSize + headerSize;

  const std::uint32_t bits = layout.bitsPerPixel;
  if (layout.compression == kCompressionNone) {
    if (bits == 16) {
      layout.channels = {Channel(0x7C00), Channel(0x03E0), Channel(0x001F)};
    } else if (bits == 32) {
      layout.channels = {Channel(0xFF0000), Channel(0xFF00), Channel(0xFF)};
    }
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  }
  if (layout.compression != kCompressionBitFields &&
      layout.compression != kCompressionAlphaBitFields) {
    return false;  // run-length encoded, or a JPEG or PNG inside: not decoded here
  }
  if (bits != 16 && bits != 32) return false;
  // The masks sit inside the larger headers, after the 40-byte one.
  std::uint64_t masksAt = kFileHeaderSize + kInfoHeaderSize;
  if (headerSize < kHeaderWithColourMasks) {
    const std::uint64_t maskCount = layout.compression == kCompressionAlphaBitFields ? 4 : 3;
    if (!Fits(b, masksAt, maskCount * 4)) return false;
    layout.paletteStart += maskCount * 4;
  }
  layout.channels = {Channel(Le32(b, masksAt)), Channel(Le32(b, masksAt + 4)),
                     Channel(Le32(b, masksAt + 8))};
  return true;
}

// The file's palette as RGBA; indices past its end draw black.
std::array<std::array<std::uint8_t, 4>, 256> ReadPalette(const std::string& b,
                                                         const Layout& layout,
                                                         std::uint64_t entries) {
  std::array<std::array<std::uint8_t, 4>, 256> palette{};
  for (auto& colour : palette) colour = {0, 0, 0, 255};
  for (std::uint64_t i = 0; i < entries; ++i) {
    const std::uint64_t at = layout.paletteStart + i * layout.paletteEntrySize;
    palette[i] = {static_cast<std::uint8_t>(b[at + 2]), static_cast<std::uint8_t>(b[at + 1]),
                  static_cast<std::uint8_t>(b[at]), 255};
  }
  return palette;
}

}  // namespace

TPicture DecodeBitmap(const std::string& b) {
  if (!Fits(b, 0, kFileHeaderSize + 4) || b[0] != 'B' || b[1] != 'M') return {};
  const std::uint64_t pixelOffset = Le32(b, 10);
  const std::uint32_t headerSize = Le32(b, 14);
  if (!Fits(b, kFileHeaderSize, headerSize)) return {};

  Layout layout;
  bool known = false;
  if (headerSize == kCoreHeaderSize) {
    known = ReadCoreHeader(b, layout);
  } else if (headerSize >= kInfoHeaderSize) {
    known = ReadInfoHeader(b, headerSize, layout);
  }
  if (!known || !PictureSizeAllowed(layout.width, layout.rows)) return {};

  const std::uint32_t bits = layout.bitsPerPixel;
  std::uint64_t paletteEntries = 0;
  if (bits <= 8) {
    const std::uint64_t most = std::uint64_t{1} << bits;
    paletteEntries = layout.coloursUsed == 0 ? most : std::min<std::uint64_t>(layout.coloursUsed, most);
    // A palette never runs into the pixels, whatever the header claims.
    if (pixelOffset > layout.paletteStart) {
      paletteEntries = std::min(paletteEntries,
                                (pixelOffset - layout.paletteStart) / layout.paletteEntrySize);
    }
    if (!Fits(b, layout.paletteStart, paletteEntries * layout.paletteEntrySize)) return {};
  }
  const std::uint64_t dataStart =
      pixelOffset != 0 ? pixelOffset : layout.paletteStart + paletteEntries * layout.paletteEntrySize;

  // Rows are padded to four bytes; the last one may lack its padding.
  const std::uint64_t rowBits = static_cast<std::uint64_t>(layout.width) * bits;
  const std::uint64_t stride = (rowBits + 31) / 32 * 4;
  const std::uint64_t rowBytes = (rowBits + 7) / 8;
  const std::uint64_t rows = static_cast<std::uint64_t>(layout.rows);
  if (!Fits(b, dataStart, stride * (rows - 1) + rowBytes)) return {};

  TPicture picture = AllocatePicture(layout.width, layout.rows);
  if (picture.Empty()) return {};
  const auto palette = ReadPalette(b, layout, paletteEntries);
  const auto* data = reinterpret_cast<const std::uint8_t*>(b.data()) + dataStart;
  for (std::uint64_t row = 0; row < rows; ++row) {
    const std::uint8_t* in = data + row * stride;
    const std::uint64_t y = layout.topDown ? row : rows - 1 - row;
    std::uint8_t* out = picture.rgba.data() + y * static_cast<std::uint64_t>(picture.width) * 4;
    for (std::int64_t x = 0; x < layout.width; ++x, out += 4) {
      if (bits <= 8) {
        const std::uint64_t bit = static_cast<std::uint64_t>(x) * bits;
        const unsigned shift = 8 - bits - bit % 8;
        const unsigned index = (in[bit / 8] >> shift) & ((1u << bits) - 1);
        std::copy(palette[index].begin(), palette[index].end(), out);
      } else if (bits == 24) {
        const std::uint8_t* p = in + x * 3;
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
        out[3] = 255;
      } else {
        const std::uint8_t* p = in + x * (bits / 8);
        std::uint32_t pixel = p[0] | static_cast<std::uint32_t>(p[1]) << 8;
        if (bits == 32) pixel |= static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
        for (int c = 0; c < 3; ++c) out[c] = layout.channels[c].Of(pixel);
        out[3] = 255;
      }
    }
  }
  return picture;
}
