// TfrmBrowser: the window a page gets when it opens a new window, a slimmer
// copy of the main window (its five navigation buttons, address box, status
// bar), placed and sized as the page asked. TPopupWindows owns every popup of
// the program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/browser_form.h"

// The sizes a popup is placed with: the screen, what the window adds to its
// client area (its frame), and the heights of its two bars.
struct TWindowMetrics {
  int screenWidth = 0;
  int screenHeight = 0;
  int frameWidth = 0;
  int frameHeight = 0;
  int toolbarHeight = 0;
  int statusBarHeight = 0;
};

struct TPlacement {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool toolbar = true;
  bool statusBar = true;
};

// Without a requested position: 800 × 600, centred, both bars. Otherwise at
// the requested position with the requested browser area; the top bar shows
// only when the page wants menu bar, tool bar and address bar, the status
// bar when it wants one, and the window grows by what shows.
TPlacement PlacePopup(const TWindowRequest& request, const TWindowMetrics& metrics);

class PopupView : public BrowserView {
 public:
  virtual TWindowMetrics Metrics() const = 0;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual void Show() = 0;
  // Closes the window at once; the form is freed later (TPopupWindows::Sweep).
  virtual void Close() = 0;
};

class TfrmBrowser;

class TPopupWindows {
 public:
  // Makes the window of a new popup; its engine is created as one the
  // opener's engine can load a page into.
  using ViewFactory =
      std::function<std::unique_ptr<PopupView>(TfrmBrowser& form, BrowserEngine& opener)>;

  explicit TPopupWindows(ViewFactory factory) : FFactory(std::move(factory)) {}

  // Opens a popup whose Home is homeUrl; the engine that is to load the
  // page, or null when no window could be made.
  BrowserEngine* Open(BrowserEngine& opener, const std::string& homeUrl);
  // The popup's window is closed; the form goes at the next Sweep.
  void Close(TfrmBrowser& form);
  // Every popup's window is closed (the program is ending).
  void CloseAll();
  // Frees the closed popups, but none whose save dialog is still open.
  void Sweep();
  std::size_t Count() const { return FOpen.size(); }
  // The folder a file was last saved to, which the popups share with the
  // window that owns them.
  std::string& SaveFolder() { return FSaveFolder; }
  // Whether the popups' pages may be inspected, as the main window's may.
  bool DeveloperTools() const { return FDeveloperTools; }
  void SetDeveloperTools(bool allowed) { FDeveloperTools = allowed; }

 private:
  // The window goes before its form, so its last events still find the form.
  struct TPopup {
    std::unique_ptr<TfrmBrowser> form;
    std::unique_ptr<PopupView> view;
  };
  ViewFactory FFactory;
  std::vector<TPopup> FOpen;
  std::vector<TPopup> FClosed;
  std::string FSaveFolder;
  bool FDeveloperTools = true;
};

class TfrmBrowser : public TBrowserForm {
 public:
  TfrmBrowser(TPopupWindows& owner, std::string homeUrl)
      : FHomeUrl(std::move(homeUrl)), FOwner(owner) {}

  // Caption empty, silent engine, progress hidden, only the navigation
  // buttons, developer tools as the owner allows.
  void FormCreate();
  // The user closed the window.
  void FormClose() { FOwner.Close(*this); }

  BrowserEngine* WebBrowser1NewWindow2() override;
  void WebBrowser1BeforeNavigate2() override;
  void WebBrowser1Close() override { FormClose(); }

  bool FFirstNavigation = true;
  std::string FHomeUrl;

 protected:
  std::string HomeUrl() const override { return FHomeUrl; }
  std::string& SaveFolder() override { return FOwner.SaveFolder(); }
  bool DeveloperTools() const override { return FOwner.DeveloperTools(); }

 private:
  PopupView* Popup() const { return static_cast<PopupView*>(FView); }
  TPopupWindows& FOwner;
};
