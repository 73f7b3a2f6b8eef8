// The guard of a database server: a hidden process of the program file
// itself, started with the server (TChildTie::kShutDownWithLauncher), that
// outlives the launcher. When the launcher ends without its shut-down
// (killed, crashed), the guard asks the server to stop, once a second, and
// ends it after 15 seconds; the guard itself ends when the server has ended.
#pragma once

#include <string>
#include <vector>

#include "util/hi.h"

inline constexpr char kGuardModeWord[] = "guard";

// What follows the program file on the guard's command line.
std::string GuardParams(TProcessId launcher, TProcessId server);

// Runs the guard of `<program> guard <launcher id> <server id>`; returns once
// the server has ended (at once for arguments that name no server).
void RunChildGuard(const std::vector<std::string>& args);
