// The process operations that are the same on every platform: matching
// running processes to a program file by path identity.
#include "util/hi.h"
#include "util/hi_internal.h"

std::string THi::GetProcessPath(TProcessId pid) {
  if (!ProcessExists(pid)) return {};
  return hi_internal::ReadProcessPath(pid);
}

namespace {

// Calls `visit` with each process running the program file until it returns false.
template <typename Visit>
void ForEachProcessOf(const std::string& programFile, Visit visit) {
  if (!THi::FileExists(programFile)) return;
  const std::string identity = hi_internal::PathIdentity(programFile);
  if (identity.empty()) return;
  for (TProcessId pid : hi_internal::SnapshotProcessIds()) {
    const std::string path = hi_internal::ReadProcessPath(pid);
    if (path.empty() || hi_internal::PathIdentity(path) != identity) continue;
    if (!visit(pid)) return;
  }
}

}  // namespace

TProcessIdList THi::FindProcessesByPath(const std::string& programFile) {
  TProcessIdList found;
  ForEachProcessOf(programFile, [&](TProcessId pid) {
    found.push_back(pid);
    return true;
  });
  return found;
}

TProcessId THi::FindProcessByPath(const std::string& programFile) {
  TProcessId first = 0;
  ForEachProcessOf(programFile, [&](TProcessId pid) {
    first = pid;
    return false;
  });
  return first;
}
