// The icon-file validator on any bytes, and what a valid file promises: every
// image lies within the file with the size its entry gives, and the group
// built from it lists identifiers 1..n after a copy of each entry. The group
// reader also meets the raw bytes, as it meets a group read from a program.
#include "fuzz/fuzz_input.h"
#include "util/icon_file.h"

namespace {

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= std::uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes = fuzz::AsText(data, size);
  const std::basic_string<std::uint16_t> rawIds = icon_file::GroupIds(bytes);
  FUZZ_CHECK(size < 6 || rawIds.size() <= (size - 6) / 14);

  if (!icon_file::IsValid(bytes)) return 0;
  FUZZ_CHECK(!(bytes[0] == 'M' && bytes[1] == 'Z'));
  const std::uint16_t count = icon_file::ImageCount(bytes);
  FUZZ_CHECK(size >= 6 + 16 * std::size_t(count));
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * std::size_t(i);
    const std::uint32_t imageSize = Le32(bytes, entry + 8);
    const std::uint32_t offset = Le32(bytes, entry + 12);
    const std::string image = icon_file::Image(bytes, i);
    FUZZ_CHECK(image.size() == imageSize);
    FUZZ_CHECK(image == bytes.substr(offset, imageSize));
  }

  const std::string group = icon_file::Group(bytes, 0, 1);
  FUZZ_CHECK(group.size() == 6 + 14 * std::size_t(count));
  const std::basic_string<std::uint16_t> ids = icon_file::GroupIds(group);
  FUZZ_CHECK(ids.size() == count);
  for (std::uint16_t i = 0; i < count; ++i) {
    FUZZ_CHECK(ids[i] == i + 1);
    FUZZ_CHECK(group.compare(6 + 14 * std::size_t(i), 12, bytes, 6 + 16 * std::size_t(i), 12) == 0);
  }
  return 0;
}
