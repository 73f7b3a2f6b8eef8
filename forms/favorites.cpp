#include "forms/favorites.h"

#include "forms/browser_form.h"
#include "util/hi.h"
#include "util/platform.h"
#include "util/text.h"

namespace {

std::string Value(const std::string& file, const char* section, const std::string& caption) {
  return TrimText(THi::ReadIniValue(file, section, TrimText(caption)));
}

}  // namespace

std::string FavoritesFile() {
  const std::string path = THi::GetAppPath() + "bin" + platform::kPathDelim + "Favorites.ini";
  return THi::FileExists(path) ? THi::GetShortPath(path) : std::string();
}

std::vector<TFavoriteEntry> FavoritesMenu(const std::string& favoritesFile) {
  using Kind = TFavoriteEntry::Kind;
  std::vector<TFavoriteEntry> menu{{Kind::kOrganize, "Organize Favorites..."}};
  if (favoritesFile.empty() || !THi::FileExists(favoritesFile)) return menu;
  for (const auto& [section, kind] : {std::pair{"DIRS", Kind::kFolder}, std::pair{"URLS", Kind::kUrl}}) {
    menu.push_back({Kind::kSeparator, "-"});
    for (const std::string& key : THi::ReadIniSection(favoritesFile, section)) menu.push_back({kind, key});
  }
  return menu;
}

std::string FavoriteFolder(const std::string& favoritesFile, const std::string& caption) {
  if (favoritesFile.empty() || !THi::FileExists(favoritesFile)) return {};
  const std::string value =
      ReplacePlaceholder(Value(favoritesFile, "DIRS", caption), "{APPDIR}", THi::GetAppDir());
  if (value.empty()) return {};  // no entry: not the program folder itself
  const std::string folder = THi::ExpandPath(value);
  return THi::DirectoryExists(folder) ? folder : std::string();
}

std::string FavoriteUrl(const std::string& favoritesFile, const std::string& caption, int httpPort) {
  if (favoritesFile.empty() || !THi::FileExists(favoritesFile)) return {};
  return ReplacePlaceholder(Value(favoritesFile, "URLS", caption), "{LOCALHOST:PORT}",
                            "127.0.0.1:" + std::to_string(httpPort));
}
