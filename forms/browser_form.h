// TBrowserForm: what the main window and the popup windows share: the
// address box with its history and keys, the navigation buttons, F5, and the
// engine's status, title, command-state and progress events.
#pragma once

#include <string>
#include <vector>

#include "forms/browser_engine.h"
#include "forms/browser_view.h"

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

  void WebBrowser1StatusTextChange(const std::string& text) override;
  void WebBrowser1TitleChange(const std::string& title) override;
  void WebBrowser1CommandStateChange(int command, bool enabled) override;
  void WebBrowser1ProgressChange(int progress, int maximum) override;
  // A page of the Home address's origin.
  bool IsStackPage(const std::string& address) const override;

  const std::vector<std::string>& AddressHistory() const { return FHistory; }
  int AddressIndex() const { return FIndex; }

 protected:
  // The address of the Home button.
  virtual std::string HomeUrl() const = 0;
  // The page's title also names something beyond the window (the main
  // window's application title).
  virtual void TitleChanged(const std::string&) {}
  // Shows the entry as the selected one (its text in the box).
  void SelectAddress(int index);

  BrowserView* FView = nullptr;

 private:
  std::vector<std::string> FHistory;
  int FIndex = -1;
};

// Text without leading and trailing blanks and control characters.
std::string TrimText(const std::string& text);
