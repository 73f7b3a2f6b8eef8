#include "util/shell_library.h"

void LoadShellLibrary() {}
