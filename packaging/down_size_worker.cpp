#include "packaging/down_size_worker.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <thread>

#include "packaging/library_prune.h"
#include "util/hi.h"
#include "util/notice.h"
#include "util/platform.h"

namespace {

namespace fs = std::filesystem;

// The launcher that started the worker ends within this, or not at all.
constexpr auto kLauncherLimit = std::chrono::seconds(60);

fs::path U8Path(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Why a file or folder that was to go is still there: the first entry in
// it that cannot be removed, in the system's words.
std::string WhyStillThere(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(fs::symlink_status(path, ec))) {
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
      if (std::string why = WhyStillThere(it->path()); !why.empty()) return why;
    }
  }
  if (fs::remove(path, ec) || !fs::exists(fs::symlink_status(path))) return {};
  return PathText(path) + ": " + (ec ? ec.message() : "it is still there");
}

void Pause(const TDownSizeRun& run) {
  run.processMessages();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
}

std::string FolderOf(const std::string& file) {
  const auto slash = file.rfind(platform::kPathDelim);
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

// "MySQL" of the check box "Delete MySQL".
std::string ComponentName(const TDownSizeRow& row) {
  const std::string caption = row.caption;
  return caption.rfind("Delete ", 0) == 0 ? caption.substr(7) : caption;
}

// Empty when the action did its part; otherwise what stays, and why.
std::string Perform(const TDownSizeAction& action, const std::string& appPath, const TDownSizeTable& table) {
  const std::string path = appPath + action.path;
  switch (action.kind) {
    case TDownSizeAction::kDeleteFolder:
      if (THi::DirectoryExists(path) && !THi::DeleteFolder(path)) return WhyStillThere(U8Path(path));
      break;
    case TDownSizeAction::kDeleteFile:
      if (THi::FileExists(path) && !THi::DeleteFile(path)) return WhyStillThere(U8Path(path));
      break;
    case TDownSizeAction::kRemoveFavorite: {
      const std::string favorites = appPath + table.favoritesFile;
      THi::DeleteIniKey(favorites, action.path, action.key);
      if (!THi::ReadIniValue(favorites, action.path, action.key).empty())
        return "the favorite \"" + action.key + "\" stays in " + favorites + ": it cannot be written";
      break;
    }
  }
  return {};
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

// Empty when the files went (or are still needed); otherwise why one stays.
std::string CleanUp(const TDownSizeCleanUp& cleanUp, const std::string& appPath) {
  for (const std::string& needer : cleanUp.neededBy)
    if (Present(appPath + needer)) return {};
  for (const std::string& file : cleanUp.files) {
    const std::string path = appPath + file;
    if (THi::FileExists(path) && !THi::DeleteFile(path)) return WhyStillThere(U8Path(path));
  }
  return {};
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
  const std::string tidy = DropMissingExtensions(text, appPath + table.extensionDir, table.extensionPrefix,
                                                 table.extensionSuffix);
  if (tidy == text) return;
  // Written beside and renamed over it, so a failed write leaves the template whole.
  const std::string fresh = file + ".new";
  THi::SaveFile(fresh, tidy);
  std::error_code ec;
  fs::rename(U8Path(fresh), U8Path(file), ec);
  if (ec) {
    THi::DeleteFile(fresh);
    throw std::runtime_error("Unable to replace " + file + ": " + ec.message());
  }
}

}  // namespace

std::string DropMissingExtensions(const std::string& phpIni, const std::string& extensionDir,
                                  const std::string& prefix, const std::string& suffix) {
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
    const std::string folder = extensionDir + platform::kPathDelim;
    if (bare && !THi::FileExists(folder + name) && !THi::FileExists(folder + prefix + name + suffix)) continue;
    kept += line;
  }
  return kept;
}

void RunDownSizeWorker(const std::vector<std::string>& flags, const TDownSizeRun& run) {
  // The launcher that started this worker, and its helpers, end first.
  const auto deadline = std::chrono::steady_clock::now() + kLauncherLimit;
  while (THi::FindProcessesByPath(run.programFile).size() >= 2) {
    if (std::chrono::steady_clock::now() >= deadline) {
      run.showFailure("Down Size removed nothing: " + run.programFile + " did not end within " +
                      std::to_string(kLauncherLimit.count()) + " seconds.");
      return;
    }
    Pause(run);
  }
  Pause(run);

  const std::string appPath = FolderOf(run.programFile);
  const TDownSizeTable& table = *run.table;
  std::string failures;
  const auto note = [&](const std::string& what, const std::string& why) {
    if (!why.empty()) failures += "\n" + what + ": " + why;
  };
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    if (i >= flags.size() || flags[i] == "0") continue;
    // A row that fails stops there; the others still run.
    std::string why;
    try {
      for (const TDownSizeAction& action : table.rows[i].actions) {
        why = Perform(action, appPath, table);
        if (!why.empty()) break;
      }
    } catch (const std::exception& e) {
      why = e.what();
    }
    note(ComponentName(table.rows[i]), why);
  }
  Pause(run);

  for (const TDownSizeCleanUp& cleanUp : table.cleanUps) {
    try {
      note("Shared files", CleanUp(cleanUp, appPath));
    } catch (const std::exception& e) {
      note("Shared files", e.what());
    }
  }
  // The next start must not ask PHP for a library that is gone.
  if (!table.phpIniTemplate.empty()) {
    try {
      TidyPhpIni(table, appPath);
    } catch (const std::exception& e) {
      note("php.ini", e.what());
    }
  }
  // What only the removed components needed goes with them.
  if (!table.libraryDir.empty()) {
    try {
      for (const std::string& why : DeleteUnneededLibraries(appPath, "bin", table.libraryDir).stayed)
        note("Libraries", why);
    } catch (const std::exception& e) {
      note("Libraries", e.what());
    }
  }

  const std::string notice = failures.empty() ? "" : "Down Size could not remove everything:" + failures;
  if (run.restart) {
    run.restart(run.programFile, notice);
  } else {
    HandOnNotice(notice);
    THi::RunProgram(run.programFile, "", "", kShowNormal);
  }
}
