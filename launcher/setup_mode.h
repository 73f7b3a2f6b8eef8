// "/setup": run by a command copy. Waits until the target program file is
// free, has it patched by "/config", "/icon" and "/splash" children, and
// opens it again unless a sixth argument says not to.
#pragma once

#include "launcher/mode_dispatcher.h"

void RunSetup(const TArgs& args);
