#include "launcher/stale_files.h"

#include <algorithm>
#include <exception>

#include "util/platform.h"
#include "util/text.h"

namespace {

// The id a pid file holds; 0 when it holds none.
TProcessId PidIn(const std::string& file) {
  try {
    std::string text = THi::LoadFile(file);
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == ' '; }),
               text.end());
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 10) return 0;
    return static_cast<TProcessId>(std::stoul(text));
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace

int RemoveStaleRunFiles(const std::string& workDir, const TProcessIdList& live) {
  int removed = 0;
  for (const std::string& name : THi::ListFiles(workDir)) {
    const std::string path = workDir + platform::kPathDelim + name;
    const bool pidFile = name.size() > 4 && name.ends_with(".pid");
    const bool stale = pidFile ? std::find(live.begin(), live.end(), PidIn(path)) == live.end()
                               : IsDeadSocket(path);
    if (stale && THi::DeleteFile(path)) ++removed;
  }
  return removed;
}
