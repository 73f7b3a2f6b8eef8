// What both platforms' command runners share.
#pragma once

#include "commands/command_plan.h"

namespace commands {

// The stack as this program file finds it: running (its launcher holds the
// instance mutex and has written its work folder's files) or stopped.
TStack FindStack();

}  // namespace commands
