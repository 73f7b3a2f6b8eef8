// TBrowserForm: what the main window and the popup windows share: the
// address box with its history and keys, the navigation buttons, F5, and the
// engine's status, title, command-state and progress events.
#pragma once

#include <string>
#include <vector>

#include "forms/browser_engine.h"
#include "forms/browser_view.h"
#include "forms/downloads.h"

// What a key of a browser window asks of the program, before the window's
// settings (the devtools key, a window that cannot fill the screen) decide
// whether anything happens.
enum class TBrowserKey { kNone, kZoomIn, kZoomOut, kZoomReset, kPrint, kFind, kInspector, kFullScreen };
TBrowserKey BrowserKeyOf(int key, unsigned modifiers);

class TBrowserForm : public BrowserEvents {
 public:
  // The address history keeps this many entries, the first seen at the bottom.
  static constexpr std::size_t kMaxAddresses = 24;

  TBrowserForm() = default;
  explicit TBrowserForm(BrowserView* view) : FView(view) {}
  void SetView(BrowserView* view) { FView = view; }
  BrowserView* View() const { return FView; }

  // Navigates to the address box's text, trimmed of blanks and control characters.
  void NavigateToAddress();
  void btnGoClick() { NavigateToAddress(); }
  // An entry picked from the address box's list (its text is in the box).
  void cboAddressClick(int index);
  // True when the key is swallowed; otherwise it goes on to the address box.
  bool cboAddressKeyDown(int key);
  void cboAddressChange(const std::string& text);
  void btnBackClick();
  void btnForwardClick();
  void btnRefreshClick();
  void btnStopClick();
  void btnHomeClick();
  // Every key the window sees first; the key always goes on.
  void FormKeyDown(int key);
  // A key the page shown did not take for itself (it did not prevent its
  // default), or one pressed outside the page, with its modifiers (kMod*).
  // True when the program acted on it and the key goes no further.
  bool BrowserKeyDown(int key, unsigned modifiers);
  // One zoom step bigger (direction > 0) or smaller, as Ctrl+wheel does;
  // the window's zoom stays between 30% and 300%.
  void ZoomStep(int direction);
  void SetZoom(int percent);
  int Zoom() const { return FZoom; }

  void WebBrowser1StatusTextChange(const std::string& text) override;
  void WebBrowser1TitleChange(const std::string& title) override;
  void WebBrowser1CommandStateChange(int command, bool enabled) override;
  // The progress panel shows the page while it loads, else the downloads.
  void WebBrowser1ProgressChange(int progress, int maximum) override;
  // A page of the Home address's origin.
  bool IsStackPage(const std::string& address) const override;
  std::string WebBrowser1FileDownload(int download, const std::string& suggestedName) override;
  void WebBrowser1FileDownloadProgress(int download, std::uint64_t received, std::uint64_t total) override;
  void WebBrowser1FileDownloadEnd(int download, const std::string& error) override;

  // A save dialog of this window is open: the window must stay until it closes.
  bool InSaveDialog() const { return FDownloads.Asking(); }

  const std::vector<std::string>& AddressHistory() const { return FHistory; }
  int AddressIndex() const { return FIndex; }

 protected:
  // The address of the Home button.
  virtual std::string HomeUrl() const = 0;
  // The page's title also names something beyond the window (the main
  // window's application title).
  virtual void TitleChanged(const std::string&) {}
  // The folder a file was last saved to, shared by every window of the program.
  virtual std::string& SaveFolder() = 0;
  // Shows the entry as the selected one (its text in the box).
  void SelectAddress(int index);
  // Whether F12 and the context menu may open the engine's inspector.
  virtual bool DeveloperTools() const = 0;
  // F11: true when the window took the key (only the main window fills the screen).
  virtual bool ToggleFullScreen() { return false; }

  BrowserView* FView = nullptr;

 private:
  void ShowProgress();

  std::vector<std::string> FHistory;
  int FIndex = -1;
  int FPageProgress = 0;
  int FPageMaximum = 0;
  int FZoom = 100;
  TDownloads FDownloads;
};

// Text without leading and trailing blanks and control characters.
std::string TrimText(const std::string& text);
