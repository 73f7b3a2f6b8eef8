// The windows of this platform's toolkit for the program's roles: GTK on
// Linux, Win32 on Windows.
#pragma once

#include "launcher/program_roles.h"

TDesktop CreateDesktop();
