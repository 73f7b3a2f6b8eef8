// The program's own icon, as an icon file the toolkits can read.
#include "util/hi.h"
#include "util/hi_internal.h"
#include "util/icon_file.h"

std::string THi::LoadIconFile(const std::string& name) {
  std::string group;
  if (!hi_internal::LoadOwnResource(kResGroupIcon, ResourceName::Named(name), group)) return {};
  const std::string file = icon_file::FileFromGroup(group, [](std::uint16_t id) {
    std::string image;
    hi_internal::LoadOwnResource(kResIcon, ResourceName::Numbered(id), image);
    return image;
  });
  return icon_file::ImageCount(file) > 0 ? file : std::string();
}
