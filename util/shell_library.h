// The desktop shell's program loaded into this process as a library, as the
// window's start-up has always done on Windows; whether it loads makes no
// difference to the run. Nothing elsewhere.
#pragma once

void LoadShellLibrary();
