// The favorites menu, made from bin/Favorites.ini beside the program file:
// section DIRS names folders ("{APPDIR}" for the program folder, relative
// paths from there) that open in the file manager, section URLS addresses
// ("{LOCALHOST:PORT}" for the local server) that open in the main window.
#pragma once

#include <string>
#include <vector>

struct TFavoriteEntry {
  enum class Kind { kOrganize, kSeparator, kFolder, kUrl };
  Kind kind;
  std::string caption;
};

// The file the menu is made from, in its short form; empty when it is missing.
std::string FavoritesFile();

// "Organize Favorites...", then (when the file exists) a separator, the
// folders, a separator and the addresses, in file order.
std::vector<TFavoriteEntry> FavoritesMenu(const std::string& favoritesFile);

// The folder an entry names (expanded; empty when the file or the folder is missing).
std::string FavoriteFolder(const std::string& favoritesFile, const std::string& caption);
// The address an entry names; empty when the file is missing.
std::string FavoriteUrl(const std::string& favoritesFile, const std::string& caption, int httpPort);
