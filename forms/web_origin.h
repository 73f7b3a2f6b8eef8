// Web origins: which pages count as the stack's own. The window keeps its
// privileges (the clipboard, windows opened without a click, ending the
// program by closing the main window) for pages of its Home address's origin.
#pragma once

#include <string>

// True when both addresses have the same scheme, host and port (letter case
// aside, a missing port being the scheme's own). An address without a host
// ("about:blank", "data:...") shares no origin.
bool SameOrigin(const std::string& address, const std::string& other);
