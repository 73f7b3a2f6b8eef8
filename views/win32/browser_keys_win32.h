// Where a key or wheel message of a browser window goes before it is
// dispatched. A program key (zoom, print, find, the inspector, full screen)
// pressed in the page goes to the page first: a key whose default the page
// prevents stays the page's, as in a browser, so an editor keeps its own
// Ctrl+F or Ctrl+P. Otherwise the window's form acts on it, and Ctrl+F goes
// to the WebBrowser control's own find. F5 refreshes and goes on.
#pragma once

#include <windows.h>

#include "forms/browser_form.h"

// The page's side of a key.
class PageKeys {
 public:
  enum class TAnswer { kPrevented, kNotPrevented, kWindowGone };
  // Focus is in the page (the message is for one of its windows).
  virtual bool HasFocus(const MSG& message) const = 0;
  // Dispatches the message to the page. kNotPrevented also when the page's
  // answer could not be learned; kWindowGone when its window closed meanwhile.
  virtual TAnswer DispatchToPage(MSG& message) = 0;
  // The control's own key handling; true when it took the key.
  virtual bool ToControl(MSG& message) = 0;

 protected:
  ~PageKeys() = default;
};

// `modifiers`: the kMod* keys held as the message came. True when the
// message is not to be dispatched (again).
bool RouteBrowserKey(TBrowserForm& form, MSG& message, unsigned modifiers, PageKeys& page);
// The modifiers held now.
unsigned HeldModifiers();
