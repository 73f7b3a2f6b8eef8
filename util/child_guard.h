// The guard of a database server: a hidden process of the program file
// itself, started with the server (TChildTie::kShutDownWithLauncher), that
// outlives the launcher. When the launcher ends without its shut-down
// (killed, crashed), the guard stops the server as the launcher would
// (util/server_stop.h); the guard itself ends when the server has ended.
#pragma once

#include <string>
#include <vector>

#include "util/hi.h"

inline constexpr char kGuardModeWord[] = "guard";

// What follows the program file on the guard's command line; `port` is
// where the server greets once it is ready (0: unknown).
std::string GuardParams(TProcessId launcher, TProcessId server, int port);

// Runs the guard of `<program> guard <launcher id> <server id> [<port>]`;
// returns once the server has ended (at once for arguments that name no server).
void RunChildGuard(const std::vector<std::string>& args);
