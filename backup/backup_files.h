// Where backups go and what they are called: "<title>-<YYYY-MM-DD-HHMMSS>.sql.gz",
// "-auto.sql.gz" for the ones the program makes by itself, of which it keeps
// the newest few.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace backup {

inline constexpr std::size_t kAutomaticKept = 10;

// The title with every character a file name cannot hold (on either
// platform) replaced by '_'; "backup" when nothing is left.
std::string SafeTitle(const std::string& title);
// A `copy` above 1 follows the time ("-2"), for a second backup within the same second.
std::string BackupName(const std::string& title, const std::tm& when, bool automatic, unsigned copy = 1);
// The program folder's "backups" (appPath ends with its separator).
std::string BackupFolder(const std::string& appPath);
// "12.3 MB", "512 bytes".
std::string SizeText(std::uint64_t bytes);
bool IsAutomatic(const std::string& name);
// Deletes the oldest automatic backups of the folder beyond `keep`; the
// names sort by their time. Backups the user asked for are never touched.
std::vector<std::string> PruneAutomatic(const std::string& folder, std::size_t keep = kAutomaticKept);
// A UTF-8 path as the file system library takes it on either platform.
std::filesystem::path PathOf(const std::string& file);
// Makes the folder when missing; the reason it cannot be written into, or empty.
std::string PrepareFolder(const std::string& folder);

}  // namespace backup
