// The own main icon on Linux: the group in the program's appended table and
// every image it lists.
#include <string>

#include "helpers/resource_child.h"
#include "util/hi.h"
#include "util/resource_table.h"

std::string OwnMainIconReport() {
  const auto own = restable::Parse(THi::LoadFile("/proc/self/exe"));
  if (!own) return "loads=0\n";
  const ResourceEntry* group =
      restable::Find(own->entries, kResGroupIcon, ResourceName::Named("MAINICON"));
  if (!group || group->data.size() < 6) return "loads=0\n";
  const auto le16 = [&](std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(group->data[at]) |
                                 static_cast<unsigned char>(group->data[at + 1]) << 8);
  };
  std::string ids;
  bool loads = true;
  for (unsigned i = 0; i < le16(4) && 6 + 14 * (i + 1) <= group->data.size(); ++i) {
    const unsigned id = le16(6 + 14 * i + 12);
    ids += (ids.empty() ? "" : ",") + std::to_string(id);
    loads = loads && restable::Find(own->entries, kResIcon,
                                    ResourceName::Numbered(static_cast<std::uint16_t>(id)));
  }
  return std::string("loads=") + (loads ? "1" : "0") + "\nids=" + ids + "\n";
}
