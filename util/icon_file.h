// Icon files (.ico) and the icon group resource built from one. An icon
// file is a 6-byte header (image count at offset 4) and one 16-byte entry per
// image (size at entry offset 8, data offset at 12); a group is a 6-byte
// header and one 14-byte entry per image: the first 12 bytes of the file's
// entry and the image's resource identifier.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace icon_file {

inline constexpr std::size_t kMaxSize = 1048576;

// False for a file too short for its entries, a program file (MZ), or an
// image that reaches past the end.
bool IsValid(const std::string& icon);
std::uint16_t ImageCount(const std::string& icon);
// The bytes of image i.
std::string Image(const std::string& icon, std::uint16_t i);
// A group listing the icon's images as identifiers 1..n; reserved and type
// come from the group it replaces.
std::string Group(const std::string& icon, std::uint16_t reserved, std::uint16_t type);
// The identifiers a group lists, in order.
std::basic_string<std::uint16_t> GroupIds(const std::string& group);
// The icon file a group and its images make (imageOf gives an image by its
// identifier; an image it cannot give is left out).
std::string FileFromGroup(const std::string& group,
                          const std::function<std::string(std::uint16_t id)>& imageOf);

}  // namespace icon_file
