// Placing a top-level window centred over an area of the screen, kept whole
// inside the work area of the monitor it lands on.
#pragma once

#include <windows.h>

// Moves `window` (keeping its size) so that its centre is the centre of `area`.
void CentreWindowOn(HWND window, const RECT& area);
// Centred over the primary screen.
void CentreWindowOnScreen(HWND window);
// Centred over `owner` when it is a visible window, else over the screen.
void CentreWindowOnOwner(HWND window, HWND owner);
