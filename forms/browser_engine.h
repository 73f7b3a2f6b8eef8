// The embedded browser engine of a browser window, as the forms use it: the
// calls they make and the events it raises. The WebBrowser control on
// Windows, WebKitGTK on Linux.
#pragma once

#include <cstdint>
#include <string>

// What a page asked of a window it opened: the screen position and the size
// of the browser area (only when it named a position), and its bars.
struct TWindowRequest {
  bool hasPosition = false;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool menuBar = true;
  bool toolBar = true;
  bool addressBar = true;
  bool statusBar = true;
};

inline constexpr int kReadyStateComplete = 4;
inline constexpr int kCommandForward = 1;
inline constexpr int kCommandBack = 2;

class BrowserEngine;

// The engine's events, under the names of the form handlers that serve them.
class BrowserEvents {
 public:
  virtual ~BrowserEvents() = default;
  virtual void WebBrowser1StatusTextChange(const std::string& text) = 0;
  virtual void WebBrowser1TitleChange(const std::string& title) = 0;
  // Back or forward became available or not (kCommandBack, kCommandForward).
  virtual void WebBrowser1CommandStateChange(int command, bool enabled) = 0;
  // A progress of 0 or less: nothing is loading.
  virtual void WebBrowser1ProgressChange(int progress, int maximum) = 0;
  // A page asks for a new window: the engine that is to load it, or null to
  // refuse.
  virtual BrowserEngine* WebBrowser1NewWindow2() = 0;
  // Before the first page of a new window, once the page's request is known.
  virtual void WebBrowser1BeforeNavigate2() = 0;
  // The page closed its window by script.
  virtual void WebBrowser1Close() = 0;
  // Whether the page at the address is one of the stack's own: only those
  // may read the clipboard and open windows without a click.
  virtual bool IsStackPage(const std::string& address) const = 0;
  // A page sends a file to be saved (a download), which the server names
  // `suggestedName`; `download` tells it from others while it runs. Returns
  // the file the engine is to write it to, or empty to cancel it.
  virtual std::string WebBrowser1FileDownload(int download, const std::string& suggestedName) = 0;
  // Part of it arrived; `total` is 0 when the server did not say.
  virtual void WebBrowser1FileDownloadProgress(int download, std::uint64_t received,
                                               std::uint64_t total) = 0;
  // It ended: completely when `error` is empty, else for that reason.
  virtual void WebBrowser1FileDownloadEnd(int download, const std::string& error) = 0;
};

class BrowserEngine {
 public:
  virtual ~BrowserEngine() = default;
  virtual void SetEvents(BrowserEvents* events) = 0;
  // Loads the address as given; completing a partial address is the engine's.
  virtual void Navigate(const std::string& address) = 0;
  // These do nothing where there is nothing to do (an empty history).
  virtual void GoBack() = 0;
  virtual void GoForward() = 0;
  virtual void Refresh() = 0;
  virtual void Stop() = 0;
  virtual std::string LocationURL() const = 0;
  virtual bool Busy() const = 0;
  // kReadyStateComplete once the page has loaded completely.
  virtual int ReadyState() const = 0;
  // A silent engine shows no dialog of its own (script errors, alerts, ...).
  virtual void SetSilent(bool silent) = 0;
  // For a window a page opened: what that page asked for.
  virtual TWindowRequest WindowRequest() const = 0;
  // The page's size, in percent of its own.
  virtual void SetZoom(int /*percent*/) {}
  // The system's print dialog for the page shown, whether silent or not.
  virtual void Print() {}
  // The engine's developer tools (an engine without them ignores both).
  virtual void SetDeveloperTools(bool /*allowed*/) {}
  virtual void ShowInspector() {}
};
