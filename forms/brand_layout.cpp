#include "forms/brand_layout.h"

namespace brand_layout {

std::vector<std::string> ListItems(BrandView::TList list) {
  static constexpr std::array<const char*, 6> kChoices{
      "Show Toolbar & Addressbar", "Show Statusbar", "Show Tray Icon", "Full Screen", "127.0.0.1 - LOOPBACK",
      "Copy site files from CD to hard disk on startup so PHP can write files"};
  const std::string choice = kChoices[list];
  return {choice + " (Y)", choice + " (N)"};
}

}  // namespace brand_layout
