// Listing a Linux program file's resources: its appended table, read whole.
#include <algorithm>

#include "support/resource_support.h"
#include "util/resource_table.h"

namespace test {

namespace {

std::vector<ResourceEntry> Entries(const std::string& programFile) {
  const auto parsed = restable::Parse(ReadFile(programFile));
  if (!parsed) {
    ADD_FAILURE() << programFile << " has a damaged resource table";
    return {};
  }
  return parsed->entries;
}

}  // namespace

std::vector<std::uint16_t> ResourceLanguages(const std::string& programFile, std::uint16_t type,
                                             const ResourceName& name) {
  std::vector<std::uint16_t> languages;
  for (const ResourceEntry& e : Entries(programFile)) {
    if (e.type == type && e.name.Matches(name)) languages.push_back(e.language);
  }
  return languages;
}

std::vector<std::uint16_t> ResourceIds(const std::string& programFile, std::uint16_t type) {
  std::vector<std::uint16_t> ids;
  for (const ResourceEntry& e : Entries(programFile)) {
    if (e.type == type && e.name.IsNumber()) ids.push_back(e.name.id);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace test

namespace test {
bool RunningUnderWine() { return false; }
}  // namespace test
