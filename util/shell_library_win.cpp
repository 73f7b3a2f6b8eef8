#include <windows.h>

#include "util/shell_library.h"

void LoadShellLibrary() { (void)LoadLibraryW(L"explorer.exe"); }
