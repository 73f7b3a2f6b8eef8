// The mode of the folders the launcher keeps its work in (the temporary
// folder and the work folder): closed to other users. The web server cannot
// serve as root, so a launcher running as root has it serve as another user,
// who must be able to pass through (but not list or write) to reach the
// database socket and the site's copy in the work folder.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

inline mode_t PrivateFolderMode() { return geteuid() == 0 ? 0711 : 0700; }
