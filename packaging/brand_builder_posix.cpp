#include <filesystem>

#include "packaging/brand_builder.h"
#include "packaging/brand_builder_internal.h"

const char* const kBrandProgramName = "runme";
const char* const kAutoRunName = "autorun.sh";

namespace brand_internal {

// The AutoRun file is a shell script the desktop runs from the medium.
bool MakeAutoRunRunnable(const std::string& file) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::permissions(file, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ec);
  return !ec;
}

}  // namespace brand_internal
