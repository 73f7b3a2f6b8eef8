// WebBrowserHost: the system's WebBrowser control in a browser window, as
// the forms' BrowserEngine. Where the system has no such control, the host is
// a null engine: every call does nothing, a page counts as complete at once,
// and the window works without pages.
#pragma once

#include <windows.h>
// The Win32 header above must come first.
#include <ole2.h>

#include <memory>

#include "forms/browser_engine.h"

class WebBrowserHost : public BrowserEngine {
 public:
  // Embeds a new control in `parent` (hidden until Resize gives it a size).
  explicit WebBrowserHost(HWND parent);
  ~WebBrowserHost() override;
  WebBrowserHost(const WebBrowserHost&) = delete;
  WebBrowserHost& operator=(const WebBrowserHost&) = delete;

  // False for the null engine.
  bool Embedded() const;
  void Resize(const RECT& area);
  // The control can be the target of a page's new window.
  void SetRegisterAsBrowser(bool value);
  // The control's dispatch interface, for a page's new window to load into
  // (a new reference, or null).
  IDispatch* NewWindowTarget();
  // Lets the control's own key handling see the message (the Return key
  // for the page, Ctrl+F for its find); true when the control took it.
  bool ForwardKey(MSG& message);
  // `window` is the control's or one inside it: focus is in the page.
  bool HasFocus(HWND window) const;
  // Dispatches the key message to the page; true when the page prevented
  // its default. The page may close the window meanwhile, host and all.
  bool DispatchToPage(MSG& message);

  void SetEvents(BrowserEvents* events) override;
  void Navigate(const std::string& address) override;
  void GoBack() override;
  void GoForward() override;
  void Refresh() override;
  void Stop() override;
  std::string LocationURL() const override;
  bool Busy() const override;
  int ReadyState() const override;
  void SetSilent(bool silent) override;
  TWindowRequest WindowRequest() const override;
  // The control's optical zoom and its print dialog.
  void SetZoom(int percent) override;
  void Print() override;

 private:
  class Site;
  Site* site_ = nullptr;  // counted reference; null for the null engine
};
