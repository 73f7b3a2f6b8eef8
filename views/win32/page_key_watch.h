// PageKeyWatch: whether the page shown by a WebBrowser control prevented the
// default of a key while the watch lasts. It listens to the keydown events of
// the focused element and of its document (the innermost frame that can be
// reached); a page whose answer cannot be learned (no document, a frame of
// another site) counts as not preventing it.
#pragma once

#include <windows.h>
// The Win32 header above must come first.
#include <ole2.h>
#include <exdisp.h>

#include <vector>

class PageKeyWatch {
 public:
  // `key`: the virtual-key code of the key about to be dispatched.
  PageKeyWatch(IWebBrowser2* browser, int key);
  ~PageKeyWatch();
  PageKeyWatch(const PageKeyWatch&) = delete;
  PageKeyWatch& operator=(const PageKeyWatch&) = delete;

  bool Prevented() const;

 private:
  class Sink;
  struct Connection {
    IConnectionPoint* point;
    DWORD cookie;
  };
  void Listen(IUnknown* source, const IID& events);

  Sink* sink_ = nullptr;
  std::vector<Connection> connections_;
};
