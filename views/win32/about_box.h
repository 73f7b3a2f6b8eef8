// The About dialog on Win32: the form's layout on a 295 × 194 client area,
// shown modally over the main window.
#pragma once

#include <windows.h>

#include <string>

void ShowWin32About(HWND owner, HICON icon, const std::string& title, const std::string& version,
                    const std::string& year);
