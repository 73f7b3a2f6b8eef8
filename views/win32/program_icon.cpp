#include "views/win32/program_icon.h"

// Loaded once per size and kept for the life of the process, as the windows
// that show it are.
HICON LoadProgramIcon(int size) {
  HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, 0);
  if (!icon) icon = LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_ICON, size, size, LR_SHARED);
  return static_cast<HICON>(icon);
}
