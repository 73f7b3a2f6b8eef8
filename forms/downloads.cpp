#include "forms/downloads.h"

#include <algorithm>

#include "forms/browser_view.h"
#include "util/hi.h"
#include "util/platform.h"

namespace {

std::size_t LastDelimiter(const std::string& path) {
  return path.find_last_of(std::string("/") + platform::kPathDelim);
}

std::string FileName(const std::string& path) {
  const std::size_t delimiter = LastDelimiter(path);
  return delimiter == std::string::npos ? path : path.substr(delimiter + 1);
}

// The folder of a file; a file at the root keeps the root's delimiter.
std::string FolderOf(const std::string& path) {
  const std::size_t delimiter = LastDelimiter(path);
  if (delimiter == std::string::npos) return {};
  return path.substr(0, delimiter == 0 ? 1 : delimiter);
}

// The server's name for the file without any folder part or control
// character, so that it cannot lead the dialog out of the folder it shows.
std::string SafeFileName(const std::string& suggested) {
  const std::size_t delimiter = suggested.find_last_of("/\\");
  std::string name = delimiter == std::string::npos ? suggested : suggested.substr(delimiter + 1);
  for (char& c : name)
    if (static_cast<unsigned char>(c) < ' ' || c == 0x7f) c = '_';
  return name.empty() || name == "." || name == ".." ? "download" : name;
}

std::string SavingText(const std::string& target) {
  return "Saving " + FileName(target) + " to " + FolderOf(target);
}

std::string SavedText(const std::string& target) {
  return "Saved " + FileName(target) + " to " + FolderOf(target);
}

std::string NotSavedText(const std::string& target, const std::string& reason) {
  return "Could not save " + FileName(target) + " to " + FolderOf(target) + ": " + reason;
}

// The folder a save dialog starts in: the last one used while it exists,
// else the user's Downloads folder.
std::string SaveDialogFolder(const std::string& lastFolder) {
  return !lastFolder.empty() && THi::DirectoryExists(lastFolder) ? lastFolder : THi::GetDownloadsDir();
}

}  // namespace

std::string TDownloads::PartialName(const std::string& target) {
  const auto taken = [](const std::string& name) { return THi::FileExists(name) || THi::DirectoryExists(name); };
  std::string partial = target + ".part";
  for (int number = 1; taken(partial); ++number) partial = target + "." + std::to_string(number) + ".part";
  return partial;
}

TDownloads::~TDownloads() {
  for (const auto& [id, download] : FRunning) THi::DeleteFile(download.partial);
}

std::string TDownloads::Begin(BrowserView& view, std::string& lastFolder, int id,
                              const std::string& suggestedName) {
  FAsking = true;
  const std::string target = view.SaveFileDialog(SaveDialogFolder(lastFolder), SafeFileName(suggestedName));
  FAsking = false;
  if (target.empty()) return {};
  lastFolder = FolderOf(target);
  // Made here, so that a folder that refuses it is said in the system's words.
  const std::string partial = PartialName(target);
  std::string reason;
  if (!THi::CreateNewFile(partial, reason)) {
    view.SetStatusText(NotSavedText(target, reason));
    return {};
  }
  FRunning[id] = {target, partial};
  view.SetStatusText(SavingText(target));
  return partial;
}

void TDownloads::Progress(int id, std::uint64_t received, std::uint64_t total) {
  const auto it = FRunning.find(id);
  if (it == FRunning.end()) return;
  it->second.received = received;
  it->second.total = total;
}

void TDownloads::End(BrowserView& view, int id, const std::string& error) {
  const auto it = FRunning.find(id);
  if (it == FRunning.end()) return;
  const TDownload download = it->second;
  FRunning.erase(it);
  if (error.empty() && THi::RenameFile(download.partial, download.target)) {
    view.SetStatusText(SavedText(download.target));
    return;
  }
  THi::DeleteFile(download.partial);
  view.SetStatusText(NotSavedText(download.target, error.empty() ? "the file could not take its name" : error));
}

int TDownloads::Permille() const {
  std::uint64_t received = 0;
  std::uint64_t total = 0;
  for (const auto& [id, download] : FRunning) {
    received += std::min(download.received, download.total);
    total += download.total;
  }
  return total == 0 ? 0 : static_cast<int>(received * 1000 / total);
}
