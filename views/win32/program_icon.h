// The program's icon for its windows: MAINICON of the program file at the
// size asked for, the system's application icon when there is none.
#pragma once

#include <windows.h>

HICON LoadProgramIcon(int size);
