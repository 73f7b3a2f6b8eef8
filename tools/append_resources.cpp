// lodestack-resources: gives a freshly linked Linux program file its
// built-in resources, in the same table the patch modes later rewrite.
//   lodestack-resources PROGRAM [--data NAME FILE]... [--icon NAME FILE]...
#include <cstdio>
#include <exception>
#include <string>

#include "util/hi.h"
#include "util/icon_file.h"
#include "util/resource_table.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: lodestack-resources PROGRAM [--data NAME FILE]... [--icon NAME FILE]...\n");
  return 2;
}

// An icon group and its images, numbered after the images already present.
bool AddIcon(ResourceFile& file, const std::string& name, const std::string& icon) {
  if (!icon_file::IsValid(icon)) return false;
  std::uint16_t first = 1;
  for (const ResourceEntry& e : file.entries) {
    if (e.type == kResIcon && e.name.id >= first) first = static_cast<std::uint16_t>(e.name.id + 1);
  }
  std::string group = icon_file::Group(icon, 0, 1);
  for (std::uint16_t i = 0; i < icon_file::ImageCount(icon); ++i) {
    const auto id = static_cast<std::uint16_t>(first + i);
    group[6 + 14 * i + 12] = static_cast<char>(id & 0xff);
    group[6 + 14 * i + 13] = static_cast<char>(id >> 8);
    const std::string image = icon_file::Image(icon, i);
    restable::Update(file.entries, kResIcon, ResourceName::Numbered(id), kLangEnglishUs, &image);
  }
  restable::Update(file.entries, kResGroupIcon, ResourceName::Named(name), kLangEnglishUs, &group);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || (argc - 2) % 3 != 0) return Usage();
  const std::string program = argv[1];
  try {
    auto file = restable::Parse(THi::LoadFile(program));
    if (!file) {
      std::fprintf(stderr, "lodestack-resources: %s has a damaged resource table\n", program.c_str());
      return 1;
    }
    for (int i = 2; i < argc; i += 3) {
      const std::string kind = argv[i], name = argv[i + 1], source = argv[i + 2];
      const std::string bytes = THi::LoadFile(source);
      if (kind == "--data") {
        restable::Update(file->entries, kResData, ResourceName::Named(name), kLangNeutral, &bytes);
      } else if (kind == "--icon") {
        if (!AddIcon(*file, name, bytes)) {
          std::fprintf(stderr, "lodestack-resources: %s is not a valid icon file\n", source.c_str());
          return 1;
        }
      } else {
        return Usage();
      }
    }
    THi::SaveFile(program, restable::Serialize(*file));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lodestack-resources: %s\n", e.what());
    return 1;
  }
  return 0;
}
