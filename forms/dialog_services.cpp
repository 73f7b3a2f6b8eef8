#include "forms/dialog_services.h"

#include "util/hi.h"

std::string AppMessageBoxCaption(unsigned flags, const std::string& appTitle) {
  if ((flags & kMbIconInformation) == kMbIconInformation) return "Information";
  if ((flags & kMbIconWarning) == kMbIconWarning) return "Warning";
  if ((flags & kMbIconQuestion) == kMbIconQuestion) return "Confirm";
  if ((flags & kMbIconError) == kMbIconError) return "Error";
  return appTitle;
}

bool BrowseForFile(DialogServices& dialogs, std::string& file, const std::string& extension) {
  if (!THi::FileExists(file)) file.clear();
  const std::string pattern = extension.empty() ? "*.*" : "*" + extension;
  std::string chosen = dialogs.OpenFile(file, extension, pattern + "|" + pattern);
  if (chosen.empty()) return false;
  file = chosen;
  return true;
}

bool BrowseForFolder(DialogServices& dialogs, std::string& folder, const std::string& text) {
  if (!THi::DirectoryExists(folder)) folder.clear();
  std::string chosen = dialogs.BrowseForFolder(text, folder);
  if (chosen.empty()) return false;
  folder = chosen;
  return true;
}
