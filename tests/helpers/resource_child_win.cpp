// The own main icon on Windows: the system loads the group and the image it
// picks from it, as it would for the window and the tray.
#include <windows.h>

#include <string>

#include "helpers/resource_child.h"

std::string OwnMainIconReport() {
  HRSRC found = FindResourceW(nullptr, L"MAINICON", MAKEINTRESOURCEW(14));
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const auto* group = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
  if (!group) return "loads=0\n";
  const DWORD size = SizeofResource(nullptr, found);
  std::string ids;
  const unsigned count = size >= 6 ? (group[4] | group[5] << 8) : 0;
  for (unsigned i = 0; i < count && 6 + 14 * (i + 1) <= size; ++i) {
    const unsigned id = group[6 + 14 * i + 12] | group[6 + 14 * i + 13] << 8;
    ids += (ids.empty() ? "" : ",") + std::to_string(id);
  }
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  const bool loads = icon != nullptr;
  if (icon) DestroyIcon(icon);
  return std::string("loads=") + (loads ? "1" : "0") + "\nids=" + ids + "\n";
}
