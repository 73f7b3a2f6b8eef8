// TDownloads: the files the pages of one browser window send to be saved.
// The save dialog starts in the folder a file was last saved to, by any
// window of the program, else in the user's Downloads folder. A file arrives
// under a partial name beside the chosen one and takes the chosen name only
// once it is complete: a failure leaves nothing under that name and spoils
// no file it was to replace. The status bar says where each file went, or
// why it did not get there.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class BrowserView;

class TDownloads {
 public:
  TDownloads() = default;
  // A window that goes while its downloads run takes their partial files along.
  ~TDownloads();
  TDownloads(const TDownloads&) = delete;
  TDownloads& operator=(const TDownloads&) = delete;

  // Asks the user where to save the file the server names `suggestedName`,
  // starting in `lastFolder`, which then becomes the folder chosen. Returns
  // the file the engine is to write (it exists, empty, and is the window's
  // own), or empty to cancel the download.
  std::string Begin(BrowserView& view, std::string& lastFolder, int id,
                    const std::string& suggestedName);
  // `total` is 0 when the server did not say.
  void Progress(int id, std::uint64_t received, std::uint64_t total);
  // The download ended, completely when `error` is empty.
  void End(BrowserView& view, int id, const std::string& error);

  bool Running() const { return !FRunning.empty(); }
  // The save dialog is open (the window must stay until it closes).
  bool Asking() const { return FAsking; }
  // How far the running downloads are, in thousandths of what they announced.
  int Permille() const;

 private:
  struct TDownload {
    std::string target;
    std::string partial;
    std::uint64_t received = 0;
    std::uint64_t total = 0;
  };
  // A name beside the target that no file has yet.
  static std::string PartialName(const std::string& target);
  std::map<int, TDownload> FRunning;
  bool FAsking = false;
};
