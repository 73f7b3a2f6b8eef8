// File and folder operations that are the same on every platform, and the
// INI file access over the shared INI text rules.
#include <exception>

#include "util/hi.h"
#include "util/hi_error.h"
#include "util/hi_internal.h"
#include "util/ini.h"
#include "util/platform.h"

namespace {

// The folder part of a program path, cut at its last separator. A root
// ("C:\" or "/") keeps its separator, so "%s\www" then doubles it.
std::string FolderOf(const std::string& file, bool keepSeparator) {
  const std::size_t cut = file.find_last_of(platform::kPathDelim);
  if (cut == std::string::npos) return {};
  const bool isRoot = cut == 0 || (cut == 2 && file[1] == ':');
  return file.substr(0, keepSeparator || isRoot ? cut + 1 : cut);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder + platform::kPathDelim + name;
}

// The file's text for reading; empty when it is missing or unreadable.
std::string IniText(const std::string& file) {
  if (!THi::FileExists(file)) return {};
  try {
    return THi::LoadFile(file);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

std::string THi::GetAppDir() { return FolderOf(GetProgramFile(), false); }

std::string THi::GetAppPath() { return FolderOf(GetProgramFile(), true); }

bool THi::SetReadOnlyTree(const std::string& path, bool readOnly) {
  if (!hi_internal::SetReadOnlyAttribute(path, readOnly)) return false;
  // A link is not followed: what it leads to lies outside the tree, or is
  // part of it already, and a link to a folder above it would never end.
  if (hi_internal::IsLink(path) || !DirectoryExists(path)) return true;
  for (const std::string& name : ListEntries(path)) {
    if (name == "." || name == "..") continue;
    if (!SetReadOnlyTree(Join(path, name), readOnly)) return false;
  }
  return true;
}

TNameList THi::ListFolders(const std::string& folder) {
  TNameList folders;
  for (const std::string& name : ListEntries(folder)) {
    if (name != "." && name != ".." && !FileExists(Join(folder, name))) folders.push_back(name);
  }
  return folders;
}

std::string THi::MakeUniqueFileName(const std::string& prefix, const std::string& folder,
                                    int number, const std::string& ext) {
  const std::string base = DirectoryExists(folder) ? folder : GetTempDir();
  for (;; ++number) {
    const std::string name = Join(base, prefix + std::to_string(number) + ext);
    // A file nobody holds is reused: the caller overwrites it.
    if (!(FileExists(name) && IsFileInUse(name))) return name;
  }
}

std::string THi::ReadIniValue(const std::string& file, const std::string& section,
                              const std::string& key) {
  return ini::ReadValue(IniText(file), section, key);
}

void THi::WriteIniValue(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value) {
  const bool exists = FileExists(file);
  std::string text;
  try {
    if (exists) text = LoadFile(file);
    SaveFile(file, ini::WriteValue(text, section, key, value, platform::kEol));
  } catch (const std::exception&) {
    throw EHiError("Unable to write to " + file);
  }
}

void THi::DeleteIniKey(const std::string& file, const std::string& section,
                       const std::string& key) {
  if (!FileExists(file)) return;
  try {
    const std::string text = LoadFile(file);
    const std::string changed = ini::DeleteKey(text, section, key);
    if (changed != text) SaveFile(file, changed);
  } catch (const std::exception&) {
    // Deleting a key reports nothing: the file simply keeps it.
  }
}

TNameList THi::ReadIniSection(const std::string& file, const std::string& section) {
  return ini::SectionKeys(IniText(file), section);
}

std::string THi::LoadDataResource(const std::string& name) {
  std::string bytes;
  if (!hi_internal::LoadOwnDataResource(name, bytes)) return {};
  return bytes;
}
