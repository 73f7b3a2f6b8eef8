// What a run that was killed leaves in the work folder for the next one: the
// servers' pid files and sockets. A server refuses to start over a pid file
// whose process still seems to run (a zombie, or an id that another process
// has been given since), so the next run removes them before it starts one.
#pragma once

#include <string>

#include "util/hi.h"

// Removes from the folder every pid file ("*.pid") whose process is none of
// `live`, and every socket that nothing accepts on. Returns how many went.
int RemoveStaleRunFiles(const std::string& workDir, const TProcessIdList& live);

// True when the file is a socket that no process accepts on (posix); false
// for anything else, and on Windows, which keeps no sockets in files.
bool IsDeadSocket(const std::string& path);
