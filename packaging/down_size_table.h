// What Down Size can remove: the sixteen components in command-line order,
// each with the path whose presence offers it and the files, folders and
// favorites it takes away, plus the shared files that go once nothing needs
// them. The components and captions are common; paths are per platform.
#pragma once

#include <string>
#include <vector>

struct TDownSizeAction {
  enum Kind { kDeleteFolder, kDeleteFile, kRemoveFavorite };
  Kind kind;
  // Relative to the program folder; for a favorite, the favorites file's section.
  std::string path;
  std::string key;  // the favorite's name
};

struct TDownSizeRow {
  int position;           // the argument index of its flag (2 to 17)
  const char* checkBox;   // the check box's name
  const char* caption;
  int group;              // the framed group it sits in on screen (1 to 4)
  std::string marker;     // relative to the program folder
  bool markerIsFolder;
  std::vector<TDownSizeAction> actions;  // in execution order
  // A file of today's servers that offers the component too; empty when none.
  std::string newerMarker;
};

// Shared files that go when none of the files that need them is left.
struct TDownSizeCleanUp {
  // Relative paths; a '*' in the last name stands for any text.
  std::vector<std::string> neededBy;
  std::vector<std::string> files;
};

struct TDownSizeTable {
  std::vector<TDownSizeRow> rows;  // the sixteen, in position order
  std::vector<TDownSizeCleanUp> cleanUps;
  std::string favoritesFile;       // relative to the program folder
  // The php.ini template whose extension lines follow what is left in
  // extensionDir; empty where the template names no files to tidy.
  std::string phpIniTemplate;
  std::string extensionDir;
  // What PHP puts around a bare extension name ("gd") to find its file.
  std::string extensionPrefix;
  std::string extensionSuffix;
  // The tree's own copies of the libraries its programs need, which go once
  // nothing needs them; empty where the tree has no such folder.
  std::string libraryDir;
};

inline constexpr int kDownSizeComponents = 16;
inline constexpr int kDownSizeFirstPosition = 2;

// The running platform's table (down_size_table_posix.cpp / _win.cpp).
const TDownSizeTable& DownSizeTable();

// Builds a row from the common description of the component at `position`.
TDownSizeRow DownSizeRow(int position, std::string marker, bool markerIsFolder,
                         std::vector<TDownSizeAction> actions);
