#include "packaging/library_prune.h"

#include <filesystem>
#include <map>
#include <set>

#include "util/elf_needed.h"
#include "util/hi.h"
#include "util/utf8_path.h"

namespace {

namespace fs = std::filesystem;

// Links to folders are followed, so a tree assembled from links still counts
// what they hold; a loop of links ends at this depth.
constexpr int kMaxDepth = 24;

// The needs of every ELF file below the folder, the library folder aside.
void CollectNeeds(const fs::path& folder, const fs::path& libraries, std::vector<std::string>& needs) {
  std::error_code ec;
  fs::recursive_directory_iterator it(
      folder, fs::directory_options::follow_directory_symlink | fs::directory_options::skip_permission_denied,
      ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && (it->path() == libraries || it.depth() >= kMaxDepth)) {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(ec)) continue;
    if (const auto needed = ElfNeededOf(Utf8(it->path())))
      needs.insert(needs.end(), needed->begin(), needed->end());
  }
}

}  // namespace

TLibraryPrune DeleteUnneededLibraries(const std::string& appPath, const std::string& scanDir,
                                                 const std::string& libraryDir) {
  std::error_code ec;
  const fs::path app = U8Path(appPath);
  const fs::path libraries = app / U8Path(libraryDir);
  if (!fs::is_directory(libraries, ec) || fs::is_symlink(fs::symlink_status(libraries, ec))) return {};

  // The bundled libraries by name, with what each needs in turn.
  std::map<std::string, std::vector<std::string>> bundled;
  for (const fs::directory_entry& entry : fs::directory_iterator(libraries, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    if (const auto needed = ElfNeededOf(Utf8(entry.path())))
      bundled[Utf8(entry.path().filename())] = *needed;
  }

  std::vector<std::string> queue;
  for (const fs::directory_entry& entry : fs::directory_iterator(app, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    if (const auto needed = ElfNeededOf(Utf8(entry.path())))
      queue.insert(queue.end(), needed->begin(), needed->end());
  }
  CollectNeeds(app / U8Path(scanDir), libraries, queue);

  std::set<std::string> used;
  while (!queue.empty()) {
    const std::string name = Utf8(U8Path(queue.back()).filename());
    queue.pop_back();
    const auto library = bundled.find(name);
    if (library == bundled.end() || !used.insert(name).second) continue;
    queue.insert(queue.end(), library->second.begin(), library->second.end());
  }

  TLibraryPrune result;
  for (const auto& [name, needs] : bundled) {
    if (used.count(name)) continue;
    const fs::path library = libraries / U8Path(name);
    fs::remove(library, ec);
    if (ec) {
      result.stayed.push_back(Utf8(library) + ": " + ec.message());
    } else {
      result.deleted.push_back(name);
    }
  }
  return result;
}
