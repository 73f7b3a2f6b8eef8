#include "launcher/stale_files.h"

bool IsDeadSocket(const std::string&) { return false; }
