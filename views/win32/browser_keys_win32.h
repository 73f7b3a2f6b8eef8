// Where a key or wheel message of a browser window goes before it is
// dispatched: to the window's form (F5, zoom, print, full screen, the
// inspector), to the WebBrowser control's own accelerators (Ctrl+F, the
// control's find), or on as usual.
#pragma once

#include <windows.h>

#include "forms/browser_form.h"

enum class TKeyRoute { kDispatch, kConsumed, kToControl };

// `modifiers`: the kMod* keys held as the message came.
TKeyRoute RouteBrowserKey(TBrowserForm& form, const MSG& message, unsigned modifiers);
// The modifiers held now.
unsigned HeldModifiers();
