// The system's folder picker with a caption text, an initial selection and
// an edit box for typing a path, centred on the window that owns it.
#pragma once

#include <windows.h>

#include <string>

// The chosen folder's path; empty when cancelled or when the chosen item is
// no folder of the file system.
std::string PickFolder(HWND owner, const std::string& text, const std::string& initialFolder);
