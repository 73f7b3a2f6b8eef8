#include "backup/backup_files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "util/hi.h"

namespace backup {

namespace {
constexpr char kAutoSuffix[] = "-auto.sql.gz";
constexpr char kSuffix[] = ".sql.gz";
}  // namespace

std::string SafeTitle(const std::string& title) {
  std::string safe;
  for (unsigned char c : title)
    safe += (c < 32 || std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos)
                ? '_'
                : static_cast<char>(c);
  // Windows drops trailing dots and blanks from a name.
  while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.pop_back();
  while (!safe.empty() && safe.front() == ' ') safe.erase(0, 1);
  return safe.empty() ? "backup" : safe;
}

std::string BackupName(const std::string& title, const std::tm& when, bool automatic, unsigned copy) {
  char stamp[80];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d-%02d%02d%02d", when.tm_year + 1900, when.tm_mon + 1,
                when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
  const std::string count = copy > 1 ? "-" + std::to_string(copy) : "";
  return SafeTitle(title) + "-" + stamp + count + (automatic ? kAutoSuffix : kSuffix);
}

std::string BackupFolder(const std::string& appPath) { return appPath + "backups"; }

std::string SizeText(std::uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " bytes";
  const char* units[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

std::filesystem::path PathOf(const std::string& file) {
  return std::filesystem::path(std::u8string(file.begin(), file.end()));
}

bool IsAutomatic(const std::string& name) { return name.ends_with(kAutoSuffix); }

std::vector<std::string> PruneAutomatic(const std::string& folder, std::size_t keep) {
  std::vector<std::string> automatic;
  for (const std::string& name : THi::ListFiles(folder))
    if (IsAutomatic(name)) automatic.push_back(name);
  // Names of one title sort by their time; across titles the file's own time decides.
  std::sort(automatic.begin(), automatic.end(), [&](const std::string& a, const std::string& b) {
    std::error_code ea, eb;
    const auto ta = std::filesystem::last_write_time(PathOf(folder + "/" + a), ea);
    const auto tb = std::filesystem::last_write_time(PathOf(folder + "/" + b), eb);
    if (!ea && !eb && ta != tb) return ta < tb;
    return a < b;
  });
  std::vector<std::string> deleted;
  while (automatic.size() > keep) {
    const std::string file = folder + "/" + automatic.front();
    if (THi::DeleteFile(file)) deleted.push_back(file);
    automatic.erase(automatic.begin());
  }
  return deleted;
}

std::string PrepareFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(PathOf(folder), error);
  if (!THi::DirectoryExists(folder)) return error ? error.message() : "it cannot be made";
  return THi::WhyNotWritable(folder);
}

}  // namespace backup
