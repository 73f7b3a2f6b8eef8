#include "util/icon_file.h"

#include <utility>
#include <vector>

namespace icon_file {
namespace {

std::uint32_t Le(const std::string& bytes, std::size_t at, std::size_t n) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < n; ++i)
    value |= std::uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

void Put16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, static_cast<std::uint16_t>(value & 0xffff));
  Put16(out, static_cast<std::uint16_t>(value >> 16));
}

std::size_t EntryAt(std::uint16_t i) { return 6 + 16 * std::size_t(i); }

}  // namespace

std::uint16_t ImageCount(const std::string& icon) {
  return icon.size() < 6 ? 0 : static_cast<std::uint16_t>(Le(icon, 4, 2));
}

bool IsValid(const std::string& icon) {
  if (icon.size() < 6) return false;
  if (icon[0] == 'M' && icon[1] == 'Z') return false;
  const std::uint16_t count = ImageCount(icon);
  if (icon.size() < EntryAt(count)) return false;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint64_t end =
        std::uint64_t(Le(icon, EntryAt(i) + 12, 4)) + Le(icon, EntryAt(i) + 8, 4);
    if (end > 0xffffffffu || end > icon.size()) return false;
  }
  return true;
}

std::string Image(const std::string& icon, std::uint16_t i) {
  return icon.substr(Le(icon, EntryAt(i) + 12, 4), Le(icon, EntryAt(i) + 8, 4));
}

std::string Group(const std::string& icon, std::uint16_t reserved, std::uint16_t type) {
  const std::uint16_t count = ImageCount(icon);
  std::string group;
  Put16(group, reserved);
  Put16(group, type);
  Put16(group, count);
  for (std::uint16_t i = 0; i < count; ++i) {
    group += icon.substr(EntryAt(i), 12);
    Put16(group, static_cast<std::uint16_t>(i + 1));
  }
  return group;
}

std::basic_string<std::uint16_t> GroupIds(const std::string& group) {
  std::basic_string<std::uint16_t> ids;
  if (group.size() < 6) return ids;
  const std::uint32_t count = Le(group, 4, 2);
  for (std::uint32_t i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i)
    ids.push_back(static_cast<std::uint16_t>(Le(group, 6 + 14 * i + 12, 2)));
  return ids;
}

std::string FileFromGroup(const std::string& group,
                          const std::function<std::string(std::uint16_t id)>& imageOf) {
  const std::basic_string<std::uint16_t> ids = GroupIds(group);
  std::vector<std::pair<std::size_t, std::string>> images;  // group entry, image
  for (std::size_t i = 0; i < ids.size(); ++i) {
    std::string image = imageOf(ids[i]);
    if (!image.empty()) images.emplace_back(6 + 14 * i, std::move(image));
  }
  std::string file;
  Put16(file, 0);
  Put16(file, 1);
  Put16(file, static_cast<std::uint16_t>(images.size()));
  std::size_t offset = EntryAt(static_cast<std::uint16_t>(images.size()));
  for (const auto& [entry, image] : images) {
    file += group.substr(entry, 8);  // size, colours, planes, bits
    Put32(file, static_cast<std::uint32_t>(image.size()));
    Put32(file, static_cast<std::uint32_t>(offset));
    offset += image.size();
  }
  for (const auto& image : images) file += image.second;
  return file;
}

}  // namespace icon_file
