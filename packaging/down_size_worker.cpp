#include "packaging/down_size_worker.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "packaging/library_prune.h"
#include "util/hi.h"
#include "util/platform.h"

namespace {

void Pause(const TDownSizeRun& run) {
  run.processMessages();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
}

std::string FolderOf(const std::string& file) {
  const auto slash = file.rfind(platform::kPathDelim);
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

void Perform(const TDownSizeAction& action, const std::string& appPath, const TDownSizeTable& table) {
  switch (action.kind) {
    case TDownSizeAction::kDeleteFolder:
      if (THi::DirectoryExists(appPath + action.path)) THi::DeleteFolder(appPath + action.path);
      break;
    case TDownSizeAction::kDeleteFile:
      if (THi::FileExists(appPath + action.path)) THi::DeleteFile(appPath + action.path);
      break;
    case TDownSizeAction::kRemoveFavorite:
      THi::DeleteIniKey(appPath + table.favoritesFile, action.path, action.key);
      break;
  }
}

// A file at the path, where a '*' in the last name stands for any text.
bool Present(const std::string& path) {
  const auto star = path.find('*');
  if (star == std::string::npos) return THi::FileExists(path);
  const std::string folder = FolderOf(path);
  const std::string prefix = path.substr(folder.size(), star - folder.size());
  const std::string suffix = path.substr(star + 1);
  for (const std::string& name : THi::ListFiles(folder)) {
    if (name.size() >= prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      return true;
  }
  return false;
}

void CleanUp(const TDownSizeCleanUp& cleanUp, const std::string& appPath) {
  for (const std::string& needer : cleanUp.neededBy)
    if (Present(appPath + needer)) return;
  for (const std::string& file : cleanUp.files)
    if (THi::FileExists(appPath + file)) THi::DeleteFile(appPath + file);
}

// The library an `extension=` or `zend_extension=` line loads, as written;
// empty for any other line.
std::string ExtensionOf(const std::string& line) {
  const auto start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return {};
  for (const std::string key : {"extension", "zend_extension"}) {
    if (line.compare(start, key.size(), key) != 0) continue;
    auto at = line.find_first_not_of(" \t", start + key.size());
    if (at == std::string::npos || line[at] != '=') return {};
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos) return {};
    if (line[at] == '"') {
      const auto close = line.find('"', at + 1);
      return close == std::string::npos ? std::string() : line.substr(at + 1, close - at - 1);
    }
    std::string value = line.substr(at, line.find(';', at) - at);
    value.erase(value.find_last_not_of(" \t\r") + 1);
    return value;
  }
  return {};
}

void TidyPhpIni(const TDownSizeTable& table, const std::string& appPath) {
  const std::string file = appPath + table.phpIniTemplate;
  if (!THi::FileExists(file)) return;
  const std::string text = THi::LoadFile(file);
  const std::string tidy = DropMissingExtensions(text, appPath + table.extensionDir, table.extensionSuffix);
  if (tidy == text) return;
  // Written beside and renamed over it, so a failed write leaves the template whole.
  const std::string fresh = file + ".new";
  THi::SaveFile(fresh, tidy);
  if (std::rename(fresh.c_str(), file.c_str()) != 0) THi::DeleteFile(fresh);
}

}  // namespace

std::string DropMissingExtensions(const std::string& phpIni, const std::string& extensionDir,
                                  const std::string& suffix) {
  std::string kept;
  std::size_t pos = 0;
  while (pos < phpIni.size()) {
    const auto newline = phpIni.find('\n', pos);
    const std::size_t end = newline == std::string::npos ? phpIni.size() : newline + 1;
    const std::string line = phpIni.substr(pos, end - pos);
    pos = end;
    const std::string name = ExtensionOf(line.substr(0, line.find_first_of("\r\n")));
    // Only bare names load from the extension folder; a line naming a path
    // elsewhere is the user's own and stays.
    const bool bare = !name.empty() && name.find_first_of("/\\") == std::string::npos;
    const std::string library = extensionDir + platform::kPathDelim + name;
    if (bare && !THi::FileExists(library) && !THi::FileExists(library + suffix)) continue;
    kept += line;
  }
  return kept;
}

void RunDownSizeWorker(const std::vector<std::string>& flags, const TDownSizeRun& run) {
  // The launcher that started this worker, and its helpers, end first.
  while (THi::FindProcessesByPath(run.programFile).size() >= 2) Pause(run);
  Pause(run);

  const std::string appPath = FolderOf(run.programFile);
  const TDownSizeTable& table = *run.table;
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    if (i >= flags.size() || flags[i] == "0") continue;
    // A row that fails stops there; the others still run.
    try {
      for (const TDownSizeAction& action : table.rows[i].actions) Perform(action, appPath, table);
    } catch (...) {
    }
  }
  Pause(run);

  for (const TDownSizeCleanUp& cleanUp : table.cleanUps) {
    try {
      CleanUp(cleanUp, appPath);
    } catch (...) {
    }
  }
  // The next start must not ask PHP for a library that is gone.
  if (!table.phpIniTemplate.empty()) {
    try {
      TidyPhpIni(table, appPath);
    } catch (...) {
    }
  }
  // What only the removed components needed goes with them.
  if (!table.libraryDir.empty()) {
    try {
      DeleteUnneededLibraries(appPath, "bin", table.libraryDir);
    } catch (...) {
    }
  }

  if (run.restart)
    run.restart(run.programFile);
  else
    THi::RunProgram(run.programFile, "", "", kShowNormal);
}
