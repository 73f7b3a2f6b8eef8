// After the system changed a window's keyboard cues (the underlined access
// keys that show while Alt is held), the window and all its child windows
// are repainted once, on the next idle pass of the message loop; some
// controls otherwise keep stale pictures of their captions.
#pragma once

#include <windows.h>

// A window procedure saw WM_UPDATEUISTATE.
void NoteCueChange(HWND window);
// Called when the message queue is empty.
void RepaintAfterCueChanges();
