#include "packaging/brand_staging.h"

#include <filesystem>
#include <utility>

#include "util/hi.h"
#include "util/hi_error.h"
#include "util/platform.h"
#include "util/utf8_path.h"

namespace {

namespace fs = std::filesystem;

// What a copy consists of, as the user is told it. It moves into place in
// the reverse order, the program file last, so a file named like the
// copy's program always comes with the rest. Both platforms' names count,
// so a copy never mixes with one made on the other.
const std::vector<std::string>& CopyEntryNames() {
  static const std::vector<std::string> names = {"runme.exe", "runme", "autorun.inf", "autorun.sh",
                                                 "bin",       "data",  "www"};
  return names;
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// Makes a fresh, empty folder at the path; empty when done, otherwise why not.
std::string MakeFresh(const fs::path& folder) {
  if (!THi::DeleteFolder(Utf8(folder)) || Exists(folder)) return "an unfinished copy cannot be removed";
  std::error_code ec;
  fs::create_directory(folder, ec);
  return ec ? ec.message() : std::string();
}

// True when entries of `folder` can be renamed into `output`: both lie on
// one volume and both may be written.
bool RenamesInto(const fs::path& folder, const fs::path& output) {
  const fs::path probe = output / ".rebrand-probe";
  std::error_code ec;
  fs::remove(probe, ec);
  fs::rename(folder, probe, ec);
  if (ec) return false;
  fs::rename(probe, folder, ec);
  if (!ec) return true;
  fs::remove(probe, ec);
  return false;
}

// Beside the output folder, where the desktop or a site's folder shows
// nothing of a build until it is done.
std::string StagingFolder(const std::string& output) {
  std::error_code ec;
  fs::path out = fs::canonical(U8Path(output), ec);
  if (ec) out = fs::absolute(U8Path(output), ec);
  if (out.has_relative_path() && !out.filename().empty()) {
    const fs::path beside = out.parent_path() / ("." + Utf8(out.filename()) + ".rebrand");
    if (MakeFresh(beside).empty() && RenamesInto(beside, out)) return Utf8(beside);
    THi::DeleteFolder(Utf8(beside));
  }
  const fs::path inside = out / ".rebrand";
  if (const std::string why = MakeFresh(inside); !why.empty())
    throw EHiError("Unable to write to the output folder " + output + ": " + why + ".");
  return Utf8(inside);
}

}  // namespace

std::vector<std::string> EarlierCopyIn(const std::string& output) {
  std::vector<std::string> present;
  for (const std::string& name : CopyEntryNames())
    if (Exists(U8Path(output) / U8Path(name))) present.push_back(name);
  return present;
}

TCopyUnderConstruction::TCopyUnderConstruction(const std::string& output)
    : output_(output), folder_(StagingFolder(output)) {}

TCopyUnderConstruction::~TCopyUnderConstruction() { THi::DeleteFolder(folder_); }

std::string TCopyUnderConstruction::Path(const std::string& name) const {
  return folder_ + platform::kPathDelim + name;
}

std::string TCopyUnderConstruction::NewFolder(const std::string& name) const {
  const std::string folder = Path(name);
  std::error_code ec;
  if (!fs::create_directory(U8Path(folder), ec) && !THi::DirectoryExists(folder))
    throw EHiError("Unable to write to the output folder " + output_ + ": " + ec.message() + ".");
  return folder;
}

void TCopyUnderConstruction::Complete(const std::vector<std::string>& earlier) {
  const fs::path out = U8Path(output_);
  const fs::path aside = U8Path(NewFolder("earlier"));
  std::vector<std::pair<fs::path, fs::path>> moved;
  const auto move = [&](const fs::path& from, const fs::path& to, const fs::path& named) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (!ec) {
      moved.emplace_back(from, to);
      return;
    }
    // Back as it was: the new entries out, the earlier ones in.
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
      std::error_code ignored;
      fs::rename(it->second, it->first, ignored);
    }
    throw EHiError("Unable to replace " + Utf8(named) + ": " + ec.message() +
                   ". Close any program that uses the output folder and try again.");
  };
  for (const std::string& name : earlier) move(out / U8Path(name), aside / U8Path(name), out / U8Path(name));
  for (auto name = CopyEntryNames().rbegin(); name != CopyEntryNames().rend(); ++name) {
    const fs::path built = U8Path(Path(*name));
    if (Exists(built)) move(built, out / U8Path(*name), out / U8Path(*name));
  }
}
